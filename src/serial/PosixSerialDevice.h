// A serial device of the system, driven through termios2 and the modem-line ioctls.
#pragma once

#include "serial/SerialDevice.h"

#include <memory>
#include <string>

namespace celdara {

// Opens the device at `path` for exclusive use: non-blocking, no controlling terminal,
// a non-blocking flock and TIOCEXCL. The original settings are restored when the device is
// closed. On failure nullptr and the errno in `error`.
std::unique_ptr<TSerialDevice> OpenPosixSerialDevice(const std::string& path, int& error);

} // namespace celdara
