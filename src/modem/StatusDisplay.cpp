#include "modem/StatusDisplay.h"

#include "modem/Registration.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace celdara {

namespace {

template <typename... Args>
std::string Printf(const char* format, Args... args) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, args...);
    return buf;
}

// A measurement that is there and is a number a receiver could have measured: a level or
// quality a thousand dB away from zero is a misread field, not a value to show.
std::optional<double> Measured(const std::optional<double>& value) {
    if (value && std::isfinite(*value) && std::fabs(*value) < 1000.0)
        return value;
    return std::nullopt;
}

int LinearLevel(double dbm, double low, double high) {
    if (!std::isfinite(dbm))
        return 0;
    const double level = std::round((dbm - low) * 100.0 / (high - low));
    return static_cast<int>(std::clamp(level, 0.0, 100.0));
}

bool IsLteOrNr(TAccessTech tech) {
    return tech == TAccessTech::Lte || tech == TAccessTech::NbIot || tech == TAccessTech::NrSa ||
           tech == TAccessTech::NrNsa;
}

// +CSQ gave no level: not asked, or 99, which LTE modems answer.
bool CsqUnknown(const TModemStatus& status) {
    return !status.LevelValid || status.SignalRaw == 99;
}

// The serving measurement, the NR leg's standing in on 5G NSA when the anchor has none.
std::optional<double> ServingMeasurement(const TRadioStatus& radio,
                                         std::optional<double> TRadioCell::*field) {
    if (auto value = Measured(radio.Serving.*field))
        return value;
    if (radio.NrLeg)
        return Measured((*radio.NrLeg).*field);
    return std::nullopt;
}

// Whole numbers as such, others with one decimal; "-" for no number.
std::string NumberText(const std::optional<double>& value) {
    if (!Measured(value))
        return "-";
    const double tenths = std::round(*value * 10.0) / 10.0;
    if (tenths == std::trunc(tenths))
        return Printf("%.0f", tenths == 0.0 ? 0.0 : tenths);
    return Printf("%.1f", tenths);
}

// Channels and physical ids are never negative.
std::string IntText(const std::optional<int>& value) {
    return value && *value >= 0 ? std::to_string(*value) : "-";
}

// "1A2B (6699)"; "-" for nothing or a negative number, which no identity is.
std::string HexDecText(const std::optional<std::int64_t>& value) {
    if (!value || *value < 0)
        return "-";
    return Printf("%llX (%lld)", static_cast<unsigned long long>(*value),
                  static_cast<long long>(*value));
}

std::optional<std::int64_t> Wide(const std::optional<int>& value) {
    if (!value)
        return std::nullopt;
    return *value;
}

} // namespace

const char* RegistrationStateText(int state) {
    switch (state) {
    case 0:
        return "not registered, not searching";
    case 1:
        return "registered, home network";
    case 2:
        return "not registered, searching";
    case 3:
        return "registration denied";
    case 4:
        return "registration state unknown";
    case 5:
        return "registered, roaming";
    case 6:
        return "registered for SMS only, home network";
    case 7:
        return "registered for SMS only, roaming";
    case 8:
        return "attached for emergency bearer services only";
    case 9:
        return "registered for CSFB not preferred, home network";
    case 10:
        return "registered for CSFB not preferred, roaming";
    case 11:
        return "attached for RLOS only";
    default:
        return "";
    }
}

const TCellRowTexts& CellGridHeaders() {
    static const TCellRowTexts headers{"channel", "band", "rssi", "dBm", "C1", "MCC MNC"};
    return headers;
}

std::string BandOfChannel(int channel) {
    if ((channel >= 0 && channel <= 124) || (channel >= 955 && channel <= 1023))
        return "900";
    if (channel >= 512 && channel <= 885)
        return "1800";
    return "?";
}

TAccessTech ServingTechOf(const TModemStatus& status) {
    return status.Radio.Tech != TAccessTech::Unknown ? status.Radio.Tech
                                                     : status.Radio.Serving.Tech;
}

int LevelOfRsrp(double dbm) {
    return LinearLevel(dbm, -140.0, -44.0);
}

int LevelOfRscp(double dbm) {
    return LinearLevel(dbm, -120.0, -25.0);
}

