#include "serial/PortWatch.h"

#include <algorithm>

namespace celdara {

void TPortWatch::Reset(std::vector<TPortInfo> ports) {
    ports_ = std::move(ports);
    SortPorts(ports_);
}

bool TPortWatch::Apply(const TPortEvent& event) {
    if (event.Port.Node.empty() || event.Port.BuiltIn)
        return false;
    return event.Action == TPortAction::Add ? Add(event.Port) : Remove(event.Port);
}

bool TPortWatch::Apply(const std::vector<TPortEvent>& events) {
    bool changed = false;
    for (const TPortEvent& event : events)
        changed = Apply(event) || changed;
    return changed;
}

bool TPortWatch::Add(const TPortInfo& port) {
    const std::vector<TPortInfo> before = ports_;
    // The same node again is a change of its properties; the same by-id link on another
    // node is the device back under a new name, whose removal went unseen.
    std::erase_if(ports_, [&](const TPortInfo& known) {
        return !known.BuiltIn &&
               (known.Node == port.Node || (!port.ById.empty() && known.ById == port.ById));
    });
    ports_.push_back(port);
    SortPorts(ports_);
    return ports_ != before;
}

bool TPortWatch::Remove(const TPortInfo& port) {
    return std::erase_if(ports_, [&](const TPortInfo& known) {
               return !known.BuiltIn && known.Node == port.Node;
           }) > 0;
}

bool AddsPort(const std::vector<TPortEvent>& events, const std::string& name) {
    return !name.empty() && std::any_of(events.begin(), events.end(), [&](const TPortEvent& e) {
        return e.Action == TPortAction::Add && !e.Port.BuiltIn && !e.Port.Node.empty() &&
               (e.Port.Node == name || PortShortName(e.Port) == name ||
                (!e.Port.ById.empty() && e.Port.ById == name));
    });
}

} // namespace celdara
