#include "modem/StatusDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace celdara {

namespace {

template <typename... Args>
std::string Printf(const char* format, Args... args) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, args...);
    return buf;
}

constexpr int kStateUnknown = 4;

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

int GraphValueOf(const TModemStatus& status, int& LastServingChannel) {
    const TCellInfo& serving = status.Cells[kServingCellRow];
    if (serving.Valid && serving.Channel != LastServingChannel) {
        LastServingChannel = serving.Channel;
        return 100;
    }
    return status.LevelValid ? status.Level : 0;
}

std::string OperatorPanelText(const TModemStatus& status) {
    std::string text = status.OperatorNameValid ? status.OperatorName : "?";
    if (status.OperatorCodeValid)
        text += " (" + status.OperatorCode + ")";
    const char* registration =
        RegistrationStateText(status.RegStateValid ? status.RegState : kStateUnknown);
    if (*registration != '\0')
        text += std::string(", ") + registration;
    return text;
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

std::string ConnectionLabelText(const TModemStatus& status) {
    if (status.ActivityValid && status.Activity == 3)
        return "Ring, ring";
    if (status.ActivityValid && status.Activity == 4)
        return "Call in progress";
    return {};
}

} // namespace celdara
