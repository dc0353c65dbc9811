// The application root component: owner of the program's windows and modules, and the one
// global that logic may reach for. It holds the process's clock, message queue and the
// registry of component classes that stored descriptions create by class name.
#pragma once

#include "core/Component.h"
#include "core/MessageQueue.h"
#include "core/TickClock.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace celdara {

class TApplication : public TComponent {
public:
    using Factory = std::function<TComponent*(TComponent* owner)>;

    TApplication();
    ~TApplication() override;

    // The clock that components use unless they are given one; the system clock at start.
    TTickClock& Clock() const { return *clock_; }
    void SetClock(TTickClock* clock);

    TMessageQueue& MessageQueue() { return queue_; }

    // "Process pending window messages": the platform's events (when the window layer has
    // installed a hook) and then the message queue.
    void ProcessMessages();
    void SetPlatformEventHook(std::function<void()> hook) { platformEvents_ = std::move(hook); }

    // Component classes by name ("TTimer", "TLyrComm32", ...). A later registration of the
    // same name replaces the earlier one; an empty factory removes it.
    void RegisterClass(const std::string& className, Factory factory);
    bool IsClassRegistered(std::string_view className) const;
    // A new component of a registered class, owned by `owner`; nullptr when unknown.
    TComponent* CreateComponent(std::string_view className, TComponent* owner) const;

private:
    TTickClock* clock_;
    TMessageQueue queue_;
    std::function<void()> platformEvents_;
    std::map<std::string, Factory, std::less<>> classes_;
};

// The program's application object.
TApplication& Application();

} // namespace celdara
