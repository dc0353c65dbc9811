// The timer seam's platform side for the controls: a TTimer that ticks from a QTimer on the
// main thread. Replace it with the window layer's own when one exists.
#pragma once

#include "core/Timer.h"

#include <memory>

class QTimer;

namespace celdara::widgets {

class TQtTimer final : public TTimer {
public:
    explicit TQtTimer(TComponent* owner);
    ~TQtTimer() override;

    // Whether the QTimer underneath is counting (for tests that check the wiring).
    bool IsTicking() const;

protected:
    void UpdateTimer() override;

private:
    std::unique_ptr<QTimer> timer_;
};

} // namespace celdara::widgets