namespace {

// The level from RSRP or RSCP where the bar takes it from them.
std::optional<int> RadioSignalLevelOf(const TModemStatus& status) {
    const TAccessTech tech = ServingTechOf(status);
    const std::optional<double> rsrp = ServingMeasurement(status.Radio, &TRadioCell::Rsrp);
    if (rsrp && (IsLteOrNr(tech) || CsqUnknown(status)))
        return LevelOfRsrp(*rsrp);
    const std::optional<double> rscp = Measured(status.Radio.Serving.Rscp);
    if (rscp && tech == TAccessTech::Umts && CsqUnknown(status))
        return LevelOfRscp(*rscp);
    return std::nullopt;
}

} // namespace

std::optional<int> MeasuredSignalLevelOf(const TModemStatus& status) {
    if (const std::optional<int> level = RadioSignalLevelOf(status))
        return level;
    if (status.LevelValid && status.SignalRaw >= 0 && status.SignalRaw <= 31)
        return status.Level;
    return std::nullopt;
}

namespace {

// The serving cell as one number; nothing when the modem names no serving cell.
std::optional<int> ServingCellKey(const TModemStatus& status) {
    const TCellInfo& serving = status.Cells[kServingCellRow];
    if (serving.Valid)
        return serving.Channel;
    const TRadioCell& cell = status.Radio.Serving;
    if (!cell.Channel && !cell.PhysicalId)
        return std::nullopt;
    const std::uint64_t mixed =
        (static_cast<std::uint64_t>(ServingTechOf(status)) * 0x9E3779B97F4A7C15ull) ^
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(cell.Channel.value_or(-1))) << 20) ^
        static_cast<std::uint64_t>(static_cast<std::uint32_t>(cell.PhysicalId.value_or(-1)));
    const std::uint64_t folded = (mixed ^ (mixed >> 30) ^ (mixed >> 60)) & 0x3FFFFFFFu;
    return -2 - static_cast<int>(folded);
}

} // namespace

int GraphValueOf(const TModemStatus& status, int& LastServingChannel) {
    // A cell without a level is not yet a change worth a spike: it spikes when it has one.
    const std::optional<int> level = MeasuredSignalLevelOf(status);
    if (!level)
        return -1;
    const std::optional<int> key = ServingCellKey(status);
    if (key && *key != LastServingChannel) {
        LastServingChannel = *key;
        return 100;
    }
    return *level;
}

TGraphSample GraphSampleOf(const TModemStatus& status, int& LastServingChannel) {
    return {GraphValueOf(status, LastServingChannel),
            ServingMeasurement(status.Radio, &TRadioCell::Rsrp),
            ServingMeasurement(status.Radio, &TRadioCell::Sinr)};
}

