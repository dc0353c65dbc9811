// The port list and the port events from libudev. udev adds what sysfs does not know: the
// names of vendor and model from its hardware database, the stable /dev/serial/by-id links
// and ModemManager's tags that say which port of a modem speaks AT.
#include "serial/PortSource.h"
#include "serial/PortWatch.h"

#include <cstdlib>
#include <libudev.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace celdara {
namespace {

struct TUdevFree {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
template <typename T>
using TUdevPtr = std::unique_ptr<T, TUdevFree>;

constexpr std::string_view kByIdFolder = "/dev/serial/by-id/";
// A burst of events is taken in slices, so that a flood cannot hold the main loop.
constexpr int kEventsPerReceive = 64;

std::string Text(const char* text) {
    return text ? std::string(text) : std::string();
}

std::string Property(udev_device* device, const char* key) {
    return Text(udev_device_get_property_value(device, key));
}

bool Flag(udev_device* device, const char* key) {
    const std::string value = Property(device, key);
    return !value.empty() && value != "0";
}

// ID_VENDOR and ID_MODEL carry underscores for the spaces of the device's own strings;
// attributes may end in a line break.
std::string Readable(std::string text) {
    std::string out;
    for (char c : text) {
        if (c == '_' || c == '\n' || c == '\t' || c == '\r')
            c = ' ';
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string DatabaseOrOwn(udev_device* device, const char* database, const char* own) {
    const std::string named = Property(device, database);
    return named.empty() ? Readable(Property(device, own)) : named;
}

int InterfaceNumber(const std::string& hex) {
    if (hex.empty() || hex.size() > 2)
        return -1;
    char* end = nullptr;
    const long number = std::strtol(hex.c_str(), &end, 16);
    return end && *end == '\0' ? static_cast<int>(number) : -1;
}

std::string ByIdLink(udev_device* device) {
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_device_get_devlinks_list_entry(device)) {
        const std::string link = Text(udev_list_entry_get_name(entry));
        if (link.rfind(kByIdFolder, 0) == 0 && link.size() > kByIdFolder.size())
            return link;
    }
    return {};
}

// The driver of the nearest device above that has one; the serial core's own port and
// controller devices (serial-base) stand between a UART's tty and its real driver.
std::string ParentDriver(udev_device* device) {
    for (udev_device* parent = udev_device_get_parent(device); parent;
         parent = udev_device_get_parent(parent)) {
        if (Text(udev_device_get_subsystem(parent)) == "serial-base")
            continue;
        const std::string driver = Text(udev_device_get_driver(parent));
        if (!driver.empty())
            return driver;
    }
    return {};
}

TMmPortRole Role(udev_device* device) {
    if (Flag(device, "ID_MM_PORT_IGNORE") || Flag(device, "ID_MM_PORT_TYPE_QCDM") ||
        Flag(device, "ID_MM_PORT_TYPE_GPS"))
        return TMmPortRole::NotAt;
    if (Flag(device, "ID_MM_PORT_TYPE_AT_PRIMARY"))
        return TMmPortRole::AtPrimary;
    if (Flag(device, "ID_MM_PORT_TYPE_AT_SECONDARY"))
        return TMmPortRole::AtSecondary;
    return TMmPortRole::None;
}

// The same ports as the sysfs listing takes: a tty with a device behind it (not a virtual
// terminal, pty or console), less the 8250 placeholders whose type reads 0, and every
// Bluetooth RFCOMM port.
std::optional<TPortInfo> PortFromDevice(udev_device* device) {
    const std::string name = Text(udev_device_get_sysname(device));
    TPortInfo port;
    port.Node = Text(udev_device_get_devnode(device));
    if (name.empty() || port.Node.empty())
        return std::nullopt;
    if (name.rfind("rfcomm", 0) == 0) {
        port.Driver = "BTPORT" + name.substr(6);
        return port;
    }
    if (!udev_device_get_parent(device))
        return std::nullopt;
    const char* type = udev_device_get_sysattr_value(device, "type");
    if (type && Readable(type) == "0")
        return std::nullopt;
    port.Uart = type != nullptr;
    port.ById = ByIdLink(device);
    port.Vendor = DatabaseOrOwn(device, "ID_VENDOR_FROM_DATABASE", "ID_VENDOR");
    port.Model = DatabaseOrOwn(device, "ID_MODEL_FROM_DATABASE", "ID_MODEL");
    port.Interface = InterfaceNumber(Property(device, "ID_USB_INTERFACE_NUM"));
    port.Driver = Property(device, "ID_USB_DRIVER");
    if (port.Driver.empty())
        port.Driver = ParentDriver(device);
    if (port.Driver.empty())
        port.Driver = "serial";
    port.Role = Role(device);
    return port;
}

std::optional<TPortEvent> EventFromDevice(udev_device* device) {
    const std::string action = Text(udev_device_get_action(device));
    if (action == "remove") {
        TPortEvent event{TPortAction::Remove, {}};
        event.Port.Node = Text(udev_device_get_devnode(device));
        if (event.Port.Node.empty())
            return std::nullopt;
        return event;
    }
    if (action != "add" && action != "change")
        return std::nullopt;
    std::optional<TPortInfo> port = PortFromDevice(device);
    if (!port)
        return std::nullopt;
    return TPortEvent{TPortAction::Add, std::move(*port)};
}

class TUdevPortSource final : public TPortSource {
public:
    bool List(std::vector<TPortInfo>& ports) override {
        TUdevPtr<udev> context(udev_new());
        if (!context)
            return false;
        TUdevPtr<udev_enumerate> scan(udev_enumerate_new(context.get()));
        if (!scan || udev_enumerate_add_match_subsystem(scan.get(), "tty") < 0 ||
            udev_enumerate_scan_devices(scan.get()) < 0)
            return false;
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(scan.get())) {
            const char* path = udev_list_entry_get_name(entry);
            if (!path)
                continue;
            // A device gone between the scan and this look is simply not listed.
            TUdevPtr<udev_device> device(udev_device_new_from_syspath(context.get(), path));
            if (!device)
                continue;
            if (std::optional<TPortInfo> port = PortFromDevice(device.get()))
                ports.push_back(std::move(*port));
        }
        return true;
    }
};

class TUdevPortMonitor final : public TPortMonitor {
public:
    TUdevPortMonitor(TUdevPtr<udev> context, TUdevPtr<udev_monitor> monitor)
        : context_(std::move(context)), monitor_(std::move(monitor)) {}

