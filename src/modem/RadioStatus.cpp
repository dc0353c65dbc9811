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

} // namespace celdara
