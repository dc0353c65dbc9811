#include "modem/ModemStatus.h"

namespace celdara {

void ClearModemStatus(TModemStatus& status) {
    status.LevelValid = false;
    status.BitErrorsValid = false;
    status.RegStateValid = false;
    status.ActivityValid = false;
    status.OperatorNameValid = false;
    status.OperatorCodeValid = false;
    status.SelectionModeValid = false;
    for (TCellInfo& cell : status.Cells)
        cell.Valid = false;
    status.Radio = {};
}

} // namespace celdara
