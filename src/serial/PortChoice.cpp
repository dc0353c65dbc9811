#include "serial/PortChoice.h"

#include "util/TextConvert.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <string_view>

namespace celdara {
namespace {

constexpr std::string_view kDeviceFolder = "/dev/";

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Runs of digits compare as numbers, so that ttyUSB10 follows ttyUSB9.
bool LessNatural(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::size_t si = i, sj = j;
            while (i < a.size() && IsDigit(a[i]))
                ++i;
            while (j < b.size() && IsDigit(b[j]))
                ++j;
            std::string_view na = a.substr(si, i - si), nb = b.substr(sj, j - sj);
            na.remove_prefix(std::min(na.find_first_not_of('0'), na.size()));
            nb.remove_prefix(std::min(nb.find_first_not_of('0'), nb.size()));
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (na != nb)
                return na < nb;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

int Group(const TPortInfo& port) {
    if (port.BuiltIn)
        return 6;
    if (port.Uart)
        return 5;
    switch (port.Role) {
    case TMmPortRole::AtPrimary:
        return 0;
    case TMmPortRole::AtSecondary:
        return 1;
    case TMmPortRole::NotAt:
        return 4;
    case TMmPortRole::None:
        break;
    }
    return IsModemDriver(port.Driver) ? 2 : 3;
}

} // namespace

bool IsModemDriver(const std::string& driver) {
    // Names as the kernel registers them under /sys/bus/usb-serial/drivers and
    // /sys/bus/usb/drivers; "option1" is how the option driver's serial side appears.
    static constexpr std::array<std::string_view, 11> kDrivers = {
        "option",  "option1", "qcserial", "qcaux",      "sierra", "usb_wwan",
        "cdc_acm", "zte_ev",  "hso",      "nokia_dku2", "ipw",
    };
    return std::find(kDrivers.begin(), kDrivers.end(), driver) != kDrivers.end();
}

std::string PortShortName(const TPortInfo& port) {
    if (!port.BuiltIn && port.Node.rfind(kDeviceFolder, 0) == 0)
        return port.Node.substr(kDeviceFolder.size());
    return port.Node;
}

std::string PortOpenName(const TPortInfo& port) {
    return port.ById.empty() ? PortShortName(port) : port.ById;
}

std::string DescribePort(const TPortInfo& port) {
    std::string name = port.Vendor;
    if (!port.Model.empty())
        name += (name.empty() ? "" : " ") + port.Model;
    if (name.empty())
        return {};
    std::string details;
    if (port.Interface >= 0 && port.Interface <= 0xff) {
        char number[8];
        std::snprintf(number, sizeof number, "if %02x", static_cast<unsigned>(port.Interface));
        details = number;
    }
    if (!port.Driver.empty())
        details += (details.empty() ? "" : ", ") + port.Driver;
    return details.empty() ? name : name + " (" + details + ")";
}

std::string PortDisplayText(const TPortInfo& port) {
    const std::string description = DescribePort(port);
    return description.empty() ? PortShortName(port)
                               : PortShortName(port) + " \u2014 " + description;
}

void SortPorts(std::vector<TPortInfo>& ports) {
    std::stable_sort(ports.begin(), ports.end(), [](const TPortInfo& a, const TPortInfo& b) {
        const int ga = Group(a), gb = Group(b);
        if (ga != gb)
            return ga < gb;
        // The built-in devices have always been listed as text ignoring case.
        if (a.BuiltIn)
            return LessIgnoringCase(a.Node, b.Node);
        return LessNatural(a.Node, b.Node);
    });
}

std::string ChooseFirstPort(const std::vector<TPortInfo>& ports, const std::string& fallback) {
    const auto found = [&](auto&& wanted) {
        const auto it = std::find_if(ports.begin(), ports.end(), [&](const TPortInfo& port) {
            return !port.BuiltIn && !port.Uart && !port.Node.empty() && wanted(port);
        });
        return it != ports.end() ? PortOpenName(*it) : std::string();
    };
    std::string chosen = found([](const TPortInfo& p) { return p.Role == TMmPortRole::AtPrimary; });
    if (chosen.empty())
        chosen = found([](const TPortInfo& p) {
            return p.Role != TMmPortRole::NotAt && IsModemDriver(p.Driver);
        });
    if (!chosen.empty())
        return chosen;
    const bool listed = std::any_of(ports.begin(), ports.end(), [&](const TPortInfo& port) {
        return port.BuiltIn && !fallback.empty() && port.Node == fallback;
    });
    return listed ? fallback : std::string();
}

} // namespace celdara
