#include "widgets/QtTimer.h"

#include <QTimer>
#include <algorithm>
#include <limits>

namespace celdara::widgets {

TQtTimer::TQtTimer(TComponent* owner) : TTimer(owner), timer_(std::make_unique<QTimer>()) {
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { Tick(); });
    UpdateTimer();
}

TQtTimer::~TQtTimer() {
    timer_->stop();
}

bool TQtTimer::IsTicking() const {
    return timer_->isActive();
}

void TQtTimer::UpdateTimer() {
    if (!timer_)
        return; // the base constructor's state, before the QTimer exists
    // QTimer takes a signed interval.
    const unsigned limit = static_cast<unsigned>(std::numeric_limits<int>::max());
    timer_->setInterval(static_cast<int>(std::min(Interval(), limit)));
    if (Running())
        timer_->start();
    else
        timer_->stop();
}

} // namespace celdara::widgets