namespace {

// An LTE or 5G modem is often registered for data alone while +CREG, the circuit-switched
// domain, says it is not: a registration in any domain counts, then an attachment for
// emergency or RLOS only, then what +CREG says; nothing when no domain tells of one.
std::optional<int> RegistrationOf(const TModemStatus& status) {
    const std::optional<int> states[] = {
        status.RegStateValid ? std::optional<int>(status.RegState) : std::nullopt,
        status.Radio.PsRegState,
        status.Radio.EpsRegState,
        status.Radio.NrRegState,
    };
    for (bool (*counts)(int) : {IsRegisteredState, IsEmergencyOnlyState})
        for (const std::optional<int>& state : states)
            if (state && counts(*state))
                return *state;
    for (const std::optional<int>& state : states)
        if (state)
            return *state;
    return std::nullopt;
}

// The parser marks an operator the modem said it has none of as "?".
bool Named(bool valid, const std::string& text) {
    return valid && !text.empty() && text != "?";
}

// The operator group's item "<name> (<code>)" of `code`, behind "Auto select"; -1 for none.
int ItemOfCode(const std::vector<std::string>& items, const std::string& code) {
    const std::string marked = "(" + code + ")";
    for (std::size_t i = 1; i < items.size(); ++i)
        if (items[i].find(marked) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

} // namespace

std::string OperatorPanelText(const TModemStatus& status) {
    // A network known by its code alone is named by it: it is no unknown operator.
    const bool named = Named(status.OperatorNameValid, status.OperatorName);
    const bool coded = Named(status.OperatorCodeValid, status.OperatorCode);
    std::string text = named   ? status.OperatorName
                       : coded ? status.OperatorCode
                               : "operator not known";
    if (named && coded)
        text += " (" + status.OperatorCode + ")";
    const std::optional<int> state = RegistrationOf(status);
    const char* registration = state ? RegistrationStateText(*state) : "";
    text += std::string(", ") + (*registration != '\0' ? registration : "registration not known");
    return text;
}

int CheckedOperatorOf(const TModemStatus& status, const std::vector<std::string>& items) {
    if (!status.SelectionModeValid || items.empty())
        return -1;
    if (status.SelectionMode == 0)
        return 0;
    if (status.SelectionMode != 1 && status.SelectionMode != 4)
        return -1;
    if (!Named(status.OperatorCodeValid, status.OperatorCode))
        return -1;
    return ItemOfCode(items, status.OperatorCode);
}

std::string SwitchingText(const std::string& target, const std::vector<std::string>& items) {
    static const char* const ellipsis = "\xe2\x80\xa6";
    if (target == "AUTO")
        return std::string("Switching to automatic selection") + ellipsis;
    const int item = ItemOfCode(items, target);
    return "Switching to " + (item > 0 ? items[static_cast<std::size_t>(item)] : target) + ellipsis;
}

TCellRowTexts CellRowTexts(const TCellInfo& cell) {
    if (!cell.Valid)
        return {"-", "-", "-", "-", "-", "-"};
    // Truncated toward zero, as the grid has always shown it.
    const double percent = std::trunc(cell.Rssi / 64.0 * 100.0);
    const int rssiPercent = static_cast<int>(std::clamp(percent, -2147483648.0, 2147483647.0));
    return {Printf("%4d", cell.Channel),  BandOfChannel(cell.Channel),
            Printf("%4d%%", rssiPercent), Printf("%4d", cell.Dbm),
            Printf("%3d", cell.C1),       Printf("%3.3d %2.2d", cell.Mcc, cell.Mnc)};
}

namespace {

// "B20" for LTE and UMTS, "n78" for NR, "900" for GSM; "-" without a band.
std::string BandText(TAccessTech tech, const std::optional<int>& band) {
    if (!band || *band <= 0)
        return "-";
    switch (tech) {
    case TAccessTech::Gsm:
        return std::to_string(*band);
    case TAccessTech::NrSa:
    case TAccessTech::NrNsa:
        return "n" + std::to_string(*band);
    default:
        return "B" + std::to_string(*band);
    }
}

// The band the modem named, else the one its channel lies in.
std::optional<int> BandOf(const TRadioCell& cell, TAccessTech tech) {
    if (cell.Band || !cell.Channel)
        return cell.Band;
    return BandOfRadioChannel(tech, *cell.Channel);
}

std::string OperatorCodeText(const TRadioCell& cell) {
    if (!cell.Mcc || !cell.Mnc || *cell.Mcc < 0 || *cell.Mnc < 0)
        return "-";
    return Printf("%3.3d %0*d", *cell.Mcc, cell.MncDigits == 3 ? 3 : 2, *cell.Mnc);
}

// A cell that does not say its technology has the one it is listed under.
TAccessTech TechOf(const TRadioCell& cell, TAccessTech listed) {
    return cell.Tech != TAccessTech::Unknown ? cell.Tech : listed;
}

std::vector<std::string> RadioRowTexts(const TRadioCell& cell, TAccessTech listed) {
    const bool umts = listed == TAccessTech::Umts;
    return {IntText(cell.Channel),
            BandText(TechOf(cell, listed), BandOf(cell, TechOf(cell, listed))),
            IntText(cell.PhysicalId),
            NumberText(umts ? cell.Rscp : cell.Rsrp),
            NumberText(umts ? cell.EcIo : cell.Rsrq),
            umts ? OperatorCodeText(cell) : NumberText(cell.Sinr),
            umts ? std::string() : OperatorCodeText(cell)};
}

// A GSM cell the radio status describes, in the columns of ^MONI; what it does not tell
// (the 0..63 level, C1) stays "-".
std::vector<std::string> GsmRowTexts(const TRadioCell& cell) {
    const std::string band = cell.Band      ? BandText(TAccessTech::Gsm, cell.Band)
                             : cell.Channel ? BandOfChannel(*cell.Channel)
                                            : "-";
    return {cell.Channel ? Printf("%4d", *cell.Channel) : "-",       band, "-",
            Measured(cell.Rssi) ? Printf("%4.0f", *cell.Rssi) : "-", "-",  OperatorCodeText(cell)};
}

// Some modems list the serving cell among the neighbours again; it is the same cell when its
// channel and PCI or PSC are.
bool SameCell(const TRadioCell& neighbour, const TRadioCell& serving) {
    return neighbour.Channel && neighbour.PhysicalId && neighbour.Channel == serving.Channel &&
           neighbour.PhysicalId == serving.PhysicalId;
}

// The serving cell, the NR leg on 5G NSA, then the neighbours, each with the technology it
// is listed under: the anchor and the neighbours of 5G NSA are LTE cells.
std::vector<std::pair<const TRadioCell*, TAccessTech>> ListedCells(const TRadioStatus& radio,
                                                                   TAccessTech tech) {
    const TAccessTech cells = tech == TAccessTech::NrNsa ? TAccessTech::Lte : tech;
    std::vector<std::pair<const TRadioCell*, TAccessTech>> listed{{&radio.Serving, cells}};
    if (radio.NrLeg)
        listed.emplace_back(&*radio.NrLeg, TAccessTech::NrNsa);
    for (const TRadioCell& neighbour : radio.Neighbours)
        if (!SameCell(neighbour, radio.Serving))
            listed.emplace_back(&neighbour, cells);
    return listed;
}

bool AnyGsmCellValid(const TModemStatus& status) {
    return std::any_of(status.Cells.begin(), status.Cells.end(),
                       [](const TCellInfo& cell) { return cell.Valid; });
}

TCellGrid MoniGrid(const TModemStatus& status) {
    const TCellRowTexts& headers = CellGridHeaders();
    TCellGrid grid{{headers.begin(), headers.end()}, {}, {}};
    for (const TCellInfo& cell : status.Cells) {
        const TCellRowTexts row = CellRowTexts(cell);
        grid.Rows.emplace_back(row.begin(), row.end());
    }
    return grid;
}

// Band and operator code are names; every other column is a number.
std::vector<bool> NumberColumnsOf(const std::vector<std::string>& headers) {
    std::vector<bool> numbers;
    for (const std::string& header : headers)
        numbers.push_back(header != "band" && header != "MCC MNC");
    return numbers;
}

TCellGrid GridOfTech(const TModemStatus& status, TAccessTech tech) {
    const bool gsm = tech == TAccessTech::Gsm || tech == TAccessTech::Unknown;
    if (tech == TAccessTech::Unknown || (gsm && AnyGsmCellValid(status)))
        return MoniGrid(status);
    TCellGrid grid;
    if (gsm)
        grid.Headers.assign(CellGridHeaders().begin(), CellGridHeaders().end());
    else if (tech == TAccessTech::Umts)
        grid.Headers = {"channel", "band", "PSC", "RSCP", "Ec/Io", "MCC MNC"};
    else
        grid.Headers = {"channel", "band", "PCI", "RSRP", "RSRQ", "SINR", "MCC MNC"};
    const auto cells = ListedCells(status.Radio, tech);
    for (std::size_t row = 0; row < static_cast<std::size_t>(kCellRowCount); ++row) {
        std::vector<std::string> texts(grid.Headers.size(), "-");
        if (row < cells.size() && *cells[row].first != TRadioCell{}) {
            const TRadioCell& cell = *cells[row].first;
            texts = gsm ? GsmRowTexts(cell) : RadioRowTexts(cell, cells[row].second);
            texts.resize(grid.Headers.size());
        }
        grid.Rows.push_back(std::move(texts));
    }
    return grid;
}

// A status that names no technology shows in the layout's.
TAccessTech ShownTechOf(const TModemStatus& status, TAccessTech layout) {
    const TAccessTech tech = ServingTechOf(status);
    return tech == TAccessTech::Unknown && !AnyGsmCellValid(status) ? layout : tech;
}

} // namespace

TAccessTech LayoutTechOf(const TModemStatus& status, TAccessTech& LastLayoutTech) {
    const TAccessTech tech = ServingTechOf(status);
    // GSM without a radio cell has no panel: its layout is the ^MONI grid's.
    if (tech == TAccessTech::Gsm && status.Radio.Serving == TRadioCell{})
        LastLayoutTech = TAccessTech::Unknown;
    else if (tech != TAccessTech::Unknown || AnyGsmCellValid(status))
        LastLayoutTech = tech;
    return LastLayoutTech;
}

TCellGrid CellGridOf(const TModemStatus& status, TAccessTech layout) {
    TCellGrid grid = GridOfTech(status, ShownTechOf(status, layout));
    grid.NumberColumns = NumberColumnsOf(grid.Headers);
    return grid;
}

const char* QualityWord(TQuality quality) {
    switch (quality) {
    case TQuality::Excellent:
        return "excellent";
    case TQuality::Good:
        return "good";
    case TQuality::Fair:
        return "fair";
    case TQuality::Poor:
        return "poor";
    case TQuality::Unknown:
        break;
    }
    return "";
}

namespace {

TQuality Graded(double value, double excellent, double good, double fair) {
    if (value >= excellent)
        return TQuality::Excellent;
    if (value >= good)
        return TQuality::Good;
    if (value >= fair)
        return TQuality::Fair;
    return TQuality::Poor;
}

} // namespace

TQuality QualityOf(TMetric metric, double value) {
    if (!std::isfinite(value))
        return TQuality::Unknown;
    switch (metric) {
    case TMetric::Rsrp:
        return Graded(value, -80, -90, -100);
    case TMetric::Rsrq:
        return Graded(value, -10, -15, -20);
    case TMetric::Sinr:
        // The borders of SINR belong to the word below them.
        if (value > 20)
            return TQuality::Excellent;
        return value >= 13 ? TQuality::Good : value > 0 ? TQuality::Fair : TQuality::Poor;
    case TMetric::Rscp:
    case TMetric::Rssi:
        return Graded(value, -70, -85, -100);
    case TMetric::EcIo:
        return Graded(value, -6, -10, -20);
    }
    return TQuality::Unknown;
}

namespace {

TMetricText MetricText(const std::string& prefix, TMetric metric,
                       const std::optional<double>& value) {
    static const char* const names[] = {"RSRP", "RSRQ", "SINR", "RSCP", "Ec/Io", "RSSI"};
    static const char* const units[] = {"dBm", "dB", "dB", "dBm", "dB", "dBm"};
    const auto index = static_cast<std::size_t>(metric);
    TMetricText text{prefix + names[index], "-", "", TQuality::Unknown};
    if (Measured(value)) {
        text.Value = NumberText(value) + " " + units[index];
        text.Level = QualityOf(metric, *value);
        text.Quality = QualityWord(text.Level);
    }
    return text;
}

void AddLteMetrics(TRadioPanel& panel, const std::string& prefix, const TRadioCell& cell) {
    panel.Metrics.push_back(MetricText(prefix, TMetric::Rsrp, cell.Rsrp));
    panel.Metrics.push_back(MetricText(prefix, TMetric::Rsrq, cell.Rsrq));
    panel.Metrics.push_back(MetricText(prefix, TMetric::Sinr, cell.Sinr));
}

// The technology with the serving cell's band, for a modem that names no carrier.
std::string ServingTechnologyText(const TModemStatus& status, TAccessTech tech) {
    const TRadioCell& serving = status.Radio.Serving;
    // The serving cell of 5G NSA is its LTE anchor.
    const TAccessTech cells = tech == TAccessTech::NrNsa ? TAccessTech::Lte : tech;
    std::string band = BandText(cells, BandOf(serving, cells));
    if (tech == TAccessTech::Gsm && band == "-" && serving.Channel)
        band = BandOfChannel(*serving.Channel);
    const std::string own = band == "-" || band == "?" ? "" : " " + band;
    if (tech != TAccessTech::NrNsa)
        return AccessTechName(tech) + own;
    const TRadioCell nr = status.Radio.NrLeg.value_or(TRadioCell{});
    const std::string nrBand = BandText(TAccessTech::NrNsa, BandOf(nr, TAccessTech::NrNsa));
    return std::string("5G NSA") + (nrBand == "-" ? "" : " " + nrBand) + " + LTE" + own;
}

std::string TechnologyText(const TModemStatus& status, TAccessTech tech) {
    const std::vector<TCarrier> carriers = CarriersInUse(status.Radio);
    std::string text = CarrierSummaryText(carriers);
    if (text.empty())
        return ServingTechnologyText(status, tech);
    if (const std::optional<double> mhz = AggregatedBandwidthMhz(carriers))
        text += " \xc2\xb7 " + NumberText(mhz) + " MHz";
    return text;
}

void AddLteIdentity(TRadioPanel& panel, const TModemStatus& status, TAccessTech tech) {
    TRadioCell serving = status.Radio.Serving;
    panel.Identity.emplace_back("TAC", HexDecText(Wide(serving.AreaCode)));
    panel.Identity.emplace_back("Cell ID", HexDecText(serving.CellId));
    if (tech != TAccessTech::NrSa) {
        // The anchor of 5G NSA and NB-IoT name their cells as LTE does.
        serving.Tech = TAccessTech::Lte;
        const std::optional<std::int64_t> enb = ENodeBOf(serving);
        panel.Identity.emplace_back("eNodeB", enb && *enb >= 0 ? std::to_string(*enb) : "-");
    }
    panel.Identity.emplace_back("PCI", IntText(serving.PhysicalId));
    if (tech == TAccessTech::NrNsa)
        panel.Identity.emplace_back("NR PCI",
                                    IntText(status.Radio.NrLeg.value_or(TRadioCell{}).PhysicalId));
}

} // namespace

TRadioPanel RadioPanelOf(const TModemStatus& status, TAccessTech layout) {
    const TAccessTech own = ServingTechOf(status);
    const TAccessTech tech = ShownTechOf(status, layout);
    TRadioPanel panel;
    // GSM told by ^MONI alone has its grid; only a GSM cell of the radio status has a panel,
    // and a GSM layout kept while the values are away.
    if (tech == TAccessTech::Unknown ||
        (own == TAccessTech::Gsm && status.Radio.Serving == TRadioCell{}))
        return panel;
    panel.Technology = TechnologyText(status, tech);
    panel.Carriers = CarrierRowsOf(status);
    const TRadioCell& serving = status.Radio.Serving;
    if (tech == TAccessTech::Umts) {
        panel.Metrics.push_back(MetricText("", TMetric::Rscp, serving.Rscp));
        panel.Metrics.push_back(MetricText("", TMetric::EcIo, serving.EcIo));
        panel.Identity = {{"LAC", HexDecText(Wide(serving.AreaCode))},
                          {"Cell ID", HexDecText(serving.CellId)},
                          {"PSC", IntText(serving.PhysicalId)}};
    } else if (tech == TAccessTech::Gsm) {
        panel.Metrics.push_back(MetricText("", TMetric::Rssi, serving.Rssi));
        panel.Identity = {{"LAC", HexDecText(Wide(serving.AreaCode))},
                          {"CI", HexDecText(serving.CellId)}};
    } else {
        AddLteMetrics(panel, "", serving);
        if (tech == TAccessTech::NrNsa)
            AddLteMetrics(panel, "NR ", status.Radio.NrLeg.value_or(TRadioCell{}));
        AddLteIdentity(panel, status, tech);
    }
    return panel;
}

const TCarrierRowTexts& CarrierTableHeaders() {
    static const TCarrierRowTexts headers{"role", "band", "channel", "MHz",
                                          "PCI",  "RSRP", "RSRQ",    "SINR"};
    return headers;
}

std::vector<TCarrierRowTexts> CarrierRowsOf(const TModemStatus& status) {
    std::vector<TCarrierRowTexts> rows;
    const std::vector<TCarrier> carriers = CarriersInUse(status.Radio);
    if (carriers.size() < 2)
        return rows;
    for (const TCarrier& carrier : carriers)
        rows.push_back({carrier.Role == TCarrierRole::Primary ? "PCC" : "SCC",
                        BandText(carrier.Tech, carrier.Band), IntText(carrier.Channel),
                        NumberText(carrier.BandwidthMhz), IntText(carrier.PhysicalId),
                        NumberText(carrier.Rsrp), NumberText(carrier.Rsrq),
                        NumberText(carrier.Sinr)});
    return rows;
}

std::string ConnectionLabelText(const TModemStatus& status) {
    if (status.ActivityValid && status.Activity == 3)
        return "Ring, ring";
    if (status.ActivityValid && status.Activity == 4)
        return "Call in progress";
    return {};
}

} // namespace celdara
