// Ports that come and go while the program runs: the events of a device monitor (udev's,
// in PosixUdevPorts.cpp) and the list they keep current. The window feeds the monitor's
// events in from its main loop; nothing here waits or owns a thread.
#pragma once

#include "serial/PortChoice.h"

#include <memory>
#include <vector>

namespace celdara {

enum class TPortAction { Add, Remove };

// An added (or changed) port as the listing describes it; a removed one by its node.
struct TPortEvent {
    TPortAction Action = TPortAction::Add;
    TPortInfo Port{};
};

class TPortWatch {
public:
    // Starts again from a whole list, as ListPorts gives it.
    void Reset(std::vector<TPortInfo> ports);
    const std::vector<TPortInfo>& Ports() const { return ports_; }
    // True when the list changed. Events without a node and events about built-in ports
    // change nothing.
    bool Apply(const TPortEvent& event);
    bool Apply(const std::vector<TPortEvent>& events);

private:
    bool Add(const TPortInfo& port);
    bool Remove(const TPortInfo& port);

    std::vector<TPortInfo> ports_;
};

// True when one of the events adds the port that `name` opens: its by-id link, its short
// name or its node. The window tells the machine then that an awaited port is back.
bool AddsPort(const std::vector<TPortEvent>& events, const std::string& name);

// A source of port events with a descriptor that becomes readable when events wait.
class TPortMonitor {
public:
    virtual ~TPortMonitor() = default;
    virtual int Fd() const = 0;
    // The events that have come; never blocks.
    virtual std::vector<TPortEvent> Receive() = 0;
};

// udev's monitor of the tty subsystem, or nullptr when udev cannot be used.
std::unique_ptr<TPortMonitor> CreateUdevPortMonitor();

} // namespace celdara
