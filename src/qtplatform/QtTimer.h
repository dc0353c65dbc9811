// The timer seam's platform side: a TTimer that ticks from a QTimer on the main thread.
#pragma once

#include "core/Timer.h"

#include <memory>

class QTimer;

namespace celdara {

class TQtTimer final : public TTimer {
public:
    explicit TQtTimer(TComponent* owner);
    ~TQtTimer() override;

    bool IsTicking() const;

protected:
    void UpdateTimer() override;

private:
    std::unique_ptr<QTimer> timer_;
};

} // namespace celdara
