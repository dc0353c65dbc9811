#include "simulator/SimFaults.h"

#include "util/TextConvert.h"

#include <algorithm>

namespace celdara {

namespace {

// The faults that are switched on by their name alone.
struct TFlagFault {
    const char* Name;
    bool TSimFaults::*Flag;
};
constexpr TFlagFault kFlagFaults[] = {
    {"silent", &TSimFaults::Silent},
    {"split", &TSimFaults::Split},
    {"vanish", &TSimFaults::Vanished},
};

// "error=+CSQ,^MONI": command names, each added once.
bool ApplyErrorCommands(std::string_view value, TSimFaults& faults, std::string& message) {
    std::vector<std::string> commands;
    for (;;) {
        auto comma = value.find(',');
        std::string_view command = value.substr(0, comma);
        // "+COPS=?" names the test form alone: the network scan, not the poll's +COPS?.
        std::string_view name = command;
        if (name.size() > 2 && name.substr(name.size() - 2) == "=?")
            name.remove_suffix(2);
        if (name.empty() || name.find_first_of(" \t;=?") != std::string_view::npos) {
            message = "fault \"error\" needs command names such as +CSQ or ^MONI";
            return false;
        }
        commands.push_back(UpperCase(command));
        if (comma == std::string_view::npos)
            break;
        value = value.substr(comma + 1);
    }
    for (std::string& c : commands) {
        if (std::find(faults.ErrorCommands.begin(), faults.ErrorCommands.end(), c) ==
            faults.ErrorCommands.end())
            faults.ErrorCommands.push_back(std::move(c));
    }
    return true;
}

bool ApplyNoise(std::string_view value, TSimFaults& faults, std::string& message) {
    const int perMille = TextToInt(value, 0);
    if (perMille < 1 || perMille > 1000) {
        message = "fault \"noise\" needs a chance per mille from 1 to 1000";
        return false;
    }
    faults.NoisePerMille = perMille;
    return true;
}

} // namespace

bool ApplySimFault(std::string_view item, TSimFaults& faults, std::string& message) {
    std::string_view name = item;
    std::string_view value;
    bool hasValue = false;
    if (auto eq = item.find('='); eq != std::string_view::npos) {
        name = item.substr(0, eq);
        value = item.substr(eq + 1);
        hasValue = true;
    }
    for (const TFlagFault& f : kFlagFaults) {
        if (name != f.Name)
            continue;
        if (hasValue) {
            message = "fault \"" + std::string(name) + "\" takes no value";
            return false;
        }
        faults.*f.Flag = true;
        return true;
    }
    if (name == "error")
        return ApplyErrorCommands(value, faults, message);
    if (name == "missing") {
        if (value.empty()) {
            message = "fault \"missing\" needs a reply prefix such as +CPAS";
            return false;
        }
        faults.MissingPrefix = UpperCase(value);
        return true;
    }
    if (name == "noise")
        return ApplyNoise(value, faults, message);
    message = "unknown fault \"" + std::string(item) + "\"";
    return false;
}

std::string DescribeSimFaults(const TSimFaults& faults) {
    std::string out;
    auto add = [&out](const std::string& text) {
        if (!out.empty())
            out += ' ';
        out += text;
    };
    if (faults.Silent)
        add("silent");
    if (!faults.ErrorCommands.empty()) {
        std::string list;
        for (const std::string& c : faults.ErrorCommands)
            list += (list.empty() ? "" : ",") + c;
        add("error=" + list);
    }
    if (!faults.MissingPrefix.empty())
        add("missing=" + faults.MissingPrefix);
    if (faults.Split)
        add("split");
    if (faults.NoisePerMille > 0)
        add("noise=" + std::to_string(faults.NoisePerMille));
    if (faults.Vanished)
        add("vanish");
    return out.empty() ? "none" : out;
}

} // namespace celdara
