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
           "Polls the modem on PORT (a device such as ttyUSB2 or /dev/ttyACM0, or one of the\n"
           "built-in simulated modems virtual-modem, virtual-modem-faulty and\n"
           "virtual-lte-modem) and prints one record per completed poll cycle.\n"
           "\n"
           "Options:\n"
           "  --format text|csv|jsonl  record format (default text)\n"
           "  --interval SECONDS       print records at most this often\n"
           "  --count N                stop after N records\n"
           "  --output FILE            append the records to FILE\n"
           "  --operator CODE|auto     switch the modem to an operator (e.g. 23002) once\n"
           "  --scan                   list the networks the modem finds (state, long and\n"
           "                           short name, code, technology) and exit; a scan\n"
           "                           takes the modem up to 3 minutes\n"
           "  --list-ports             list the serial ports and exit\n"
           "  --help                   show this help and exit\n"
           "  --version                show the version and exit\n";
}

namespace {

bool IsFlag(const std::string& name) {
    return name == "--help" || name == "-h" || name == "--version" || name == "--list-ports" ||
           name == "--scan";
}

void ApplyFlag(const std::string& name, TMonitorOptions& options) {
    if (name == "--version")
        options.Version = true;
    else if (name == "--list-ports")
        options.ListPorts = true;
    else if (name == "--scan")
        options.Scan = true;
    else
        options.Help = true;
}

bool IsValueOption(const std::string& name) {
    return name == "--format" || name == "--interval" || name == "--count" || name == "--output" ||
           name == "--operator";
}

// One option with its value; false with what is wrong in `error`.
bool ApplyValue(const std::string& name, const std::string& value, TMonitorOptions& options,
                std::string& error) {
    if (name == "--format") {
        const auto format = RecordFormatOfName(value);
        if (format)
            options.Format = *format;
        else
            error = "unknown format \"" + value + "\" (use text, csv or jsonl)";
    } else if (name == "--interval") {
        if (!ParseSeconds(value, options.IntervalSeconds))
            error = "--interval takes a number of seconds, not \"" + value + "\"";
    } else if (name == "--count") {
        if (!ParseCount(value, options.Count))
            error = "--count takes a whole number above 0, not \"" + value + "\"";
    } else if (name == "--output") {
        options.OutputFile = value;
        if (value.empty())
            error = "--output needs a file name";
    } else if (name == "--operator") {
        options.Operator = value;
        if (!IsOperatorChoice(value))
            error = "--operator takes a numeric code such as 23002, or auto, not \"" + value + "\"";
    }
    return error.empty();
}

} // namespace

std::optional<TMonitorOptions> ParseMonitorOptions(const std::vector<std::string>& args,
                                                   std::string& error) {
    TMonitorOptions options;
    std::vector<std::string> ports;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        // Both "--name value" and "--name=value".
        if (name.rfind("--", 0) == 0 && name.find('=') != std::string::npos) {
            value = name.substr(name.find('=') + 1);
            name = name.substr(0, name.find('='));
        }
        if (IsFlag(name)) {
            if (value) {
                error = "option " + name + " takes no value";
                return std::nullopt;
            }
            ApplyFlag(name, options);
        } else if (IsValueOption(name)) {
            if (!value && i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return std::nullopt;
            }
            if (!ApplyValue(name, value ? *value : args[++i], options, error))
                return std::nullopt;
        } else if (name.size() > 1 && name[0] == '-') {
            error = "unknown option " + name;
            return std::nullopt;
        } else {
            ports.push_back(name);
        }
    }
    if (options.Help || options.Version || options.ListPorts)
        return options;
    if (options.Scan && !options.Operator.empty()) {
        error = "--scan and --operator cannot be used together";
        return std::nullopt;
    }
    if (ports.size() != 1) {
        error = ports.empty() ? "no port given" : "only one port can be watched at a time";
        return std::nullopt;
    }
    options.Port = ports.front();
    return options;
}

} // namespace celdara
