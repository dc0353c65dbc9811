// The system's own serial ports, as the kernel's tty class lists them.
#pragma once

namespace celdara {

// True while SetSysfsTtyRoot points somewhere else than /sys/class/tty.
bool SysfsTtyRootOverridden();

} // namespace celdara
