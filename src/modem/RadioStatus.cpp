#include "modem/RadioStatus.h"

namespace celdara {

const char* AccessTechName(TAccessTech tech) {
    switch (tech) {
    case TAccessTech::Gsm:
        return "GSM";
    case TAccessTech::Umts:
        return "UMTS";
    case TAccessTech::Lte:
        return "LTE";
    case TAccessTech::NbIot:
        return "NB-IoT";
    case TAccessTech::NrSa:
        return "5G SA";
    case TAccessTech::NrNsa:
        return "5G NSA";
    case TAccessTech::Unknown:
        break;
    }
    return "?";
}

TAccessTech AccessTechOfAct(int act) {
    switch (act) {
    case 0:
    case 1:
    case 3:
    case 8:
        return TAccessTech::Gsm;
    case 2:
    case 4:
    case 5:
    case 6:
        return TAccessTech::Umts;
    case 7:
    case 10:
        return TAccessTech::Lte;
    case 9:
        return TAccessTech::NbIot;
    case 11:
    case 12:
        return TAccessTech::NrSa;
    case 13:
        return TAccessTech::NrNsa;
    default:
        return TAccessTech::Unknown;
    }
}

namespace {

struct TBandRange {
    int Band;
    int First;
    int Last;
};

// Downlink channels; where ranges overlap, the band of European networks comes first.
constexpr TBandRange kUmtsBands[] = {
    {1, 10562, 10838}, {2, 9662, 9938}, {4, 1537, 1738}, {5, 4357, 4458}, {8, 2937, 3088},
};
constexpr TBandRange kLteBands[] = {
    {1, 0, 599},        {2, 600, 1199},     {3, 1200, 1949},    {4, 1950, 2399},
    {5, 2400, 2649},    {7, 2750, 3449},    {8, 3450, 3799},    {12, 5010, 5179},
    {13, 5180, 5279},   {20, 6150, 6449},   {25, 8040, 8689},   {28, 9210, 9659},
    {32, 9920, 10359},  {38, 37750, 38249}, {40, 38650, 39649}, {41, 39650, 41589},
    {42, 41590, 43589}, {66, 66436, 67335}, {71, 68586, 68935},
};
constexpr TBandRange kNrBands[] = {
    {78, 620000, 653333}, {77, 653334, 680000}, {1, 422000, 434000},  {3, 361000, 376000},
    {7, 524000, 538000},  {8, 185000, 192000},  {28, 151600, 160600}, {20, 160601, 164200},
    {38, 514000, 523999}, {40, 460000, 480000}, {41, 499200, 513999}, {258, 2016667, 2070832},
};

template <std::size_t N>
std::optional<int> BandIn(const TBandRange (&bands)[N], int channel) {
    for (const TBandRange& range : bands)
        if (channel >= range.First && channel <= range.Last)
            return range.Band;
    return std::nullopt;
}

} // namespace

std::optional<int> BandOfRadioChannel(TAccessTech tech, int channel) {
    switch (tech) {
    case TAccessTech::Umts:
        return BandIn(kUmtsBands, channel);
    case TAccessTech::Lte:
    case TAccessTech::NbIot:
        return BandIn(kLteBands, channel);
    case TAccessTech::NrSa:
    case TAccessTech::NrNsa:
        return BandIn(kNrBands, channel);
    default:
        return std::nullopt;
    }
}

std::optional<std::int64_t> ENodeBOf(const TRadioCell& cell) {
    if (cell.Tech != TAccessTech::Lte || !cell.CellId)
        return std::nullopt;
    return *cell.CellId >> 8;
}

bool AddNeighbour(TRadioStatus& radio, const TRadioCell& cell) {
    if (radio.Neighbours.size() >= kMaxRadioNeighbours)
        return false;
    radio.Neighbours.push_back(cell);
    return true;
}

bool AddCarrier(TRadioStatus& radio, const TCarrier& carrier) {
    if (radio.Carriers.size() >= kMaxCarriers)
        return false;
    radio.Carriers.push_back(carrier);
    return true;
}

namespace {

TCarrier CarrierOfCell(const TRadioCell& cell, TCarrierRole role, TAccessTech tech) {
    TCarrier carrier;
    carrier.Role = role;
    carrier.Tech = tech;
    carrier.Band = cell.Band;
    carrier.Channel = cell.Channel;
    carrier.PhysicalId = cell.PhysicalId;
    carrier.Rsrp = cell.Rsrp;
    carrier.Rsrq = cell.Rsrq;
    carrier.Rssi = cell.Rssi;
    carrier.Sinr = cell.Sinr;
    return carrier;
}

bool NamesItsCarrier(const TRadioCell& cell) {
    return cell.Band.has_value() || cell.Channel.has_value();
}

// The serving cell (and the NR leg of 5G NSA) of a modem that reports no carriers.
std::vector<TCarrier> ServingCarriers(const TRadioStatus& radio) {
    std::vector<TCarrier> carriers;
    TAccessTech own = radio.Tech;
    if (own == TAccessTech::Unknown)
        own = radio.Serving.Tech;
    switch (own) {
    case TAccessTech::Lte:
    case TAccessTech::NbIot:
    case TAccessTech::NrSa:
    case TAccessTech::Umts:
        break;
    case TAccessTech::NrNsa:
        own = TAccessTech::Lte; // the anchor
        break;
    default:
        return carriers;
    }
    if (NamesItsCarrier(radio.Serving))
        carriers.push_back(CarrierOfCell(radio.Serving, TCarrierRole::Primary, own));
    if (radio.Tech == TAccessTech::NrNsa && radio.NrLeg && NamesItsCarrier(*radio.NrLeg))
        carriers.push_back(
            CarrierOfCell(*radio.NrLeg, TCarrierRole::Secondary, TAccessTech::NrNsa));
    return carriers;
}

// The cell a carrier is, when the modem also describes it as a cell: the primary carrier is
// the serving cell, the NR carrier of EN-DC the NR leg. The same PCI, and the same channel
// where both give one.
const TRadioCell* CellOfCarrier(const TRadioStatus& radio, const TCarrier& carrier) {
    const TRadioCell* cell = nullptr;
    if (carrier.Tech == TAccessTech::NrNsa && radio.NrLeg)
        cell = &*radio.NrLeg;
    else if (carrier.Role == TCarrierRole::Primary)
        cell = &radio.Serving;
    if (!cell || !carrier.PhysicalId || cell->PhysicalId != carrier.PhysicalId)
        return nullptr;
    if (carrier.Channel && cell->Channel && *carrier.Channel != *cell->Channel)
        return nullptr;
    return cell;
}

// A carrier listed without measurements (the short NR line of AT+QCAINFO) takes those of
// the cell it is.
void TakeMeasurements(TCarrier& carrier, const TRadioCell& cell) {
    carrier.Rsrp = carrier.Rsrp ? carrier.Rsrp : cell.Rsrp;
    carrier.Rsrq = carrier.Rsrq ? carrier.Rsrq : cell.Rsrq;
    carrier.Rssi = carrier.Rssi ? carrier.Rssi : cell.Rssi;
    carrier.Sinr = carrier.Sinr ? carrier.Sinr : cell.Sinr;
}

// Some firmware lists the LTE carriers of EN-DC but not its NR leg: the leg the modem told of
// otherwise is a carrier all the same.
void AddMissingNrLeg(const TRadioStatus& radio, std::vector<TCarrier>& carriers) {
    if (radio.Tech != TAccessTech::NrNsa || !radio.NrLeg || !NamesItsCarrier(*radio.NrLeg) ||
        carriers.size() >= kMaxCarriers)
        return;
    for (const TCarrier& carrier : carriers)
        if (carrier.Tech == TAccessTech::NrNsa || carrier.Tech == TAccessTech::NrSa)
            return;
    carriers.push_back(CarrierOfCell(*radio.NrLeg, TCarrierRole::Secondary, TAccessTech::NrNsa));
}

} // namespace

std::vector<TCarrier> CarriersInUse(const TRadioStatus& radio) {
    std::vector<TCarrier> carriers =
        radio.Carriers.empty() ? ServingCarriers(radio) : radio.Carriers;
    if (!radio.Carriers.empty())
        AddMissingNrLeg(radio, carriers);
    for (TCarrier& carrier : carriers) {
        // What no carrier can have is no value, so that neither the line nor the sum shows
        // it: a band below one, a bandwidth not above zero or beyond the 400 MHz of the
        // widest NR carrier.
        if (carrier.Band && *carrier.Band <= 0)
            carrier.Band.reset();
        if (carrier.BandwidthMhz && !(*carrier.BandwidthMhz > 0 && *carrier.BandwidthMhz <= 400))
            carrier.BandwidthMhz.reset();
        if (!carrier.Band && carrier.Channel)
            carrier.Band = BandOfRadioChannel(carrier.Tech, *carrier.Channel);
        if (const TRadioCell* cell = CellOfCarrier(radio, carrier))
            TakeMeasurements(carrier, *cell);
    }
    return carriers;
}

std::string CarrierSummaryText(const std::vector<TCarrier>& carriers) {
    // One group a technology, in the order people name them: the LTE carriers (with the
    // anchor of EN-DC), its NR legs, NR on a 5G core, UMTS; the groups apart by a middle dot.
    struct TGroup {
        TAccessTech Tech;
        const char* One;
        const char* Many;
        const char* BandPrefix;
    };
    constexpr TGroup kGroups[] = {
        {TAccessTech::Lte, "LTE", "LTE-A", "B"},
        {TAccessTech::NbIot, "NB-IoT", "NB-IoT", "B"},
        {TAccessTech::NrNsa, "5G NSA", "5G NSA", "n"},
        {TAccessTech::NrSa, "5G SA", "5G SA", "n"},
        {TAccessTech::Umts, "UMTS", "UMTS", "B"},
    };
    std::string text;
    for (const TGroup& group : kGroups) {
        int count = 0;
        std::string bands;
        for (const TCarrier& carrier : carriers) {
            if (carrier.Tech != group.Tech)
                continue;
            ++count;
            if (carrier.Band)
                bands += (bands.empty() ? "" : "+") + std::string(group.BandPrefix) +
                         std::to_string(*carrier.Band);
        }
        if (count == 0)
            continue;
        text += (text.empty() ? "" : " \xc2\xb7 ") +
                std::string(count > 1 ? group.Many : group.One) +
                (bands.empty() ? "" : " " + bands);
    }
    return text;
}

std::optional<double> AggregatedBandwidthMhz(const std::vector<TCarrier>& carriers) {
    std::optional<double> sum;
    for (const TCarrier& carrier : carriers)
        if (carrier.BandwidthMhz)
            sum = sum.value_or(0) + *carrier.BandwidthMhz;
    return sum;
}

} // namespace celdara
