// Which port a first start opens, before the user has chosen one.
#pragma once

#include "serial/SerialDevice.h"

#include <string>
#include <vector>

namespace celdara {

// True for the drivers that serve the AT ports of GSM, UMTS and LTE modems: the USB serial
// drivers of modem makers (option, qcserial, sierra and the others built on usb_wwan) and
// the ACM class driver that modems and phones use. Plain UARTs and general USB serial
// adapters are not modems by themselves.
bool IsModemDriver(const std::string& driver);

// The first listed port whose driver is a modem driver; with none, `fallback` when it is
// listed (the built-in simulated modem); else empty. A plain UART is never picked: most PCs
// and virtual machines have a ttyS0 with nothing attached, which would only sit silent.
std::string ChooseFirstPort(const std::vector<TSerialDeviceEntry>& devices,
                            const std::string& fallback);

} // namespace celdara
