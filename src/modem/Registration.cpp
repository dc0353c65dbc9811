// The registration lines of 3GPP TS 27.007, read in the form their fields fit. The read
// command's answers:
//
//   7.2     +CREG: <n>,<stat>[,[<lac>],[<ci>],[<AcT>][,<cause_type>,<reject_cause>]]
//   10.1.19 +CGREG: <n>,<stat>[,[<lac>],[<ci>],[<AcT>],[<rac>][,<cause_type>,<reject_cause>]
//                   [,[<Active-Time>],[<Periodic-RAU>],[<GPRS-READY-timer>]]]
//   10.1.22 +CEREG: <n>,<stat>[,[<tac>],[<ci>],[<AcT>][,<cause_type>,<reject_cause>]
//                   [,[<Active-Time>],[<Periodic-TAU>]]]
//   10.1.23 +C5GREG: <n>,<stat>[,[<tac>],[<ci>],[<AcT>],[<Allowed_NSSAI_length>],
//                   [<Allowed_NSSAI>][,<cause_type>,<reject_cause>]][,<cag_stat>][,<caginfo>]
//
// and the unsolicited line of each the same without <n>. <lac> is "two byte location area
// code in hexadecimal format", <ci> "four byte ... cell ID in hexadecimal format" (28 bits on
// E-UTRAN), the 5GS <tac> three bytes and its <ci> the 36-bit NR cell identity. Older modems
// end after <ci> or <AcT> (Rel-99 +CGREG has no <rac>), write the hex fields without quotes
// and with blanks around them; some write the numbers with leading zeros ("+CREG:002,001,...",
// an Iridium modem in ModemManager's tests).
#include "modem/Registration.h"

#include "modem/DialectFields.h"

#include <array>
#include <cstdint>
#include <initializer_list>

