// TLyrComm32 on pseudo-terminal pairs: the component opens the slave, the test plays the
// far end on the master. Waits are bounded: the test pumps the queue until a condition
// holds or a deadline passes.
#include "SerialTestSupport.h"
#include "core/TickClock.h"
#include "serial/LyrComm32.h"
#include "serial/LyrComm32Threads.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace celdara {
namespace {

using testing::TCommRecorder;
using testing::TPtyPair;
using testing::TPumpedQueue;

struct PtyComm : ::testing::Test {
    TPtyPair pty;
    TPumpedQueue pump;
    TCommRecorder rec; // outlives the component, whose destructor still reports
    TLyrComm32 comm{nullptr, &pump.Queue()};

    void SetUp() override {
        ASSERT_TRUE(pty.Valid()) << "no pseudo-terminals on this system";
        comm.SetAutoReconnect(false);
        comm.SetCommPort(pty.SlavePath());
        rec.Attach(comm);
    }
    bool PumpUntilState(TCommState s, int timeoutMs = 5000) {
        return pump.PumpUntil([&] { return !rec.states.empty() && rec.states.back() == s; },
                              timeoutMs);
    }
    bool PumpUntilReceived(std::size_t n, int timeoutMs = 5000) {
        return pump.PumpUntil([&] { return rec.received.size() >= n; }, timeoutMs);
    }
};

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>('A' + (i * 7 + i / 251) % 26);
    return s;
}

TEST_F(PtyComm, BytesTravelBothWaysInOrder) {
    ASSERT_TRUE(comm.Open());
    ASSERT_TRUE(PumpUntilState(CommStateConnected));
    const std::string out1 = "AT+CSQ\r", out2 = Pattern(3000), out3 = "ATZ\r";
    EXPECT_TRUE(comm.SendData(out1.data(), static_cast<int>(out1.size())));
    EXPECT_TRUE(comm.SendData(out2.data(), static_cast<int>(out2.size())));
    EXPECT_TRUE(comm.SendData("", 0));
    EXPECT_TRUE(comm.SendData(out3.data(), static_cast<int>(out3.size())));
    const std::string all = out1 + out2 + out3;
    EXPECT_EQ(pty.ReadMaster(all.size()), all);
    EXPECT_EQ(pty.ReadAvailable(0), "") << "nothing beyond what was sent";

    const std::string in = "\r\n+CSQ: 17,99\r\n\r\nOK\r\n\x00\xff binary";
    ASSERT_TRUE(pty.WriteAll(in));
    ASSERT_TRUE(PumpUntilReceived(in.size()));
    EXPECT_EQ(rec.received, in) << "raw bytes: no CR/LF translation, no echo";
}

TEST_F(PtyComm, BurstArrivesInChunksOfAtMost2048) {
    ASSERT_TRUE(comm.Open());
    const std::string burst = Pattern(5000);
    ASSERT_TRUE(pty.WriteAll(burst));
    ASSERT_TRUE(PumpUntilReceived(burst.size()));
    EXPECT_EQ(rec.received, burst);
    EXPECT_GE(rec.chunks.size(), 3u);
    for (const std::string& c : rec.chunks)
        EXPECT_LE(c.size(), 2048u);
}

TEST_F(PtyComm, PauseCutsChunks) {
    ASSERT_TRUE(comm.Open());
    ASSERT_TRUE(pty.WriteAll("first"));
    ASSERT_TRUE(PumpUntilReceived(5));
    ASSERT_TRUE(pty.WriteAll("second"));
    ASSERT_TRUE(PumpUntilReceived(11));
    EXPECT_EQ(rec.chunks, (std::vector<std::string>{"first", "second"}));
}

