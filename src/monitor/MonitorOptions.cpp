#include "monitor/MonitorOptions.h"

#include <cmath>
#include <cstdlib>

namespace celdara {

namespace {

bool ParseCount(const std::string& text, long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 12)
        return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return value > 0;
}

bool ParseSeconds(const std::string& text, double& value) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0' && std::isfinite(value) && value >= 0 &&
           value <= 86400.0 * 365;
}

// A numeric operator code is the three digits of the country and two or three of the network.
bool IsOperatorChoice(const std::string& text) {
    if (text == "auto")
        return true;
    return (text.size() == 5 || text.size() == 6) &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

std::string MonitorUsage() {
    return "Usage: celdara-monitor [options] PORT\n"
           "Polls the GSM modem on PORT (a device such as ttyUSB2 or /dev/ttyACM0, or the\n"
           "built-in simulated modems virtual-modem and virtual-modem-faulty) and prints one\n"
           "record per completed poll cycle.\n"
           "\n"
           "Options:\n"
           "  --format text|csv|jsonl  record format (default text)\n"
           "  --interval SECONDS       print records at most this often\n"
           "  --count N                stop after N records\n"
           "  --output FILE            append the records to FILE\n"
           "  --operator CODE|auto     switch the modem to an operator (e.g. 23002) once\n"
           "  --list-ports             list the serial ports and exit\n"
           "  --help                   show this help and exit\n"
           "  --version                show the version and exit\n";
}

std::optional<TMonitorOptions> ParseMonitorOptions(const std::vector<std::string>& args,
                                                   std::string& error) {
    TMonitorOptions options;
    std::vector<std::string> ports;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool hasValue = false;
        // Both "--name value" and "--name=value".
        if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg = arg.substr(0, arg.find('='));
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        const bool flag =
            arg == "--help" || arg == "-h" || arg == "--version" || arg == "--list-ports";
        if (flag && hasValue) {
            error = "option " + arg + " takes no value";
            return std::nullopt;
        }
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
        } else if (arg == "--version") {
            options.Version = true;
        } else if (arg == "--list-ports") {
            options.ListPorts = true;
        } else if (arg == "--format") {
            if (!takeValue())
                return std::nullopt;
            const auto format = RecordFormatOfName(value);
            if (!format) {
                error = "unknown format \"" + value + "\" (use text, csv or jsonl)";
                return std::nullopt;
            }
            options.Format = *format;
        } else if (arg == "--interval") {
            if (!takeValue())
                return std::nullopt;
            if (!ParseSeconds(value, options.IntervalSeconds)) {
                error = "--interval takes a number of seconds, not \"" + value + "\"";
                return std::nullopt;
            }
        } else if (arg == "--count") {
            if (!takeValue())
                return std::nullopt;
            if (!ParseCount(value, options.Count)) {
                error = "--count takes a whole number above 0, not \"" + value + "\"";
                return std::nullopt;
            }
        } else if (arg == "--output") {
            if (!takeValue())
                return std::nullopt;
            if (value.empty()) {
                error = "--output needs a file name";
                return std::nullopt;
            }
            options.OutputFile = value;
        } else if (arg == "--operator") {
            if (!takeValue())
                return std::nullopt;
            if (!IsOperatorChoice(value)) {
                error =
                    "--operator takes a numeric code such as 23002, or auto, not \"" + value + "\"";
                return std::nullopt;
            }
            options.Operator = value;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else {
            ports.push_back(arg);
        }
    }
    if (options.Help || options.Version || options.ListPorts)
        return options;
    if (ports.size() != 1) {
        error = ports.empty() ? "no port given" : "only one port can be watched at a time";
        return std::nullopt;
    }
    options.Port = ports.front();
    return options;
}

} // namespace celdara
