// The radio world beyond GSM: UMTS, LTE and NR cells of the simulated operators on channels
// of the European allocations, their levels drifting like the GSM ones, and the timetable
// that says which technology serves. Registration, outages and roaming stay with the GSM
// side of the world, so every technology follows the same story; this part only picks the
// cell of the serving technology at the site the modem is at. It has its own random
// source, so the GSM traffic of a seed is the same whether this part exists or not.
#include "simulator/SimNetwork.h"
#include "util/TextConvert.h"

#include <algorithm>

namespace celdara {

namespace {

constexpr int kSitesPerOperator = 3;
constexpr int kRadioMargin = 4; // dB a cell must lead the serving one by to take over
constexpr int kMaxOwnNeighbours = 4;
constexpr int kMaxOtherNeighbours = 2;
constexpr int kNrReach = -118;   // dBm; a weaker NR leg is released
constexpr int kSccReach = -116;  // dBm; a weaker secondary carrier is deconfigured
constexpr int kHeardLte = -124;  // dBm RSRP; weaker cells are not measured
constexpr int kHeardUmts = -112; // dBm RSCP

// Channels per operator (index 0..3) on each carrier: each operator has its own block.
struct Carrier {
    TSimRat rat;
    int band;
    int bandwidthMhz;
    bool tdd;
    int channels[4];
    int bias; // dB: low bands carry further
};
constexpr Carrier kCarriers[] = {
    {TSimRat::Lte, 20, 10, false, {6300, 6200, 6400, 6350}, 6},
    {TSimRat::Lte, 3, 20, false, {1300, 1801, 1444, 1650}, 0},
    {TSimRat::Lte, 7, 20, false, {3350, 2850, 3100, 3050}, -4},
    {TSimRat::Lte, 1, 15, false, {300, 100, 500, 525}, -2},
    {TSimRat::Umts, 1, 5, false, {10688, 10713, 10738, 10763}, 0},
    {TSimRat::Umts, 8, 5, false, {3011, 2950, 3036, 3061}, 5},
    {TSimRat::NrSa, 78, 100, true, {643296, 646656, 650000, 653333}, -6},
    {TSimRat::NrSa, 28, 10, false, {154600, 152600, 156100, 158200}, 6},
};

int Clamp(int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
}

bool IsEutran(TSimRat rat) {
    return rat == TSimRat::Lte || rat == TSimRat::LteNr;
}

// The technology of the cells that serve in a phase.
TSimRat CellRat(TSimRat rat) {
    return rat == TSimRat::LteNr ? TSimRat::Lte : rat;
}

// The carrier RSSI over the downlink bandwidth: the reference signal's level plus the
// number of subcarriers, a little more where interference is high.
int CarrierRssi(int rsrp, int bandwidthMhz, int sinr) {
    const int spread = bandwidthMhz >= 20   ? 31
                       : bandwidthMhz >= 15 ? 30
                       : bandwidthMhz >= 10 ? 28
                                            : 25;
    return Clamp(rsrp + spread + (10 - std::min(sinr, 10)) / 3, -120, -25);
}

} // namespace

const std::vector<TSimRadioPhase>& SimLteTimetable() {
    static const std::vector<TSimRadioPhase> timetable = {
        {TSimRat::Lte, 25},
        {TSimRat::LteNr, 30},
        {TSimRat::Umts, 20},
    };
    return timetable;
}

bool ParseSimTimetable(std::string_view text, std::vector<TSimRadioPhase>& phases,
                       std::string& message) {
    static const std::pair<const char*, TSimRat> names[] = {{"gsm", TSimRat::Gsm},
                                                            {"umts", TSimRat::Umts},
                                                            {"lte", TSimRat::Lte},
                                                            {"nsa", TSimRat::LteNr},
                                                            {"sa", TSimRat::NrSa}};
    std::vector<TSimRadioPhase> parsed;
    for (;;) {
        const auto comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const auto colon = item.find(':');
        const int seconds =
            colon == std::string_view::npos ? 0 : TextToInt(item.substr(colon + 1), 0);
        const auto name = item.substr(0, colon);
        const auto* known = std::find_if(std::begin(names), std::end(names),
                                         [&](const auto& n) { return name == n.first; });
        if (known == std::end(names) || seconds < 1 || seconds > 86400) {
            message = "bad timetable item \"" + std::string(item) +
                      "\": use TECH:SECONDS with TECH one of gsm, umts, lte, nsa, sa";
            return false;
        }
        parsed.push_back({known->second, seconds});
        if (comma == std::string_view::npos)
            break;
        text = text.substr(comma + 1);
    }
    phases = std::move(parsed);
    return true;
}

int TSimNetwork::RadioCell::Level() const {
    if (fixed.Rat == TSimRat::Umts)
        return Clamp(base + offset, -120, -25);
    return Clamp(base + offset, -140, -44);
}

void TSimNetwork::BuildRadioCells() {
    const auto& ops = SimOperators();
    for (int op = 0; op < static_cast<int>(ops.size()); ++op) {
        RadioSite area;
        area.Tac = radioRng_.Range(0x1000, 0xFFFE);
        area.NrTac = (area.Tac << 8) | radioRng_.Range(0, 255);
        area.Rnc = radioRng_.Range(1, 4095);
        for (int s = 0; s < kSitesPerOperator; ++s) {
            RadioSite site = area;
            site.Sector = radioRng_.Range(0, 2);
            site.ENodeB = radioRng_.Range(0x10000, 0xFFFFF);
            site.GNodeB = radioRng_.Range(0x100000, 0xFFFFFF);
            site.PciGroup = radioRng_.Range(0, 167);
            site.NrPci = radioRng_.Range(0, 335) * 3 + site.Sector;
            site.Psc = radioRng_.Range(0, 511);
            site.UmtsCell = radioRng_.Range(0x0100, 0xFFF0);
            for (int c = 0; c < static_cast<int>(std::size(kCarriers)); ++c)
                AddRadioCell(op, c, site);
        }
    }
}

// One cell of a site on carrier `c`; cells of one site on several carriers of a technology
// share the site's identity and differ in the cell number, as operators number them.
void TSimNetwork::AddRadioCell(int op, int c, const RadioSite& site) {
    const Carrier& carrier = kCarriers[c];
    RadioCell cell;
    cell.op = op;
    TSimRadioCell& f = cell.fixed;
    const std::string& code = SimOperators()[op].Code;
    f.Mcc = std::stoi(code.substr(0, 3));
    f.Mnc = std::stoi(code.substr(3));
    f.Rat = carrier.rat;
    f.Band = carrier.band;
    f.Channel = carrier.channels[op % 4];
    f.BandwidthMhz = carrier.bandwidthMhz;
    f.Tdd = carrier.tdd;
    const int cellNo = c * 10 + site.Sector + 1;
    cell.base = radioRng_.Range(-118, -72) + carrier.bias;
    switch (carrier.rat) {
    case TSimRat::Umts:
        // One location area with the operator's GSM cells, as the networks plan them.
        f.Area = std::find_if(cells_.begin(), cells_.end(), [op](const Cell& g) {
                     return g.op == op;
                 })->fixed.Lac;
        f.Pci = site.Psc;
        f.CellId = (static_cast<std::int64_t>(site.Rnc) << 16) | (site.UmtsCell + c);
        cell.base += 12; // RSCP sits above RSRP on the same path
        break;
    case TSimRat::NrSa:
        f.Area = site.NrTac;
        f.Pci = site.NrPci;
        f.CellId = (static_cast<std::int64_t>(site.GNodeB) << 12) | cellNo;
        break;
    default:
        f.Area = site.Tac;
        f.Pci = site.PciGroup * 3 + site.Sector;
        f.CellId = (static_cast<std::int64_t>(site.ENodeB) << 8) | cellNo;
        break;
    }
    radio_.push_back(cell);
}

void TSimNetwork::SetRadioPlan(std::vector<TSimRadioPhase> phases, int offset, bool nr) {
    plan_.clear();
    for (const TSimRadioPhase& p : phases) {
        if (p.Seconds > 0)
            plan_.push_back(p);
    }
    nr_ = nr;
    radioSecond_ = std::max(0, offset);
    radioCamped_ = sccCamped_ = nrCamped_ = -1;
    CampRadio();
}

TSimRat TSimNetwork::PhaseRat() const {
    if (plan_.empty())
        return TSimRat::Gsm;
    long long total = 0;
    for (const TSimRadioPhase& p : plan_)
        total += p.Seconds;
    long long at = radioSecond_ % total;
    for (const TSimRadioPhase& p : plan_) {
        if (at < p.Seconds)
            return p.Rat;
        at -= p.Seconds;
    }
    return plan_.back().Rat;
}

TSimRat TSimNetwork::Technology() const {
    TSimRat rat = PhaseRat();
    if (!nr_ && (rat == TSimRat::LteNr || rat == TSimRat::NrSa))
        return TSimRat::Lte;
    return rat;
}

void TSimNetwork::StepRadio() {
    for (RadioCell& cell : radio_) {
        cell.offset = Clamp(cell.offset + radioRng_.Range(-2, 2), -8, 8);
        cell.quality = Clamp(cell.quality + radioRng_.Range(-1, 1), -4, 4);
        if (radioRng_.Chance(50))
            cell.base = Clamp(cell.base + radioRng_.Range(-3, 3), -125, -50);
    }
    ++radioSecond_;
    CampRadio();
}

// The strongest cell of the camped operator, technology and band (0: any), or `current`
// while it is not beaten by the margin.
int TSimNetwork::RadioCamp(TSimRat rat, int band, int current) const {
    if (camped_ < 0)
        return -1;
    const int op = cells_[camped_].op;
    int best = -1;
    for (int i = 0; i < static_cast<int>(radio_.size()); ++i) {
        const RadioCell& c = radio_[i];
        if (c.op != op || c.fixed.Rat != rat || (band != 0 && c.fixed.Band != band))
            continue;
        if (best < 0 || c.Level() > radio_[best].Level())
            best = i;
    }
    bool keep = current >= 0 && radio_[current].op == op && radio_[current].fixed.Rat == rat &&
                (band == 0 || radio_[current].fixed.Band == band) &&
                radio_[current].Level() + kRadioMargin > radio_[best].Level();
    return keep ? current : best;
}

void TSimNetwork::CampRadio() {
    const TSimRat rat = Technology();
    if (rat == TSimRat::Gsm || camped_ < 0) {
        radioCamped_ = sccCamped_ = nrCamped_ = -1;
        return;
    }
    // The operators aggregate as European networks commonly do: LTE-A on a band 3 primary
    // with band 7 beside it, EN-DC on the same anchor with the leg on n78, SA on n78 with n28.
    const TSimRat cellRat = CellRat(rat);
    const bool lte = cellRat == TSimRat::Lte;
    const bool sa = cellRat == TSimRat::NrSa;
    radioCamped_ = RadioCamp(cellRat, lte ? 3 : sa ? 78 : 0, radioCamped_);
    sccCamped_ = lte || sa ? RadioCamp(cellRat, lte ? 7 : 28, sccCamped_) : -1;
    nrCamped_ = rat == TSimRat::LteNr ? RadioCamp(TSimRat::NrSa, 78, nrCamped_) : -1;
}

TSimRadioCell TSimNetwork::RadioReport(const RadioCell& cell) const {
    TSimRadioCell r = cell.fixed;
    const int level = cell.Level();
    if (r.Rat == TSimRat::Umts) {
        r.Rscp = level;
        r.EcIo2 = Clamp(-6 + (level + 60) * 2 / 3 + 2 * cell.quality, -48, 0);
        r.Rssi = Clamp(level - r.EcIo2 / 2, -113, -25);
        return r;
    }
    r.Rsrp = level;
    r.Sinr = Clamp((level + 115) / 2 + cell.quality, -20, 30);
    r.Rsrq = Clamp(-19 + (r.Sinr + 20) * 14 / 50, -20, -3);
    r.Rssi = CarrierRssi(level, r.BandwidthMhz, r.Sinr);
    return r;
}

std::optional<TSimRadioCell> TSimNetwork::RadioServing() const {
    if (camped_ < 0 || radioCamped_ < 0 || Technology() == TSimRat::Gsm)
        return std::nullopt;
    return RadioReport(radio_[radioCamped_]);
}

std::optional<TSimRadioCell> TSimNetwork::NrLeg() const {
    if (camped_ < 0 || nrCamped_ < 0 || Technology() != TSimRat::LteNr ||
        radio_[nrCamped_].Level() < kNrReach)
        return std::nullopt;
    return RadioReport(radio_[nrCamped_]);
}

std::vector<TSimRadioCell> TSimNetwork::Carriers() const {
    std::vector<TSimRadioCell> list;
    const auto primary = RadioServing();
    if (!primary || primary->Rat == TSimRat::Umts)
        return list;
    list.push_back(*primary);
    if (sccCamped_ >= 0 && radio_[sccCamped_].Level() >= kSccReach)
        list.push_back(RadioReport(radio_[sccCamped_]));
    if (auto leg = NrLeg())
        list.push_back(*leg);
    return list;
}

std::vector<TSimRadioCell> TSimNetwork::RadioNeighbours() const {
    std::vector<TSimRadioCell> list;
    if (camped_ < 0 || radioCamped_ < 0 || Technology() == TSimRat::Gsm)
        return list;
    const RadioCell& serving = radio_[radioCamped_];
    const TSimRat own = serving.fixed.Rat;
    const TSimRat other = own == TSimRat::Umts ? TSimRat::Lte : TSimRat::Umts;
    auto collect = [&](TSimRat rat, std::size_t most) {
        std::vector<TSimRadioCell> found;
        for (int i = 0; i < static_cast<int>(radio_.size()); ++i) {
            const RadioCell& c = radio_[i];
            const int heard = rat == TSimRat::Umts ? kHeardUmts : kHeardLte;
            if (i != radioCamped_ && c.op == serving.op && c.fixed.Rat == rat && c.Level() >= heard)
                found.push_back(RadioReport(c));
        }
        auto level = [](const TSimRadioCell& c) {
            return c.Rat == TSimRat::Umts ? c.Rscp : c.Rsrp;
        };
        std::stable_sort(
            found.begin(), found.end(),
            [&](const TSimRadioCell& a, const TSimRadioCell& b) { return level(a) > level(b); });
        found.resize(std::min(found.size(), most));
        list.insert(list.end(), found.begin(), found.end());
    };
    collect(own, kMaxOwnNeighbours);
    if (own != TSimRat::NrSa)
        collect(other, kMaxOtherNeighbours);
    return list;
}

int TSimNetwork::EpsRegState() const {
    return IsEutran(Technology()) ? regState_ : 0;
}

int TSimNetwork::NrRegState() const {
    return Technology() == TSimRat::NrSa ? regState_ : 0;
}

} // namespace celdara