TEST_F(PtyComm, ReceiveBufferCarriesATrailingZero) {
    bool zero = false;
    comm.SetOnReceiveData(
        TEventReceiveData::From([&](VTolmCommunicationComponent*, const void* b, std::uint16_t n) {
            zero = static_cast<const char*>(b)[n] == '\0';
            rec.received.append(static_cast<const char*>(b), n);
        }));
    ASSERT_TRUE(comm.Open());
    ASSERT_TRUE(pty.WriteAll("OK\r"));
    ASSERT_TRUE(PumpUntilReceived(3));
    EXPECT_TRUE(zero);
}

TEST_F(PtyComm, RxCharFiresUnlessSkippedAndDataStillArrives) {
    int rxChars = 0;
    comm.OnRxChar = TNotifyEvent::From([&](TObject*) { ++rxChars; });
    ASSERT_TRUE(comm.Open());
    ASSERT_TRUE(pty.WriteAll("a"));
    ASSERT_TRUE(pump.PumpUntil([&] { return rxChars == 1; }));

    comm.Options().SkipEvents = {lyceRXCHAR};
    ASSERT_TRUE(comm.Open());
    ASSERT_TRUE(pty.WriteAll("b"));
    ASSERT_TRUE(PumpUntilReceived(2));
    // Anything the reader posts after the data has been handled by now, or comes in the
    // next pump; the count must stay.
    pump.PumpOnce();
    EXPECT_EQ(rxChars, 1);
}

TEST_F(PtyComm, TxEmptyOnceTheFarEndTookTheBytes) {
    int empties = 0;
    comm.OnTxEmpty = TNotifyEvent::From([&](TObject*) { ++empties; });
    ASSERT_TRUE(comm.Open());
    ASSERT_TRUE(comm.SendData("AT\r", 3));
    ASSERT_EQ(pty.ReadMaster(3), "AT\r");
    ASSERT_TRUE(pump.PumpUntil([&] { return empties == 1; }));
}

TEST_F(PtyComm, LineChangesOnAPtyWithoutLinesKeepItOpen) {
    ASSERT_TRUE(comm.Open());
    comm.Signals().SetDTR(false);
    comm.Signals().SetRTS(true);
    EXPECT_TRUE(comm.IsOpen());
}

