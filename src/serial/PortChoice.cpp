#include "serial/PortChoice.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace celdara {

bool IsModemDriver(const std::string& driver) {
    // Names as the kernel registers them under /sys/bus/usb-serial/drivers and
    // /sys/bus/usb/drivers; "option1" is how the option driver's serial side appears.
    static constexpr std::array<std::string_view, 11> kDrivers = {
        "option",  "option1", "qcserial", "qcaux",      "sierra", "usb_wwan",
        "cdc_acm", "zte_ev",  "hso",      "nokia_dku2", "ipw",
    };
    return std::find(kDrivers.begin(), kDrivers.end(), driver) != kDrivers.end();
}

std::string ChooseFirstPort(const std::vector<TSerialDeviceEntry>& devices,
                            const std::string& fallback) {
    for (const TSerialDeviceEntry& entry : devices)
        if (IsModemDriver(entry.DeviceName) && !entry.PortName.empty())
            return entry.PortName;
    const bool listed = std::any_of(devices.begin(), devices.end(), [&](const auto& entry) {
        return !fallback.empty() && entry.PortName == fallback;
    });
    return listed ? fallback : std::string();
}

} // namespace celdara
