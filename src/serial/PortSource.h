// Where the list of the system's serial ports comes from: udev, or the kernel's tty class in
// sysfs when udev cannot be used, and the whole list with the built-in devices after them.
#pragma once

#include "serial/PortChoice.h"

#include <vector>

namespace celdara {

class TPortSource {
public:
    virtual ~TPortSource() = default;
    // Appends the ports this source sees; false when it cannot list at all (udev missing at
    // run time), and then nothing is appended.
    virtual bool List(std::vector<TPortInfo>& ports) = 0;
};

// The process's sources: libudev (PosixUdevPorts.cpp) and sysfs (PosixPortList.cpp).
TPortSource& UdevPortSource();
TPortSource& SysfsPortSource();

// The ports of `preferred`, or of `fallback` when `preferred` cannot list; sorted.
std::vector<TPortInfo> ListSystemPorts(TPortSource& preferred, TPortSource& fallback);
// udev's ports, or sysfs'. A tty tree set by SetSysfsTtyRoot is read as it is: it is a
// test's own, which udev knows nothing of.
std::vector<TPortInfo> ListSystemPorts();
// The system's ports, then every registered provider's devices (BuiltIn); sorted.
std::vector<TPortInfo> ListPorts();

} // namespace celdara