    int Fd() const override { return udev_monitor_get_fd(monitor_.get()); }

    std::vector<TPortEvent> Receive() override {
        std::vector<TPortEvent> events;
        // The monitor's socket does not block: no device means nothing waits.
        for (int i = 0; i < kEventsPerReceive; ++i) {
            TUdevPtr<udev_device> device(udev_monitor_receive_device(monitor_.get()));
            if (!device)
                break;
            if (std::optional<TPortEvent> event = EventFromDevice(device.get()))
                events.push_back(std::move(*event));
        }
        return events;
    }

private:
    TUdevPtr<udev> context_;
    TUdevPtr<udev_monitor> monitor_;
};

} // namespace

TPortSource& UdevPortSource() {
    static TUdevPortSource source;
    return source;
}

std::unique_ptr<TPortMonitor> CreateUdevPortMonitor() {
    TUdevPtr<udev> context(udev_new());
    if (!context)
        return nullptr;
    // "udev": the events after udev's rules ran, with the properties and links they set.
    TUdevPtr<udev_monitor> monitor(udev_monitor_new_from_netlink(context.get(), "udev"));
    if (!monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor.get()) < 0 || udev_monitor_get_fd(monitor.get()) < 0)
        return nullptr;
    return std::make_unique<TUdevPortMonitor>(std::move(context), std::move(monitor));
}

} // namespace celdara
