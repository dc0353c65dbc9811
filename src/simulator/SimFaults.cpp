#include "simulator/SimFaults.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace celdara {

namespace {

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
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
    auto refuseValue = [&] {
        message = "fault \"" + std::string(name) + "\" takes no value";
        return false;
    };
    if (name == "silent") {
        if (hasValue)
            return refuseValue();
        faults.Silent = true;
        return true;
    }
    if (name == "split") {
        if (hasValue)
            return refuseValue();
        faults.Split = true;
        return true;
    }
    if (name == "vanish") {
        if (hasValue)
            return refuseValue();
        faults.Vanished = true;
        return true;
    }
    if (name == "error") {
        std::vector<std::string> commands;
        for (;;) {
            auto comma = value.find(',');
            std::string_view command = value.substr(0, comma);
            if (command.empty() || command.find_first_of(" \t;=?") != std::string_view::npos) {
                message = "fault \"error\" needs command names such as +CSQ or ^MONI";
                return false;
            }
            commands.push_back(Upper(command));
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
    if (name == "missing") {
        if (value.empty()) {
            message = "fault \"missing\" needs a reply prefix such as +CPAS";
            return false;
        }
        faults.MissingPrefix = Upper(value);
        return true;
    }
    if (name == "noise") {
        int perMille = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), perMille);
        if (ec != std::errc() || end != value.data() + value.size() || perMille < 1 ||
            perMille > 1000) {
            message = "fault \"noise\" needs a chance per mille from 1 to 1000";
            return false;
        }
        faults.NoisePerMille = perMille;
        return true;
    }
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
