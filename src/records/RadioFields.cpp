#include "modem/StatusDisplay.h"
#include "records/RecordFields.h"

#include <charconv>
#include <cmath>

namespace celdara::recordfields {

namespace {

template <typename Int>
Value Number(const std::optional<Int>& value) {
    return value ? Value(std::to_string(*value)) : std::nullopt;
}

Value TechText(TAccessTech tech) {
    return tech == TAccessTech::Unknown ? std::nullopt : Value(AccessTechName(tech));
}

// A negative state is one outside 0..5: neither words nor a number describe it.
Value StateNumber(const std::optional<int>& state) {
    return state && *state >= 0 ? Number(state) : std::nullopt;
}

Value StateWords(const std::optional<int>& state) {
    if (!state)
        return std::nullopt;
    const std::string words = RegistrationStateText(*state);
    return words.empty() ? std::nullopt : Value(words);
}

// Every value a cell can have, in column order.
std::vector<TField> CellFields(const TRadioCell& cell) {
    return {
        {"tech", TechText(cell.Tech), true},
        {"channel", Number(cell.Channel)},
        {"band", Number(cell.Band)},
        {"pci", Number(cell.PhysicalId)},
        {"area_code", Number(cell.AreaCode)},
        {"cell_id", Number(cell.CellId)},
        {"enodeb", Number(ENodeBOf(cell))},
        {"mcc", Number(cell.Mcc)},
        {"mnc", Number(cell.Mnc)},
        {"rssi", DecimalText(cell.Rssi)},
        {"rscp", DecimalText(cell.Rscp)},
        {"ecio", DecimalText(cell.EcIo)},
        {"rsrp", DecimalText(cell.Rsrp)},
        {"rsrq", DecimalText(cell.Rsrq)},
        {"sinr", DecimalText(cell.Sinr)},
        {"ber", Number(cell.BitErrors)},
    };
}

// The fields of `cell` that `names` lists, in that order, each name prefixed.
std::vector<TField> Chosen(const TRadioCell& cell, const std::vector<const char*>& names,
                           const std::string& prefix) {
    const std::vector<TField> all = CellFields(cell);
    std::vector<TField> out;
    for (const char* name : names)
        for (const TField& f : all)
            if (f.Name == name)
                out.push_back({prefix + f.Name, f.Content, f.IsText});
    return out;
}

std::vector<TField> HeadFields(const TRadioStatus& radio) {
    return {
        {"access_tech", TechText(radio.Tech), true},
        {"act", Number(radio.Act)},
        {"eps_registration", StateWords(radio.EpsRegState), true},
        {"eps_registration_state", StateNumber(radio.EpsRegState)},
        {"nr_registration", StateWords(radio.NrRegState), true},
        {"nr_registration_state", StateNumber(radio.NrRegState)},
    };
}

void Append(std::vector<TField>& to, const std::vector<TField>& fields) {
    to.insert(to.end(), fields.begin(), fields.end());
}

// Neighbour lists give the channel but seldom the band. A cell that does not say its
// technology has the one it is listed under: the anchor and the neighbours of 5G NSA are LTE
// cells, as the window's grid takes them.
void FillBand(TRadioCell& cell, TAccessTech listed) {
    if (cell.Band || !cell.Channel)
        return;
    cell.Band =
        BandOfRadioChannel(cell.Tech != TAccessTech::Unknown ? cell.Tech : listed, *cell.Channel);
}

TRadioStatus WithBands(TRadioStatus radio) {
    TAccessTech listed = radio.Tech != TAccessTech::Unknown ? radio.Tech : radio.Serving.Tech;
    if (listed == TAccessTech::NrNsa)
        listed = TAccessTech::Lte;
    FillBand(radio.Serving, listed);
    if (radio.NrLeg)
        FillBand(*radio.NrLeg, TAccessTech::NrNsa);
    for (TRadioCell& neighbour : radio.Neighbours)
        FillBand(neighbour, listed);
    return radio;
}

// ---- text ------------------------------------------------------------------------------

// A missing value leaves no blank behind.
void AddWord(std::string& text, const std::string& word) {
    if (!word.empty())
        text += (text.empty() ? "" : " ") + word;
}

// Bands as people name them: GSM by its frequency, NR with a small n, the others with a B.
std::string BandText(const TRadioCell& cell) {
    const std::string number = std::to_string(*cell.Band);
    switch (cell.Tech) {
    case TAccessTech::Gsm:
        return number;
    case TAccessTech::NrSa:
    case TAccessTech::NrNsa:
        return "n" + number;
    default:
        return "B" + number;
    }
}

const char* PhysicalIdLabel(TAccessTech tech) {
    switch (tech) {
    case TAccessTech::Gsm:
        return "BSIC";
    case TAccessTech::Umts:
        return "PSC";
    default:
        return "PCI";
    }
}

std::string CellText(const TRadioCell& cell) {
    std::string text;
    if (cell.Band)
        AddWord(text, BandText(cell));
    if (cell.Channel)
        AddWord(text, std::to_string(*cell.Channel));
    if (cell.PhysicalId)
        AddWord(text,
                std::string(PhysicalIdLabel(cell.Tech)) + " " + std::to_string(*cell.PhysicalId));
    const std::pair<const char*, std::optional<double>> metrics[] = {
        {"RSSI", cell.Rssi}, {"RSCP", cell.Rscp}, {"Ec/Io", cell.EcIo},
        {"RSRP", cell.Rsrp}, {"RSRQ", cell.Rsrq}, {"SINR", cell.Sinr},
    };
    for (const auto& [label, value] : metrics)
        if (const Value digits = DecimalText(value))
            AddWord(text, std::string(label) + " " + *digits);
    if (cell.BitErrors)
        AddWord(text, "BER " + std::to_string(*cell.BitErrors));
    return text;
}

} // namespace

Value DecimalText(std::optional<double> value) {
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    char digits[32];
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof digits, *value, std::chars_format::fixed, 1);
    if (error != std::errc())
        return std::nullopt;
    const std::string text(digits, end);
    // -0.04 rounds to a zero that would keep its sign.
    return text == "-0.0" ? "0.0" : text;
}

