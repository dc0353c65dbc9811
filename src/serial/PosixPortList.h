// The system's own serial ports, as the kernel's tty class lists them.
#pragma once

#include "serial/SerialDevice.h"

#include <vector>

namespace celdara {

// Appends the system's serial ports from the tty class (SysfsTtyRoot()) to the list.
void ListSystemSerialDevices(std::vector<TSerialDeviceEntry>& list);

} // namespace celdara
