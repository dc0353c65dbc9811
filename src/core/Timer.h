// The timer seam: interval, enabled and an OnTimer event. The program's timers come from
// the window layer (a QTimer underneath); tests use TManualTimer and fire it by hand.
#pragma once

#include "core/Component.h"
#include "core/Event.h"

namespace celdara {

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent handler);

    // True while the timer would tick: enabled, a non-zero interval and a handler.
    bool Running() const { return enabled_ && interval_ > 0 && onTimer_; }

protected:
    // Called after any change of interval, enabled or handler; a platform timer restarts.
    virtual void UpdateTimer() {}
    // One tick: raises OnTimer with this timer as Sender when the timer is running.
    void Tick();

private:
    unsigned interval_ = 1000;
    bool enabled_ = true;
    TNotifyEvent onTimer_;
};

class TManualTimer final : public TTimer {
public:
    using TTimer::TTimer;
    // Ticks once, as the platform timer would after its interval.
    void Fire() { Tick(); }
};

} // namespace celdara