TEST_F(PtyComm, SettingsReadBackFromTheKernel) {
    comm.SetBaudRate(TBaudRate::_256000);
    comm.Signals().SetCTSHandshake(true);
    comm.Signals().SetXOnOffTransmit(true);
    comm.Signals().SetXOnOffReceive(true);
    comm.Chars().XOn = 0x11;
    comm.Chars().XOff = 0x13;
    ASSERT_TRUE(comm.Open());
    EXPECT_TRUE(comm.UpdateDCB()) << "8N1 at a rate without a B-constant is accepted";

    const int fd = ::open(pty.SlavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        GTEST_SKIP() << "the slave cannot be opened a second time here (TIOCEXCL)";
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    ::close(fd);
    EXPECT_TRUE(t.c_cflag & CRTSCTS) << "CRTSCTS belongs in c_cflag";
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_TRUE(t.c_iflag & IXOFF);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
}

TEST_F(PtyComm, FramingThePtyCannotDoIsNotAccepted) {
    ASSERT_TRUE(comm.Open());
    comm.SetDataBits(TDataBits::_7);
    comm.SetParity(TParity::Even);
    EXPECT_FALSE(comm.UpdateDCB()) << "a pty reads back 8N1";
    comm.SetDataBits(TDataBits::_4);
    EXPECT_FALSE(comm.UpdateDCB()) << "Linux has no 4 data bits";
    comm.SetDataBits(TDataBits::_8);
    comm.SetParity(TParity::None);
    comm.SetStopBits(TStopBits::_1_5);
    EXPECT_FALSE(comm.UpdateDCB()) << "nor 1.5 stop bits";
    comm.SetStopBits(TStopBits::_1);
    comm.Signals().SetDSRHandshake(true);
    EXPECT_FALSE(comm.UpdateDCB()) << "nor DSR flow control";
    comm.Signals().SetDSRHandshake(false);
    EXPECT_TRUE(comm.UpdateDCB());
    EXPECT_TRUE(comm.IsOpen());
}

TEST_F(PtyComm, RefusedControlBlockStillReadsRawBytes) {
    comm.SetDataBits(TDataBits::_4);
    ASSERT_TRUE(comm.Open());
    EXPECT_FALSE(comm.UpdateDCB());
    const std::string in = "a\rb\x03";
    ASSERT_TRUE(pty.WriteAll(in));
    ASSERT_TRUE(PumpUntilReceived(in.size()));
    EXPECT_EQ(rec.received, in) << "no line editing, no CR translation, no signal characters";
}

TEST_F(PtyComm, ConfigurationStringOfAClosedPortOpensItWithAutoReconnect) {
    comm.SetAutoReconnect(false);
    comm.SetConfigAsString(comm.GetConfigAsString());
    EXPECT_FALSE(comm.IsOpen());
    comm.SetAutoReconnect(true);
    EXPECT_TRUE(comm.IsOpen()) << "switching AutoReconnect on opens a named closed port";
    comm.Close();
    const std::string text = comm.GetConfigAsString();
    comm.SetConfigAsString(text);
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(comm.GetConfigAsString(), text);
}

TEST_F(PtyComm, StateIsReportedOncePerChange) {
    ASSERT_TRUE(comm.Open());
    ASSERT_TRUE(comm.Open());
    comm.PostStateChange(CommStateFirst);
    ASSERT_TRUE(PumpUntilState(CommStateConnected));
    comm.Close();
    comm.Close();
    ASSERT_TRUE(PumpUntilState(CommStateDisconnected));
    pump.PumpOnce();
    EXPECT_EQ(rec.states, (std::vector<TCommState>{CommStateDisconnected, CommStateConnected,
                                                   CommStateDisconnected}));
}

TEST_F(PtyComm, MissingPortReportsFailed) {
    comm.SetCommPort("/dev/celdara-no-such-port");
    EXPECT_FALSE(comm.Open());
    ASSERT_TRUE(PumpUntilState(CommStateFailed));
    EXPECT_EQ(comm.LastOpenError(), ENOENT);
    EXPECT_NE(comm.LastOpenErrorText().find("not there"), std::string::npos);
    comm.Close();
    ASSERT_TRUE(PumpUntilState(CommStateDisconnected));
}

TEST_F(PtyComm, PortHeldByAnotherProcessFailsToOpen) {
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only async-signal-safe calls here: close, open, flock, write, read, _exit.
        ::close(release[1]);
        ::close(ready[0]);
        const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const char ok = (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) ? '1' : '0';
        [[maybe_unused]] auto w = ::write(ready[1], &ok, 1);
        char c;
        [[maybe_unused]] auto r = ::read(release[0], &c, 1);
        _exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char ok = '0';
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');

    EXPECT_FALSE(comm.Open());
    EXPECT_EQ(comm.LastOpenError(), EBUSY);
    EXPECT_NE(comm.LastOpenErrorText().find("in use by another program"), std::string::npos);
    EXPECT_TRUE(PumpUntilState(CommStateFailed));

    ::close(release[1]);
    int status = 0;
    waitpid(child, &status, 0);
    ::close(ready[0]);
    EXPECT_TRUE(comm.Open()) << "free again once the other program let go";
}

TEST_F(PtyComm, SecondComponentCannotTakeAnOpenPort) {
    ASSERT_TRUE(comm.Open());
    TLyrComm32 other(nullptr, &pump.Queue());
    other.SetAutoReconnect(false);
    other.SetCommPort(pty.SlavePath());
    EXPECT_FALSE(other.Open());
    comm.Close();
    EXPECT_TRUE(other.Open());
}

TEST_F(PtyComm, ClosingDuringALargeWriteReturnsAndDropsTheRest) {
    ASSERT_TRUE(comm.Open());
    const std::string big = Pattern(1 << 20);
    // Nobody reads the master: the writer soon blocks on a full output queue.
    ASSERT_TRUE(comm.SendData(big.data(), static_cast<int>(big.size())));
    ASSERT_TRUE(comm.SendData(big.data(), static_cast<int>(big.size())));
    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_LT(pty.ReadAvailable(0).size(), big.size());
    EXPECT_FALSE(comm.SendData("x", 1));
}

TEST_F(PtyComm, QueuedReceivedBytesNeverReachTheHandlerAfterClose) {
    ASSERT_TRUE(comm.Open());
    ASSERT_TRUE(pty.WriteAll("late"));
    ASSERT_TRUE(pump.WaitUntil([&] {
        return pump.Queue().Pending(comm.MessageWindow(), WM_COMM_DATA) > 0;
    })) << "the data message must be queued but not handled";
    comm.Close();
    pump.PumpOnce();
    EXPECT_EQ(rec.received, "");
}

TEST_F(PtyComm, VanishedFarEndIsReportedFailed) {
    ASSERT_TRUE(comm.Open());
    ASSERT_TRUE(PumpUntilState(CommStateConnected));
    EXPECT_EQ(comm.LostError(), 0);
    pty.CloseMaster();
    ASSERT_TRUE(PumpUntilState(CommStateFailed, 5000));
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.GetState(), CommStateFailed);
    // Why, for the words of the one who waits for the port to return.
    EXPECT_EQ(comm.LostError(), EIO);
    EXPECT_EQ(comm.LostErrorText(), "Input/output error");
    // A new attempt starts without it; an orderly close is no loss either.
    EXPECT_FALSE(comm.Open());
    EXPECT_EQ(comm.LostError(), 0);
    EXPECT_EQ(comm.LostErrorText(), "");
}