std::vector<TField> RadioCsvFields(const TRadioStatus& given) {
    const TRadioStatus radio = WithBands(given);
    std::vector<TField> fields = HeadFields(radio);
    const std::vector<TField> serving = CellFields(radio.Serving);
    for (const TField& f : serving)
        fields.push_back({"radio_" + f.Name, f.Content, f.IsText});
    Append(fields, Chosen(radio.NrLeg.value_or(TRadioCell{}),
                          {"channel", "band", "pci", "rsrp", "rsrq", "sinr"}, "nr_leg_"));
    // The count tells what the fixed groups could not hold. An empty list may be a modem
    // that lists no neighbours, so it is no value rather than a zero.
    const std::size_t count = radio.Neighbours.size();
    fields.push_back(
        {"radio_neighbour_count", count > 0 ? Value(std::to_string(count)) : std::nullopt});
    for (int k = 0; k < kCsvRadioNeighbours; ++k) {
        const std::size_t i = static_cast<std::size_t>(k);
        const TRadioCell cell = i < radio.Neighbours.size() ? radio.Neighbours[i] : TRadioCell{};
        Append(fields, Chosen(cell, {"tech", "channel", "pci", "rsrp", "rsrq", "rscp"},
                              "radio_neighbour" + std::to_string(k + 1) + "_"));
    }
    return fields;
}

std::string RadioJsonMembers(const TRadioStatus& given) {
    const TRadioStatus radio = WithBands(given);
    std::string members = JsonObject(HeadFields(radio));
    members.front() = ',';
    members.pop_back();
    // A cell of which nothing is known is no cell, as the GSM serving cell is null when
    // invalid.
    members += ",\"radio_serving_cell\":" +
               (radio.Serving == TRadioCell{} ? "null" : JsonObject(CellFields(radio.Serving)));
    members += ",\"nr_leg\":" + (radio.NrLeg ? JsonObject(CellFields(*radio.NrLeg)) : "null");
    members += ",\"radio_neighbour_cells\":[";
    for (std::size_t i = 0; i < radio.Neighbours.size(); ++i) {
        std::vector<TField> given;
        for (const TField& f : CellFields(radio.Neighbours[i]))
            if (f.Content)
                given.push_back(f);
        members += (i > 0 ? "," : "") + JsonObject(given);
    }
    return members + "]";
}

std::string RadioText(const TRadioStatus& given) {
    const TRadioStatus radio = WithBands(given);
    const TAccessTech tech = radio.Tech != TAccessTech::Unknown ? radio.Tech : radio.Serving.Tech;
    std::string text = tech == TAccessTech::Unknown ? "" : AccessTechName(tech);
    AddWord(text, CellText(radio.Serving));
    const std::string leg = radio.NrLeg ? CellText(*radio.NrLeg) : "";
    if (!leg.empty())
        AddWord(text, "+ " + leg);
    const std::size_t neighbours = radio.Neighbours.size();
    if (neighbours > 0)
        text += (text.empty() ? "" : ", ") + std::to_string(neighbours) +
                (neighbours == 1 ? " neighbour" : " neighbours");
    return text.empty() ? text : "  " + text;
}

} // namespace celdara::recordfields
