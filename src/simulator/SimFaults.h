// The faults the simulated modem can show, each switched on and off on its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace celdara {

struct TSimFaults {
    bool Silent = false; // takes everything in and answers nothing at all
    // Commands answered "ERROR" whatever their arguments, named as written after "AT" in
    // upper case: "+CSQ", "^MONP", "A", "E". "+COPS=?" refuses only the network scan, with
    // +CME ERROR 30 (no network service).
    std::vector<std::string> ErrorCommands;
    // Reply lines that begin with this text are left out ("+CPAS" drops "+CPAS: 0").
    std::string MissingPrefix;
    bool Split = false;    // replies arrive in pieces cut at arbitrary byte positions
    int NoisePerMille = 0; // chance per byte, both ways, of a garbled or an extra byte
    bool Vanished = false; // the device is gone: nothing in, nothing out, no modem lines

    bool Any() const {
        return Silent || !ErrorCommands.empty() || !MissingPrefix.empty() || Split ||
               NoisePerMille > 0 || Vanished;
    }
    bool operator==(const TSimFaults&) const = default;
};

// Switches on one fault given as text: "silent", "error=+CSQ,^MONI", "missing=+CPAS",
// "split", "noise=<per mille 1..1000>", "vanish". False with a message for anything else.
bool ApplySimFault(std::string_view item, TSimFaults& faults, std::string& message);

// The faults as the texts ApplySimFault takes, separated by blanks; "none" when healthy.
std::string DescribeSimFaults(const TSimFaults& faults);

} // namespace celdara
