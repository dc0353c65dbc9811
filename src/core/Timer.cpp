#include "core/Timer.h"

namespace celdara {

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
    NotifyRemoval();
}

void TTimer::SetInterval(unsigned ms) {
    if (ms == interval_)
        return;
    interval_ = ms;
    UpdateTimer();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TTimer::Tick() {
    if (Running())
        onTimer_(this);
}

} // namespace celdara
