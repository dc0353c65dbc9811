// The cell monitor of the simulated modem: ^MONI for the serving cell, ^MONP for the
// neighbours, in the column layout of the modems that have these commands.
#include "simulator/SimModem.h"
#include "simulator/SimModemDetail.h"

namespace celdara {

using namespace simmodem;

TSimModem::Outcome TSimModem::ExecuteCellMonitor(const Command& cmd) {
    if (cmd.kind == Kind::Test)
        return Ok();
    if (cmd.kind != Kind::Action)
        return Fail();
    if (cmd.name == "^MONI") {
        Info("chann rs  dBm  MCC MNC  LAC cell NCC BCC PWR RXLev  C1");
        if (auto s = network_.Serving()) {
            Info(Printf("%5d %2d %4d %3d  %02d %04X %04X %3d %3d %3d %5d %3d", s->Channel, s->Rssi,
                        s->Dbm, s->Mcc, s->Mnc, s->Lac, s->CellId, s->Ncc, s->Bcc, s->Pwr,
                        s->RxLevMin, s->C1));
        } else {
            Info("Searching");
        }
    } else {
        Info("chann rs  dBm  MCC MNC BCC  C1  C2");
        for (const TSimCellReport& c : network_.Neighbours())
            Info(Printf("%5d %2d %4d %3d  %02d %3d %3d %3d", c.Channel, c.Rssi, c.Dbm, c.Mcc, c.Mnc,
                        c.Bcc, c.C1, c.C2));
    }
    return Ok();
}

} // namespace celdara
