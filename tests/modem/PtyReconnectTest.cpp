// The machine on a real serial port that goes away and comes back: a pseudo-terminal whose
// slave is reached through a symbolic link (as a udev rule names a modem), and a far end in
// the test that answers on the master as the modem would. Unplugging closes the master;
// the return is a new pair with the link pointed at its slave.
#include "MonitorFixture.h"
#include "core/TickClock.h"
#include "modem/SerialModemPort.h"
#include "serial/LyrComm32.h"
#include "serial/SerialTestSupport.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace celdara::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Answers every whole command with the scripted modem's replies.
class TFarEnd {
public:
    bool Valid() const { return pty_.Valid(); }
    const std::string& SlavePath() const { return pty_.SlavePath(); }
    // Waits at most `waitMs` for what the port sends.
    void Serve(int waitMs) {
        if (!pty_.Valid())
            return;
        partial_ += pty_.ReadAvailable(waitMs);
        for (std::size_t end; (end = partial_.find('\r')) != std::string::npos;) {
            const std::string command = partial_.substr(0, end + 1);
            partial_.erase(0, end + 1);
            const auto it = replies_.find(command);
            pty_.WriteAll(it != replies_.end() ? it->second : "\r\nERROR\r\n", 1000);
        }
    }
    void Unplug() { pty_.CloseMaster(); }

private:
    TPtyPair pty_;
    std::string partial_;
    std::map<std::string, std::string> replies_ = ScriptedReplies();
};

// Real time, which a test may move on to skip the machine's second between open retries.
class TSkippingClock final : public TTickClock {
public:
    Tick Now() override { return SystemTickClock().Now() + skipped_; }
    void Skip(Tick ms) { skipped_ += ms; }

private:
    Tick skipped_ = 0;
};

// The window hands the queue what is pending while the machine opens, and with it the state
// reports of the machine's own closes.
class TPumpingView : public RecordingView {
public:
    explicit TPumpingView(TPumpedQueue& pump) : pump_(pump) {}
    void ProcessMessages() override {
        RecordingView::ProcessMessages();
        pump_.PumpOnce();
    }

private:
    TPumpedQueue& pump_;
};

