#include "distributor/DistributorFixture.h"

#include <stdexcept>

namespace celdara::testing {
namespace {

using TimerWalks = DistributorTest;

TDistributorPollProc Count(int& n) {
    return TDistributorPollProc::From([&n](VTolmGeneralDistributor*, Tick&) { ++n; });
}

TEST_F(TimerWalks, TimeoutFiresOnceAtTheFirstTickPastItsPeriod) {
    int fired = 0;
    top->OnTimeout = Count(fired);
    timer->Fire(); // Time = 1000
    top->SetTimeout(1000);
    clock.Set(2000);
    timer->Fire();
    EXPECT_EQ(fired, 0) << "exactly the period is not more than the period";
    clock.Set(2001);
    timer->Fire();
    EXPECT_EQ(fired, 1);
    clock.Set(5000);
    timer->Fire();
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(top->TimeoutArmed());
}

TEST_F(TimerWalks, TimeoutCountsFromTheLastTimeStampNotFromTheClock) {
    int fired = 0;
    top->OnTimeout = Count(fired);
    timer->Fire(); // Time = 1000
    clock.Set(1800);
    top->SetTimeout(500); // from 1000, not 1800
    clock.Set(1600);
    timer->Fire();
    EXPECT_EQ(fired, 1);
}

TEST_F(TimerWalks, DisarmedTimeoutNeverFires) {
    int fired = 0;
    top->OnTimeout = Count(fired);
    top->SetTimeout(10);
    top->SetTimeout(-1);
    clock.Advance(100000);
    timer->Fire();
    EXPECT_EQ(fired, 0);
}

TEST_F(TimerWalks, TimeoutAndNotificationsSurviveTheTickWrap) {
    clock.Set(0xFFFFFF00u);
    timer->Fire();
    int fired = 0, noted = 0;
    top->OnTimeout = Count(fired);
    top->SetTimeout(500);
    top->SetTimerEvent(500, TNotifyEvent::From([&](TObject*) { ++noted; }));
    clock.Advance(0x100 + 100); // just after the wrap: 356 ms
    timer->Fire();
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(noted, 0);
    clock.Advance(145); // 501 ms
    timer->Fire();
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(noted, 1);
}

TEST_F(TimerWalks, WalksVisitChildrenBeforeTheirParent) {
    VTolmDistributor a(nullptr, &clock), b(nullptr, &clock), a1(nullptr, &clock);
    a.SetDistributor(top.get());
    b.SetDistributor(top.get());
    a1.SetDistributor(&a);
    std::vector<std::string> order;
    auto note = [&](std::string name) {
        return TDistributorPollProc::From(
            [&order, name](VTolmGeneralDistributor*, Tick&) { order.push_back(name); });
    };
    top->OnTimerPoll = note("top");
    a.OnTimerPoll = note("a");
    b.OnTimerPoll = note("b");
    a1.OnTimerPoll = note("a1");
    timer->Fire();
    EXPECT_EQ(order, (Lines{"a1", "a", "b", "top"}));
}

TEST_F(TimerWalks, GloballyDisabledSubtreeGetsNoPollOrTimeoutButStillItsNotifications) {
    VTolmDistributor d(nullptr, &clock), below(nullptr, &clock);
    d.SetDistributor(top.get());
    below.SetDistributor(&d);
    int polls = 0, timeouts = 0, notes = 0;
    d.OnTimerPoll = Count(polls);
    below.OnTimerPoll = Count(polls);
    below.OnTimeout = Count(timeouts);
    below.SetTimeout(0);
    below.SetTimerEvent(0, true, TNotifyEvent::From([&](TObject*) { ++notes; }));
    d.GlobalEnabled = false;
    clock.Advance(10);
    timer->Fire();
    EXPECT_EQ(polls, 0);
    EXPECT_EQ(timeouts, 0);
    EXPECT_EQ(notes, 1);
    d.GlobalEnabled = true;
    timer->Fire();
    EXPECT_EQ(polls, 2);
    EXPECT_EQ(timeouts, 1);
}

TEST_F(TimerWalks, WalkDuringAnOwnHandlerSkipsItAndRefreshesItsTimeAfterwards) {
    Tick seenAfterHandler = 0;
    int polls = 0;
    top->OnTimerPoll = Count(polls);
    top->OnTimeout = TDistributorPollProc::From([&](VTolmGeneralDistributor*, Tick&) {
        clock.Advance(700); // the handler takes a while and pumps messages
        timer->Fire();
        EXPECT_TRUE(top->RefreshTime());
    });
    timer->Fire(); // Time 1000
    top->SetTimeout(0);
    top->SetTimerEvent(0, TNotifyEvent::From([&](TObject*) { seenAfterHandler = top->Time(); }));
    clock.Set(1001);
    polls = 0;
    timer->Fire();
    EXPECT_EQ(polls, 1) << "the nested walk found the top busy";
    EXPECT_FALSE(top->RefreshTime());
    EXPECT_EQ(top->Time(), 1701u);
    EXPECT_EQ(seenAfterHandler, 1701u) << "later work of the same tick sees the fresh time";
}

TEST_F(TimerWalks, SettingTheSameNotificationTwiceReArmsOneEntry) {
    int noted = 0;
    auto event = TNotifyEvent::From([&](TObject*) { ++noted; });
    timer->Fire(); // Time 1000
    top->SetTimerEvent(100, event);
    clock.Set(1050);
    timer->Fire();
    top->SetTimerEvent(100, event); // from 1050 now
    EXPECT_EQ(top->TimerEventCount(), 1);
    clock.Set(1120);
    timer->Fire();
    EXPECT_EQ(noted, 0);
    clock.Set(1151);
    timer->Fire();
    EXPECT_EQ(noted, 1);
    EXPECT_EQ(top->TimerEventCount(), 0) << "a one-shot goes after firing";
}

TEST_F(TimerWalks, RemovingAnUnknownNotificationDoesNothing) {
    auto kept = TNotifyEvent::From([](TObject*) {});
    top->SetTimerEvent(10, kept);
    top->SetTimerEvent(-1, TNotifyEvent::From([](TObject*) {}));
    EXPECT_EQ(top->TimerEventCount(), 1);
    top->SetTimerEvent(-1, kept);
    EXPECT_EQ(top->TimerEventCount(), 0);
    top->SetTimerEvent(10, kept); // reuses the spare
    EXPECT_EQ(top->TimerEventCount(), 1);
}

TEST_F(TimerWalks, OneShotListedFirstEndsThePassAndTheRepeatingOneFiresNext) {
    std::vector<std::string> fired;
    timer->Fire();
    top->SetTimerEvent(10, false,
                       TNotifyEvent::From([&](TObject*) { fired.push_back("one-shot"); }));
    top->SetTimerEvent(10, true,
                       TNotifyEvent::From([&](TObject*) { fired.push_back("repeating"); }));
    clock.Advance(20);
    timer->Fire();
    EXPECT_EQ(fired, (Lines{"one-shot"}));
    timer->Fire();
    EXPECT_EQ(fired, (Lines{"one-shot", "repeating"}));
}

TEST_F(TimerWalks, RepeatingListedFirstLetsTheOneShotFireInTheSamePass) {
    std::vector<std::string> fired;
    timer->Fire();
    top->SetTimerEvent(10, true,
                       TNotifyEvent::From([&](TObject*) { fired.push_back("repeating"); }));
    top->SetTimerEvent(10, false,
                       TNotifyEvent::From([&](TObject*) { fired.push_back("one-shot"); }));
    clock.Advance(20);
    timer->Fire();
    EXPECT_EQ(fired, (Lines{"repeating", "one-shot"}));
}

TEST_F(TimerWalks, EmptiedEventStopsAtTheNextWalk) {
    int polls = 0;
    top->OnTimerPoll = Count(polls);
    timer->Fire();
    top->OnTimerPoll = {};
    timer->Fire();
    EXPECT_EQ(polls, 1);
}

TEST_F(TimerWalks, ThrowingOwnHandlerLeavesTheDistributorReadyForTheNextWalk) {
    bool fail = true;
    int polls = 0;
    top->OnTimerPoll = TDistributorPollProc::From([&](VTolmGeneralDistributor*, Tick&) {
        ++polls;
        if (fail)
            throw std::runtime_error("poll failed");
    });
    EXPECT_THROW(timer->Fire(), std::runtime_error);
    EXPECT_FALSE(top->Busy());
    fail = false;
    timer->Fire();
    EXPECT_EQ(polls, 2);
}

TEST_F(TimerWalks, ThrowingHandlerInATimerDispatchDoesNotBlockLaterTimerDispatches) {
    top->DoTimerAfterData = false;
    top->SetOnComRecvDecode(TDistributorPollProc::From([](VTolmGeneralDistributor*, Tick&) {}));
    link->Receive("A\r");
    top->SetOnComRecvDecode(LineDecoder());
    bool fail = true;
    std::vector<std::string> polled;
    top->SetOnComRecvPoll(TDistributorDataProc::From(
        [&](VTolmGeneralDistributor*, Tick&, const std::string& d, bool&) {
            polled.push_back(Visible(d));
            if (fail)
                throw std::runtime_error("poll failed");
        }));
    EXPECT_THROW(timer->Fire(), std::runtime_error);
    fail = false;
    top->SetOnComRecvDecode(TDistributorPollProc::From([](VTolmGeneralDistributor*, Tick&) {}));
    link->Receive("B\r");
    top->SetOnComRecvDecode(LineDecoder());
    timer->Fire();
    EXPECT_EQ(polled, (Lines{"A<CR>", "B<CR>"}));
}

TEST_F(TimerWalks, MessagesDeliveredInsideABusyHandlerCarryFreshTime) {
    top->DoTimerAfterData = false;
    top->SetOnComRecvDecode(LineDecoder());
    std::vector<Tick> seen;
    top->SetOnComRecvPoll(
        TDistributorDataProc::From([&](VTolmGeneralDistributor*, Tick&, const std::string&, bool&) {
            seen.push_back(top->Time());
            clock.Advance(50); // each line takes its time
        }));
    top->OnTimeout = TDistributorPollProc::From([&](VTolmGeneralDistributor*, Tick&) {
        timer->Fire();           // a nested tick finds the top busy
        link->Receive("A\rB\r"); // and replies arrive while the handler runs
    });
    timer->Fire();
    top->SetTimeout(0);
    clock.Advance(1);
    timer->Fire();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], seen[0] + 50) << "the walk re-read the clock after the first line";
}

TEST_F(TimerWalks, DesignedTopNeitherTicksNorReceives) {
    int polls = 0;
    top->OnTimerPoll = Count(polls);
    top->SetDesigning(true);
    timer->Fire();
    link->Receive("x");
    EXPECT_EQ(polls, 0);
    EXPECT_TRUE(top->GetComBuffer(0)->empty());
    top->SetDesigning(false);
}

TEST(ChainWithoutTop, SendAndBufferLookUpRaiseTheirMessages) {
    TManualTickClock clock;
    VTolmDistributor lone(nullptr, &clock);
    try {
        lone.SendComData("AT\r");
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "SendComData: VTolmDistributor chain does not begin with VTolmTopDistributor");
    }
    try {
        lone.GetComBuffer(0);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(
            e.what(),
            "GetComBuffer: VTolmDistributor chain does not begin with VTolmTopDistributor");
    }
    TObject channel;
    EXPECT_THROW(lone.GetComLength(&channel, 0), std::runtime_error);
}

} // namespace
} // namespace celdara::testing
