#include "core/TickClock.h"
#include "core/Timer.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

TEST(ManualTickClock, AdvancesAndWrapsLikeTheTickCounter) {
    TManualTickClock clock(0xFFFFFF00u);
    clock.Advance(0xFF);
    EXPECT_EQ(clock.Now(), 0xFFFFFFFFu);
    clock.Advance(2);
    EXPECT_EQ(clock.Now(), 1u);
    clock.Set(500);
    EXPECT_EQ(clock.Now(), 500u);
}

TEST(ManualTimer, FiresOnlyWhileEnabledWithAnIntervalAndAHandler) {
    TManualTimer timer(nullptr);
    int ticks = 0;
    TObject* sender = nullptr;
    timer.Fire(); // no handler yet
    timer.SetOnTimer(TNotifyEvent::From([&](TObject* s) {
        ++ticks;
        sender = s;
    }));
    timer.Fire();
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(sender, &timer);
    timer.SetEnabled(false);
    timer.Fire();
    timer.SetEnabled(true);
    timer.SetInterval(0);
    timer.Fire();
    EXPECT_EQ(ticks, 1);
    timer.SetInterval(50);
    EXPECT_EQ(timer.Interval(), 50u);
    timer.Fire();
    EXPECT_EQ(ticks, 2);
}

// A platform timer restarts whenever one of its settings changes.
class TCountingTimer : public TTimer {
public:
    using TTimer::TTimer;
    int updates = 0;

protected:
    void UpdateTimer() override { ++updates; }
};

TEST(TimerSeam, EveryRealChangeReachesThePlatform) {
    TCountingTimer timer(nullptr);
    timer.SetInterval(1000); // unchanged
    timer.SetEnabled(true);  // unchanged
    EXPECT_EQ(timer.updates, 0);
    timer.SetInterval(20);
    timer.SetEnabled(false);
    timer.SetOnTimer(TNotifyEvent::From([](TObject*) {}));
    EXPECT_EQ(timer.updates, 3);
    EXPECT_FALSE(timer.Running());
}

} // namespace
} // namespace celdara