namespace celdara {

using namespace dialect;

namespace {

// What a field behind <stat> can be.
enum class TKind {
    Area,   // 2 bytes hex: <lac>, the EPS <tac>
    Ci,     // 4 bytes hex
    Eci,    // 28 bits hex
    Tac5gs, // 3 bytes hex
    Nci,    // 36 bits hex
    Rac,    // 1 byte hex
    Act,    // integer 0..13 (7.3)
    Number, // integer (causes, NSSAI length, <cag_stat>)
    Text,   // a string of any content (NSSAI, timers as bit strings, <caginfo>)
};

// The tail lengths a domain's forms may have, one bit each.
constexpr std::uint32_t LengthsOf(std::initializer_list<std::size_t> lengths) {
    std::uint32_t bits = 0;
    for (std::size_t length : lengths)
        bits |= 1u << length;
    return bits;
}

struct TLayout {
    std::string_view Prefix;
    TRegDomain Domain;
    // The fields behind <stat> in their order, and how many of them a form may carry.
    std::array<TKind, 9> Tail;
    std::uint32_t Lengths;
};

const TLayout kLayouts[] = {
    {"+CREG:",
     TRegDomain::Cs,
     {TKind::Area, TKind::Ci, TKind::Act, TKind::Number, TKind::Number},
     LengthsOf({0, 2, 3, 5})},
    {"+CGREG:",
     TRegDomain::Ps,
     {TKind::Area, TKind::Ci, TKind::Act, TKind::Rac, TKind::Number, TKind::Number, TKind::Text,
      TKind::Text, TKind::Text},
     LengthsOf({0, 2, 3, 4, 6, 9})},
    {"+CEREG:",
     TRegDomain::Eps,
     {TKind::Area, TKind::Eci, TKind::Act, TKind::Number, TKind::Number, TKind::Text, TKind::Text},
     LengthsOf({0, 2, 3, 5, 7})},
    // Behind <Allowed_NSSAI>: the causes, or <cag_stat> alone (n=4 without a cause).
    {"+C5GREG:",
     TRegDomain::Fgs,
     {TKind::Tac5gs, TKind::Nci, TKind::Act, TKind::Number, TKind::Text, TKind::Number,
      TKind::Number, TKind::Number, TKind::Text},
     LengthsOf({0, 2, 3, 5, 6, 7, 8, 9})},
};

// A hex field's widest value and most digits.
struct THexRule {
    std::int64_t Max;
    std::size_t Digits;
};

THexRule HexRuleOf(TKind kind) {
    switch (kind) {
    case TKind::Area:
        return {0xFFFF, 8};
    case TKind::Ci:
        return {0xFFFFFFFF, 8};
    case TKind::Eci:
        return {0xFFFFFFF, 8};
    case TKind::Tac5gs:
        return {0xFFFFFF, 8};
    case TKind::Nci:
        return {0xFFFFFFFFF, 9};
    default:
        return {0xFF, 8};
    }
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Hex of 2 up to the rule's digits, no sign, no "0x", within the field's width.
std::optional<std::int64_t> HexField(const TField& field, TKind kind) {
    const THexRule rule = HexRuleOf(kind);
    const std::string& text = field.Text;
    if (text.size() < 2 || text.size() > rule.Digits)
        return std::nullopt;
    for (char c : text)
        if (!IsHexDigit(c))
            return std::nullopt;
    const std::optional<std::int64_t> value = HexOf(text);
    return value && *value <= rule.Max ? value : std::nullopt;
}

// A decimal integer field, written without quotes; `plain` also refuses leading zeros.
std::optional<int> IntegerField(const TField& field, bool plain) {
    if (field.Quoted || field.Text.empty() || field.Text.front() == '+' ||
        field.Text.front() == '-')
        return std::nullopt;
    if (plain && field.Text.size() > 1 && field.Text.front() == '0')
        return std::nullopt;
    return IntOf(field.Text);
}

// The field can be what its kind says; an empty field is a value the modem left out.
bool Fits(const TField& field, TKind kind) {
    if (field.Text.empty())
        return true;
    switch (kind) {
    case TKind::Act: {
        const std::optional<int> act = IntegerField(field, false);
        return act && *act >= 0 && *act <= 13;
    }
    case TKind::Number:
        return IntegerField(field, false).has_value();
    case TKind::Text:
        return true;
    default:
        return HexField(field, kind).has_value();
    }
}

// How many fields of the tail beginning at `first` cannot be what the form says; nothing
// when no form has a tail of that length.
std::optional<int> Misfits(const TFields& f, std::size_t first, const TLayout& layout) {
    const std::size_t length = f.size() - first;
    if (length > layout.Tail.size() || !(layout.Lengths & (1u << length)))
        return std::nullopt;
    int misfits = 0;
    for (std::size_t i = 0; i < length; ++i)
        misfits += Fits(f[first + i], layout.Tail[i]) ? 0 : 1;
    return misfits;
}

struct TForm {
    bool Unsolicited = false;
    bool HeadOnly = false; // the tail fits no form: <n>,<stat> alone are read
};

// A line's form: of the forms its field count allows, the one with fewer fields out of
// place (the read command's on a tie), whose misplaced fields are left out. Beside a valid
// <n>,<stat>, a misplaced field of the unsolicited form is most likely that <stat>: such a
// line, and one of a vendor's own layout that no form fits, gives <n>,<stat> alone.
std::optional<TForm> FormOf(const TFields& f, const TLayout& layout, bool plain) {
    if (f.empty())
        return std::nullopt;
    const std::optional<int> n = f.size() >= 2 ? IntegerField(f[0], plain) : std::nullopt;
    const bool readHead = n && *n >= 0 && *n <= 5 && IntegerField(f[1], plain);
    const bool unsolicitedHead = IntegerField(f[0], plain).has_value();
    const std::optional<int> read = readHead ? Misfits(f, 2, layout) : std::nullopt;
    const std::optional<int> unsolicited = unsolicitedHead ? Misfits(f, 1, layout) : std::nullopt;
    if (read && (!unsolicited || *read <= *unsolicited))
        return TForm{false, false};
    if (unsolicited && (*unsolicited == 0 || !readHead))
        return TForm{true, false};
    if (readHead)
        return TForm{false, true};
    return std::nullopt;
}

std::optional<std::int64_t> HexAtTail(const TFields& f, std::size_t index, TKind kind) {
    return index < f.size() ? HexField(f[index], kind) : std::nullopt;
}

TRegistration Read(const TFields& f, const TLayout& layout, TForm form) {
    TRegistration r;
    r.Domain = layout.Domain;
    r.Unsolicited = form.Unsolicited;
    const std::size_t statAt = form.Unsolicited ? 0 : 1;
    if (!form.Unsolicited)
        r.Mode = IntOf(f[0].Text);
    const int stat = IntOf(f[statAt].Text).value_or(-1);
    r.State = stat >= 0 && stat <= 11 ? stat : -1;
    if (form.HeadOnly)
        return r;
    const std::size_t tail = statAt + 1;
    if (const std::optional<std::int64_t> area = HexAtTail(f, tail, layout.Tail[0]))
        r.AreaCode = static_cast<int>(*area);
    r.CellId = HexAtTail(f, tail + 1, layout.Tail[1]);
    if (tail + 2 < f.size() && Fits(f[tail + 2], TKind::Act))
        r.Act = IntOf(f[tail + 2].Text);
    return r;
}

// ---- Into the status ---------------------------------------------------------------------

// Whether the serving cell, of the technology it has, takes the location of the domain.
bool LocationFits(TRegDomain domain, TAccessTech cell) {
    switch (domain) {
    case TRegDomain::Cs:
    case TRegDomain::Ps:
        return cell == TAccessTech::Gsm || cell == TAccessTech::Umts;
    case TRegDomain::Eps:
        return cell != TAccessTech::Gsm && cell != TAccessTech::Umts && cell != TAccessTech::NrSa;
    case TRegDomain::Fgs:
        return cell == TAccessTech::Unknown || cell == TAccessTech::NrSa;
    }
    return false;
}

// The location and technology of a registered modem, where nothing finer told them yet.
void StoreLocation(const TRegistration& r, TModemStatus& status) {
    TRadioStatus& radio = status.Radio;
    const TAccessTech tech = r.Act ? AccessTechOfAct(*r.Act) : TAccessTech::Unknown;
    if (tech != TAccessTech::Unknown && radio.Tech == TAccessTech::Unknown) {
        radio.Tech = tech;
        radio.Act = r.Act;
    }
    TRadioCell& cell = radio.Serving;
    if (cell.Tech == TAccessTech::Unknown && tech != TAccessTech::Unknown)
        cell.Tech = tech == TAccessTech::NrNsa ? TAccessTech::Lte : tech;
    // +CREG/+CGREG name no technology on many modems; the one +COPS gave the radio tells
    // whether the LAC is one.
    const bool circuit = r.Domain == TRegDomain::Cs || r.Domain == TRegDomain::Ps;
    const TAccessTech known = circuit && cell.Tech == TAccessTech::Unknown ? radio.Tech : cell.Tech;
    if (!LocationFits(r.Domain, known))
        return;
    if (circuit)
        cell.Tech = known;
    if (!cell.AreaCode)
        SetIf(cell.AreaCode, r.AreaCode);
    if (!cell.CellId)
        SetIf(cell.CellId, r.CellId);
}

} // namespace

std::optional<TRegistration> ParseRegistrationLine(std::string_view line) {
    for (const TLayout& layout : kLayouts) {
        std::string_view rest;
        if (!HasPrefix(line, layout.Prefix, rest))
            continue;
        const TFields f = SplitFields(rest);
        // Numbers with leading zeros only where no form fits without them.
        for (bool plain : {true, false})
            if (const std::optional<TForm> form = FormOf(f, layout, plain))
                return Read(f, layout, *form);
        return std::nullopt;
    }
    return std::nullopt;
}

bool IsRegisteredState(int state) {
    return state == 1 || state == 5 || state == 6 || state == 7 || state == 9 || state == 10;
}

bool IsEmergencyOnlyState(int state) {
    return state == 8 || state == 11;
}

void ApplyRegistration(const TRegistration& registration, TModemStatus& status) {
    switch (registration.Domain) {
    case TRegDomain::Cs:
        status.RegState = registration.State;
        status.RegStateValid = true;
        break;
    case TRegDomain::Ps:
        status.Radio.PsRegState = registration.State;
        break;
    case TRegDomain::Eps:
        status.Radio.EpsRegState = registration.State;
        break;
    case TRegDomain::Fgs:
        status.Radio.NrRegState = registration.State;
        break;
    }
    if (IsRegisteredState(registration.State))
        StoreLocation(registration, status);
}

} // namespace celdara