TEST_F(PtyComm, VanishedFarEndFoundByTheModemStatusPoll) {
    TManualTickClock clock(100);
    TLyrComm32 polled(nullptr, &pump.Queue(), &clock);
    polled.SetAutoReconnect(false);
    polled.SetCommPort(pty.SlavePath());
    ASSERT_TRUE(polled.Open());
    clock.Advance(11);
    EXPECT_EQ(polled.PollModemStatus(), 0u) << "a pty reads as having no lines";
    EXPECT_TRUE(polled.IsOpen());
    pty.CloseMaster();
    clock.Advance(11);
    polled.PollModemStatus();
    EXPECT_EQ(polled.GetState(), CommStateFailed);
    EXPECT_NE(polled.LostError(), 0);
}

TEST_F(PtyComm, NoThreadOrDescriptorLeftAfter200Cycles) {
    // One cycle first, so that lazily made process resources exist before counting.
    ASSERT_TRUE(comm.Open());
    comm.Close();
    pump.PumpOnce();
    const std::size_t fds = testing::OpenFileDescriptors();
    const std::size_t threads = testing::ThreadCount();
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(comm.Open()) << "cycle " << i;
        if (i % 20 == 0) {
            ASSERT_TRUE(comm.SendData("ping", 4));
            ASSERT_EQ(pty.ReadMaster(4), "ping");
        }
        comm.Close();
        pump.PumpOnce();
    }
    EXPECT_EQ(testing::OpenFileDescriptors(), fds);
    EXPECT_EQ(testing::ThreadCount(), threads);
}

TEST_F(PtyComm, OriginalSettingsAreRestoredOnClose) {
    const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(fd, &before), 0);
    ASSERT_TRUE(before.c_lflag & ICANON) << "a fresh pty starts in canonical mode";
    ::close(fd);
    ASSERT_TRUE(comm.Open());
    comm.Close();
    const int again = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(again, 0);
    termios after{};
    ASSERT_EQ(tcgetattr(again, &after), 0);
    ::close(again);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}

} // namespace
} // namespace celdara
