// The command line of celdara-monitor.
#pragma once

#include "records/RecordFormat.h"

#include <optional>
#include <string>
#include <vector>

namespace celdara {

struct TMonitorOptions {
    TRecordFormat Format = TRecordFormat::Text;
    double IntervalSeconds = 0; // records at most this often; 0: every cycle
    long Count = 0;             // stop after this many records; 0: never
    std::string OutputFile;     // append here instead of standard output
    std::string Operator;       // "auto", a numeric code, or empty for no switch
    bool ListPorts = false;
    bool Scan = false; // list the networks the modem finds (AT+COPS=?) and exit
    bool Help = false;
    bool Version = false;
    std::string Port;
};

// The usage text that --help prints and a bad command line follows.
std::string MonitorUsage();

// Parses the arguments after the program name. On a bad command line, nothing and a
// sentence that says what is wrong in `error`.
std::optional<TMonitorOptions> ParseMonitorOptions(const std::vector<std::string>& args,
                                                   std::string& error);

} // namespace celdara