class PtyReconnectTest : public ::testing::Test {
protected:
    PtyReconnectTest() {
        dir_ = fs::temp_directory_path() / ("celdara-reconnect-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        link_ = (dir_ / "modem").string();
        comm.SetAutoReconnect(false); // as the window and celdara-monitor have it
        timer->SetInterval(50);
        top.SetTimer(timer);
        top.SetComHandler(&comm);
        view.portBox = link_;
        monitor = std::make_unique<ModemMonitor>(top, port, view);
    }
    ~PtyReconnectTest() override {
        monitor.reset();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    void SetUp() override {
        ASSERT_TRUE(far->Valid()) << "no pseudo-terminals on this system";
        PointLinkAt(*far);
    }

    void PointLinkAt(const TFarEnd& end) {
        const fs::path next = dir_ / "modem.next";
        fs::remove(next);
        fs::create_symlink(end.SlavePath(), next);
        fs::rename(next, link_); // the link is replaced at once, never missing
    }
    // The new device, behind the same name.
    void Replug() {
        auto next = std::make_unique<TFarEnd>();
        ASSERT_TRUE(next->Valid());
        PointLinkAt(*next);
        far = std::move(next);
    }
    // The window's loop: the far end, the queue, and the distributor's timer every `tickMs`;
    // until `done` holds or `ms` pass.
    bool Drive(const std::function<bool()>& done, int ms, int tickMs = 50) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        auto nextTick = Clock::now();
        while (!done()) {
            const auto now = Clock::now();
            if (now >= deadline)
                return false;
            far->Serve(1);
            pump.PumpOnce();
            if (now >= nextTick) {
                timer->Fire();
                nextTick = now + std::chrono::milliseconds(tickMs);
            }
        }
        return true;
    }
    // The poll command of a cycle has been answered.
    bool PollAnswered() const {
        return (monitor->State() == msPoll && monitor->Step() >= 100) ||
               monitor->State() == msAnswer;
    }
    bool BackAndPolling() const { return !monitor->WaitingForPort() && PollAnswered(); }
    std::string LostLine() const { return "< \x20 Port " + link_ + " lost: Input/output error."; }
    std::string BackLine() const { return "< \x20 Port " + link_ + " is back."; }

    fs::path dir_;
    std::string link_;
    TSkippingClock clock;
    TPumpedQueue pump;
    TLyrComm32 comm{nullptr, &pump.Queue()};
    VTolmTopDistributor top{nullptr, &clock};
    TManualTimer* timer = new TManualTimer(&top); // owned by the distributor
    SerialModemPort port{comm};
    TPumpingView view{pump};
    std::unique_ptr<ModemMonitor> monitor;
    std::unique_ptr<TFarEnd> far = std::make_unique<TFarEnd>();
};

TEST_F(PtyReconnectTest, ALostPortIsReopenedThroughItsLinkAndPolledWithinTwoSecondsOfItsReturn) {
    monitor->EnterState(msInit);
    ASSERT_TRUE(Drive([&] { return monitor->CompletedCycles() >= 1; }, 10000));
    far->Unplug();
    ASSERT_TRUE(Drive([&] { return monitor->WaitingForPort(); }, 3000));
    EXPECT_EQ(view.CountLines(LostLine()), 1);
    EXPECT_EQ(view.panels[kPanelPort], "Waiting for " + link_ + " to return");
    EXPECT_EQ(view.portStates.back(), CommStateFailed);

    const auto back = Clock::now();
    Replug();
    ASSERT_TRUE(Drive([&] { return !monitor->WaitingForPort(); }, 2000));
    const auto reopened = Clock::now();
    ASSERT_TRUE(Drive([&] { return PollAnswered(); }, 2000))
        << "state " << monitor->State() << " step " << monitor->Step();
    const auto answered = Clock::now();
    const auto ms = [](Clock::duration d) {
        return static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
    };
    // The open retry's phase decides the first part; the second is the preparation.
    std::printf("return to first poll reply: %lld ms (reopened after %lld ms, then %lld ms)\n",
                ms(answered - back), ms(reopened - back), ms(answered - reopened));
    RecordProperty("ReturnToFirstPollReplyMs", static_cast<int>(ms(answered - back)));
    EXPECT_LT(answered - back, std::chrono::milliseconds(2000));
    EXPECT_TRUE(monitor->WorkStatus().LevelValid) << "the reply after the return is taken";
    EXPECT_EQ(view.CountLines(BackLine()), 1);
    EXPECT_EQ(view.CountLines(LostLine()), 1);
    EXPECT_EQ(view.panels[kPanelPort], link_);
    EXPECT_EQ(view.portStates.back(), CommStateConnected);
}

TEST_F(PtyReconnectTest, WithReconnectOffTheReturnedPortIsLeftAloneUntilItIsChosen) {
    monitor->ReconnectLostPort = false;
    monitor->EnterState(msInit);
    ASSERT_TRUE(Drive([&] { return monitor->CompletedCycles() >= 1; }, 10000));
    far->Unplug();
    ASSERT_TRUE(Drive([&] { return monitor->State() == msClose; }, 3000));
    Replug();
    EXPECT_FALSE(Drive([&] { return comm.IsOpen(); }, 2500));
    EXPECT_EQ(comm.GetState(), CommStateFailed);
    EXPECT_EQ(view.CountLines(LostLine()), 1);

    monitor->EnterState(msInit);
    ASSERT_TRUE(Drive([&] { return PollAnswered(); }, 5000));
}

TEST_F(PtyReconnectTest, AHundredUnplugsLeaveNoThreadDescriptorOrMessageBehind) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr int kRounds = 20; // the sanitizers run slower
#else
    constexpr int kRounds = 100;
#endif
    monitor->EnterState(msInit);
    ASSERT_TRUE(Drive([&] { return PollAnswered(); }, 10000, 5));
    const auto round = [&](int n) {
        far->Unplug();
        ASSERT_TRUE(Drive([&] { return monitor->WaitingForPort(); }, 3000, 5)) << "round " << n;
        Replug();
        clock.Skip(1000); // the retry is due now
        ASSERT_TRUE(Drive([&] { return BackAndPolling(); }, 3000, 5)) << "round " << n;
    };
    // One round first, so that lazily made process resources exist before counting.
    round(0);
    const std::size_t fds = OpenFileDescriptors();
    const std::size_t threads = ThreadCount();
    for (int n = 1; n <= kRounds && !HasFatalFailure(); ++n)
        round(n);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(OpenFileDescriptors(), fds);
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_EQ(view.CountLines(LostLine()), kRounds + 1);
    EXPECT_EQ(view.CountLines(BackLine()), kRounds + 1);

    monitor.reset();
    comm.Close();
    pump.PumpOnce();
    EXPECT_EQ(pump.Queue().Pending(), 0u);
}

} // namespace
} // namespace celdara::testing
