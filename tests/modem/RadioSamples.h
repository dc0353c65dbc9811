// A status of an LTE serving cell with every field a modem may tell, shared by the display
// cases of the modem and of the window.
#pragma once

#include "modem/ModemStatus.h"

namespace celdara::testing {

inline TModemStatus SampleLteStatus(TAccessTech tech = TAccessTech::Lte) {
    TModemStatus s;
    s.Radio.Tech = tech;
    TRadioCell& cell = s.Radio.Serving;
    cell.Tech = TAccessTech::Lte;
    cell.Channel = 6300;
    cell.Band = 20;
    cell.PhysicalId = 123;
    cell.AreaCode = 0x1A2B;
    cell.CellId = 0x1A2B3C4;
    cell.Mcc = 230;
    cell.Mnc = 3;
    cell.Rsrp = -95;
    cell.Rsrq = -10.5;
    cell.Sinr = 13;
    return s;
}

} // namespace celdara::testing
