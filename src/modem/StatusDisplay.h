// How a status record is shown: the graph value, the operator panel of the status bar, the
// rows of the cell grid and the connection label. Plain functions, so the window only has
// to copy their results into its controls.
#pragma once

#include "modem/ModemStatus.h"

#include <array>
#include <string>

namespace celdara {

inline constexpr int kCellGridColumns = 6;
using TCellRowTexts = std::array<std::string, kCellGridColumns>;

// The header row of the cell grid.
const TCellRowTexts& CellGridHeaders();

// "900", "1800" or "?".
std::string BandOfChannel(int channel);

// The value for the graph. A serving cell whose channel differs from LastServingChannel
// shows as a full-height spike (100) once and becomes the last channel; otherwise the
// signal level, or 0 when there is none.
int GraphValueOf(const TModemStatus& status, int& LastServingChannel);

// The +CREG state 0..5 in words ("registered, home network"); empty for any other value.
const char* RegistrationStateText(int state);

// "<name> (<code>), <registration>", with "?" for an unknown name.
std::string OperatorPanelText(const TModemStatus& status);

// The six texts of a grid row; "-" in every column for an invalid cell.
TCellRowTexts CellRowTexts(const TCellInfo& cell);

// "Ring, ring", "Call in progress" or empty.
std::string ConnectionLabelText(const TModemStatus& status);

} // namespace celdara
