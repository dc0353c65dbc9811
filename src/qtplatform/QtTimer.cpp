#include "qtplatform/QtTimer.h"

#include <QTimer>

namespace celdara {

TQtTimer::TQtTimer(TComponent* owner) : TTimer(owner), timer_(std::make_unique<QTimer>()) {
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { Tick(); });
    UpdateTimer();
}

TQtTimer::~TQtTimer() {
    NotifyRemoval();
    timer_->stop();
}

bool TQtTimer::IsTicking() const {
    return timer_->isActive();
}

void TQtTimer::UpdateTimer() {
    if (!timer_)
        return;
    if (Running())
        timer_->start(static_cast<int>(std::min<unsigned>(Interval(), 0x7fffffff)));
    else
        timer_->stop();
}

} // namespace celdara
