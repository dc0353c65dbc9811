// The portable part of the device seam: the registry of device providers, which decides
// who opens a port, and the list that joins the system's ports with the providers' ones.
#include "serial/SerialDevice.h"

#include "serial/PortSource.h"
#include "serial/PosixPortList.h"
#include "serial/PosixSerialDevice.h"

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace celdara {

bool IsDeviceGoneError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

namespace {

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}
std::vector<TSerialDeviceProvider*>& Providers() {
    static std::vector<TSerialDeviceProvider*> list;
    return list;
}

} // namespace

void RegisterSerialDeviceProvider(TSerialDeviceProvider* provider) {
    std::lock_guard lock(RegistryMutex());
    auto& list = Providers();
    if (provider && std::find(list.begin(), list.end(), provider) == list.end())
        list.push_back(provider);
}

void UnregisterSerialDeviceProvider(TSerialDeviceProvider* provider) {
    std::lock_guard lock(RegistryMutex());
    std::erase(Providers(), provider);
}

TSerialDeviceProvider* FindSerialDeviceProvider(const std::string& portName) {
    std::lock_guard lock(RegistryMutex());
    for (TSerialDeviceProvider* p : Providers())
        if (p->OwnsPort(portName))
            return p;
    return nullptr;
}

std::vector<TPortInfo> ListSystemPorts(TPortSource& preferred, TPortSource& fallback) {
    std::vector<TPortInfo> ports;
    if (!preferred.List(ports)) {
        ports.clear();
        fallback.List(ports);
    }
    SortPorts(ports);
    return ports;
}

std::vector<TPortInfo> ListSystemPorts() {
    if (SysfsTtyRootOverridden()) {
        std::vector<TPortInfo> ports;
        SysfsPortSource().List(ports);
        SortPorts(ports);
        return ports;
    }
    return ListSystemPorts(UdevPortSource(), SysfsPortSource());
}

std::vector<TPortInfo> ListPorts() {
    std::vector<TPortInfo> ports = ListSystemPorts();
    std::vector<TSerialDeviceProvider*> providers;
    {
        std::lock_guard lock(RegistryMutex());
        providers = Providers();
    }
    std::vector<TSerialDeviceEntry> devices;
    for (TSerialDeviceProvider* p : providers)
        p->ListDevices(devices);
    for (TSerialDeviceEntry& device : devices) {
        TPortInfo port;
        port.Node = std::move(device.PortName);
        port.Driver = std::move(device.DeviceName);
        port.BuiltIn = true;
        ports.push_back(std::move(port));
    }
    SortPorts(ports);
    return ports;
}

std::vector<TSerialDeviceEntry> ListSerialDevices() {
    std::vector<TSerialDeviceEntry> list;
    for (const TPortInfo& port : ListPorts())
        list.push_back({port.Driver, PortShortName(port)});
    return list;
}

std::unique_ptr<TSerialDevice> OpenSerialDevice(const std::string& name, int& error) {
    error = 0;
    if (TSerialDeviceProvider* p = FindSerialDeviceProvider(name))
        return p->OpenDevice(name, error);
    return OpenPosixSerialDevice(name, error);
}

} // namespace celdara
