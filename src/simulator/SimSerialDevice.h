// The simulated modem as a serial device of the program: the device list always offers
// "virtual-modem" (healthy), "virtual-modem-faulty" (faults on a cycle) and
// "virtual-lte-modem" (a Quectel 5G module going through LTE, 5G NSA and UMTS), so Celdara
// can be tried without hardware. Each port keeps one modem for the life of the process, as a
// real modem stays powered between two opens of its port.
#pragma once

#include "serial/SerialDevice.h"
#include "simulator/SimModemPort.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace celdara {

class TTickClock;

inline constexpr const char* kVirtualModemPort = "virtual-modem";
inline constexpr const char* kFaultyVirtualModemPort = "virtual-modem-faulty";
inline constexpr const char* kLteVirtualModemPort = "virtual-lte-modem";

// The options the built-in device `portName` runs with (its seed, dialect, timetable).
TSimModemOptions SimDeviceOptions(const std::string& portName);

class TSimSerialDeviceProvider : public TSerialDeviceProvider {
public:
    // `clock` drives the modems (the system clock in the program).
    explicit TSimSerialDeviceProvider(TTickClock& clock);
    ~TSimSerialDeviceProvider() override;

    void ListDevices(std::vector<TSerialDeviceEntry>& list) override;
    bool OwnsPort(const std::string& portName) override;
    std::unique_ptr<TSerialDevice> OpenDevice(const std::string& portName, int& error) override;

    // The modem behind a port (created on first use), for tests and tools.
    std::shared_ptr<TSimModemPort> Modem(const std::string& portName);
    // An open device tells its provider that it has been closed.
    void Closed(const std::string& portName);

private:
    TTickClock& clock_;
    std::mutex lock_;
    std::map<std::string, std::shared_ptr<TSimModemPort>> modems_;
    std::map<std::string, bool> open_;
};

// Adds the built-in simulated modems to the program's serial-device list (once) and gives
// their provider, which runs on the system clock.
TSimSerialDeviceProvider& RegisterSimulatedModems();

} // namespace celdara
