#include "modem/DialectFields.h"

#include "util/TextConvert.h"
#include "util/TextCut.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace celdara::dialect {

namespace {

// from_chars over the whole text, which must be fully used.
template <typename T>
std::optional<T> WholeNumber(std::string_view text, int base) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool AllDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

TFields SplitFields(std::string_view line) {
    TFields fields;
    std::string text(line);
    while (fields.size() < kMaxFields) {
        CutSpaces(text);
        TField field;
        field.Quoted = !text.empty() && text.front() == '"';
        const std::string before = text;
        bool consume = true;
        field.Text = std::string(Trim(CutToken(text, consume, ",")));
        const std::size_t eaten = before.size() - text.size();
        const bool delimiter = consume && eaten > 0 && before[eaten - 1] == ',';
        if (!consume && !text.empty()) {
            // Something behind a closing quote: it belongs to the field, up to the comma.
            const std::size_t comma = text.find(',');
            field.Text += std::string(Trim(text.substr(0, comma)));
            fields.push_back(std::move(field));
            if (comma == std::string::npos)
                break;
            text.erase(0, comma + 1);
            continue;
        }
        fields.push_back(std::move(field));
        if (!delimiter)
            break;
    }
    return fields;
}

bool HasPrefix(std::string_view line, std::string_view prefix, std::string_view& rest) {
    line = Trim(line);
    if (line.size() < prefix.size() || !EqualIgnoringCase(line.substr(0, prefix.size()), prefix))
        return false;
    rest = line.substr(prefix.size());
    return true;
}

TFields FieldsOfLine(const TReplyLines& lines, std::string_view prefix) {
    for (const std::string& line : lines) {
        std::string_view rest;
        if (HasPrefix(line, prefix, rest))
            return SplitFields(rest);
    }
    return {};
}

std::string_view TextAt(const TFields& fields, std::size_t index) {
    return index < fields.size() ? std::string_view(fields[index].Text) : std::string_view();
}

std::optional<int> IntOf(std::string_view text) {
    return WholeNumber<int>(text, 10);
}

std::optional<int> IntAt(const TFields& fields, std::size_t index) {
    return IntOf(TextAt(fields, index));
}

std::optional<double> NumberOf(std::string_view text) {
    text = Trim(text);
    // Digits, one point and a sign only: no "inf", "nan" or exponents.
    std::size_t digits = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            ++digits;
        else if (!(c == '.' || ((c == '-' || c == '+') && i == 0)))
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    if (text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        std::fabs(value) >= 1e9)
        return std::nullopt;
    return value;
}

std::optional<double> NumberAt(const TFields& fields, std::size_t index) {
    return NumberOf(TextAt(fields, index));
}

std::optional<std::int64_t> HexOf(std::string_view text) {
    text = Trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 15 || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    return WholeNumber<std::int64_t>(text, 16);
}

std::optional<std::int64_t> HexAt(const TFields& fields, std::size_t index) {
    return HexOf(TextAt(fields, index));
}

std::optional<int> AreaCodeAt(const TFields& fields, std::size_t index) {
    const std::optional<std::int64_t> v = HexAt(fields, index);
    return v && *v <= 0xFFFFFF ? std::optional<int>(static_cast<int>(*v)) : std::nullopt;
}

std::optional<std::int64_t> DecimalOf(std::string_view text) {
    text = Trim(text);
    if (!AllDigits(text) || text.size() > 15)
        return std::nullopt;
    return WholeNumber<std::int64_t>(text, 10);
}

std::optional<double> Stepped(std::optional<int> n, int max, double base, double step) {
    if (!n || *n < 0 || *n > max)
        return std::nullopt;
    return base + *n * step;
}

std::optional<int> Within(std::optional<int> value, int lo, int hi) {
    return value && *value >= lo && *value <= hi ? value : std::nullopt;
}

std::optional<double> LteBandwidthMhz(std::optional<int> blocks) {
    constexpr std::pair<int, double> kBlocks[] = {{6, 1.4}, {15, 3},  {25, 5},
                                                  {50, 10}, {75, 15}, {100, 20}};
    for (const auto& [rb, mhz] : kBlocks)
        if (blocks == rb)
            return mhz;
    return std::nullopt;
}

std::optional<int> TrailingNumber(std::string_view text) {
    text = Trim(text);
    std::size_t start = text.size();
    while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9')
        --start;
    if (text.size() - start > 9)
        return std::nullopt;
    return IntOf(text.substr(start));
}

std::string_view BareModel(std::string_view model) {
    model = Trim(model);
    // Makers seen before the model in +CGMM answers, parted from it by "_" or a blank.
    for (std::string_view maker : {"SIMCOM", "Quectel", "Fibocom", "u-blox", "Telit", "Huawei",
                                   "Sierra Wireless", "Cinterion", "Thales"}) {
        if (model.size() <= maker.size() ||
            !EqualIgnoringCase(model.substr(0, maker.size()), maker))
            continue;
        const char separator = model[maker.size()];
        const std::string_view rest = Trim(model.substr(maker.size() + 1));
        if ((separator == '_' || separator == ' ') && !rest.empty())
            return rest;
    }
    return model;
}

bool ModelStartsWith(std::string_view model, std::string_view prefix) {
    model = BareModel(model);
    return model.size() >= prefix.size() &&
           EqualIgnoringCase(model.substr(0, prefix.size()), prefix);
}

bool SplitPlmn(std::string_view text, TRadioCell& cell) {
    text = Trim(text);
    std::string_view mcc;
    std::string_view mnc;
    const std::size_t cut = text.find_first_of("- ");
    if (cut != std::string_view::npos) {
        mcc = Trim(text.substr(0, cut));
        mnc = Trim(text.substr(cut + 1));
    } else if (text.size() == 5 || text.size() == 6) {
        mcc = text.substr(0, 3);
        mnc = text.substr(3);
    }
    if (mcc.size() != 3 || !AllDigits(mcc) || mnc.size() < 2 || mnc.size() > 3 || !AllDigits(mnc))
        return false;
    cell.Mcc = IntOf(mcc);
    cell.Mnc = IntOf(mnc);
    cell.MncDigits = static_cast<int>(mnc.size());
    return true;
}

void ReadMccMnc(const TFields& fields, std::size_t index, TRadioCell& cell) {
    const std::optional<int> mcc = IntAt(fields, index);
    const std::optional<int> mnc = IntAt(fields, index + 1);
    const std::string_view digits = TextAt(fields, index + 1);
    if (!mcc || !mnc || *mcc < 0 || *mcc > 999 || *mnc < 0 || *mnc > 999)
        return;
    cell.Mcc = mcc;
    cell.Mnc = mnc;
    if ((digits.size() == 2 || digits.size() == 3) && AllDigits(digits))
        cell.MncDigits = static_cast<int>(digits.size());
}

void ClearServing(TModemStatus& status) {
    status.Radio.Tech = TAccessTech::Unknown;
    status.Radio.Serving = TRadioCell{};
    status.Radio.NrLeg.reset();
}

TRadioCell& BeginServing(TModemStatus& status, TAccessTech tech, TAccessTech radioTech) {
    TRadioStatus& radio = status.Radio;
    if (radio.Serving.Tech != TAccessTech::Unknown && radio.Serving.Tech != tech)
        radio.Serving = TRadioCell{};
    radio.Serving.Tech = tech;
    radio.Tech = radioTech;
    if (radioTech != TAccessTech::NrNsa)
        radio.NrLeg.reset();
    return radio.Serving;
}

TRadioCell& BeginNrLeg(TModemStatus& status) {
    if (!status.Radio.NrLeg)
        status.Radio.NrLeg.emplace();
    status.Radio.NrLeg->Tech = TAccessTech::NrNsa;
    return *status.Radio.NrLeg;
}

} // namespace celdara::dialect

namespace celdara::dialect {

std::optional<int> GsmBandOfArfcn(int arfcn, bool pcs) {
    if ((arfcn >= 0 && arfcn <= 124) || (arfcn >= 975 && arfcn <= 1023))
        return 900;
    if (arfcn >= 128 && arfcn <= 251)
        return 850;
    if (arfcn >= 512 && arfcn <= 810)
        return pcs ? 1900 : 1800;
    if (arfcn >= 811 && arfcn <= 885)
        return 1800;
    return std::nullopt;
}

} // namespace celdara::dialect
