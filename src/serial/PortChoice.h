// The serial ports as the port box offers them: what each one is, in which order they are
// listed, how they are named and described, and which port a first start opens.
#pragma once

#include <string>
#include <vector>

namespace celdara {

// What ModemManager's udev rules say a port is for (its ID_MM_PORT_* tags).
enum class TMmPortRole {
    None,        // untagged: the driver has to tell
    AtPrimary,   // the port to talk AT on
    AtSecondary, // another AT port of the same modem
    NotAt,       // QCDM, GPS, or a port ModemManager is told to leave alone
};

// One serial port as the system describes it. Text fields are empty when unknown.
struct TPortInfo {
    std::string Node{};   // "/dev/ttyUSB2"; a built-in port's own name ("virtual-modem")
    std::string ById{};   // the stable "/dev/serial/by-id/..." link
    std::string Vendor{}; // "Quectel"
    std::string Model{};  // "EG25"
    std::string Driver{}; // "option1", "cdc_acm", "serial8250"; "BTPORTn" for Bluetooth
    int Interface = -1;   // the USB interface number
    TMmPortRole Role = TMmPortRole::None;
    bool Uart = false;    // a port of the serial core (ttyS...): listed, never picked
    bool BuiltIn = false; // a device provider's port (the simulated modem)

    bool operator==(const TPortInfo&) const = default;
};

// True for the drivers that serve the AT ports of GSM, UMTS and LTE modems: the USB serial
// drivers of modem makers (option, qcserial, sierra and the others built on usb_wwan) and
// the ACM class driver that modems and phones use. Plain UARTs and general USB serial
// adapters are not modems by themselves.
bool IsModemDriver(const std::string& driver);

// The name the user knows: the node less "/dev/" ("ttyUSB2").
std::string PortShortName(const TPortInfo& port);
// What is opened and stored for a port: the by-id link when there is one, since the node
// of a USB modem changes when it comes back, else the short name.
std::string PortOpenName(const TPortInfo& port);
// "Quectel EG25 (if 02, option)", with what is unknown left out; empty without a vendor
// and a model, as the driver alone says little.
std::string DescribePort(const TPortInfo& port);
// The box's line: "ttyUSB2 — Quectel EG25 (if 02, option)", or the short name alone.
std::string PortDisplayText(const TPortInfo& port);

// The order of the box: AT-primary ports, AT-secondary ones, other ports of modem drivers,
// other serial ports, the ports ModemManager marks as no AT port, UARTs, and the built-in
// devices last. Within one group by name, numbers counted as numbers (ttyUSB2 < ttyUSB10).
void SortPorts(std::vector<TPortInfo>& ports);

// The open name of the port a first start opens: the AT-primary port; else the first port
// of a modem driver that is not marked as another kind; with none, `fallback` when it is a
// listed built-in port (the simulated modem); else empty. A UART is never picked: most PCs
// and virtual machines have a ttyS0 with nothing attached, which would only sit silent.
std::string ChooseFirstPort(const std::vector<TPortInfo>& ports, const std::string& fallback);

} // namespace celdara
