// The modem as a serial device sees it: reads of any size, purge, vanishing, and use from
// several threads at once.
#include "simulator/SimModemPort.h"

#include "SimHarness.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace celdara::test {
namespace {

std::string ReadAll(TSimModemPort& port, Tick now, std::size_t chunk) {
    std::string got;
    std::string buffer(chunk, '\0');
    for (long n; (n = port.Read(buffer.data(), chunk, now)) > 0;)
        got.append(buffer.data(), static_cast<std::size_t>(n));
    return got;
}

TEST(SimModemPortTest, ShortReadsTakeAReplyPieceByPieceInOrder) {
    TSimModemPort port(QuietOptions(), 0);
    ASSERT_TRUE(port.Write("ATI\r", 0));
    EXPECT_EQ(ReadAll(port, 100, 3),
              "ATI\r\r\nCeldara\r\nVirtual GSM modem\r\nREVISION 1.0\r\n\r\nOK\r\n");
    EXPECT_EQ(ReadAll(port, 200, 3), "");
}

TEST(SimModemPortTest, PurgeDropsWhatArrivedButNotWhatIsOnItsWay) {
    TSimModemOptions o = QuietOptions();
    o.ReplyLatency = 50;
    TSimModemPort port(o, 0);
    port.Write("AT\r", 0);
    EXPECT_TRUE(port.Readable(10));
    port.PurgeInput(10); // the echo has arrived, the OK has not
    EXPECT_FALSE(port.Readable(10));
    EXPECT_EQ(port.TimeToNextEvent(10), 40u);
    EXPECT_TRUE(port.Readable(50));
    EXPECT_EQ(ReadAll(port, 100, 64), "\r\nOK\r\n");
}

TEST(SimModemPortTest, VanishedDeviceFailsEveryCallUntilReplugged) {
    TSimModemPort port(QuietOptions(), 0);
    EXPECT_EQ(port.ModemStatus(0), kSimLineCts | kSimLineDsr);
    port.Write("AT\r", 0);
    TSimFaults gone;
    gone.Vanished = true;
    port.SetFaults(gone, 1);
    char c;
    EXPECT_TRUE(port.Vanished(100));
    EXPECT_EQ(port.Read(&c, 1, 100), -1) << "the reply on its way is lost";
    EXPECT_FALSE(port.Write("AT\r", 100));
    EXPECT_EQ(port.ModemStatus(100), 0u);
    EXPECT_EQ(port.Replugs(100), 0u);
    port.SetFaults({}, 200);
    EXPECT_FALSE(port.Vanished(200));
    EXPECT_EQ(port.Replugs(200), 1u);
    EXPECT_EQ(port.Read(&c, 1, 300), 0);
    port.Write("AT\r", 300);
    EXPECT_EQ(ReadAll(port, 400, 64), "AT\r\r\nOK\r\n");
}

TEST(SimModemPortTest, RingLineShowsInTheModemStatusWhileACallRings) {
    TSimModemPort port(QuietOptions(), 0);
    EXPECT_EQ(port.ModemStatus(0) & kSimLineRing, 0u);
    port.Locked([](TSimModem& m) { m.Network().StartIncomingCall(false); });
    EXPECT_EQ(port.ModemStatus(10) & kSimLineRing, kSimLineRing);
    EXPECT_NE(ReadAll(port, 1100, 64).find("RING"), std::string::npos);
    port.Write("ATA\r", 1100);
    EXPECT_NE(ReadAll(port, 4000, 64).find("OK"), std::string::npos);
    EXPECT_EQ(port.ModemStatus(4000) & kSimLineRing, 0u);
}

TEST(SimModemPortTest, ReaderAndWriterThreadsLoseNothing) {
    TSimModemOptions o = QuietOptions();
    o.Echo = false;
    TSimModemPort port(o, 0);
    std::atomic<Tick> clock{0};
    constexpr int kCommands = 300;
    std::thread writer([&] {
        for (int i = 0; i < kCommands; ++i)
            port.Write("AT+CPAS\r", clock.load());
    });
    std::string got;
    char buffer[37];
    std::size_t oks = 0;
    for (int spin = 0; spin < 2000000 && oks < kCommands; ++spin) {
        Tick now = clock.fetch_add(1) + 1;
        long n = port.Read(buffer, sizeof buffer, now);
        if (n > 0) {
            got.append(buffer, static_cast<std::size_t>(n));
            oks = 0;
            for (std::size_t p = got.find("OK\r\n"); p != std::string::npos;
                 p = got.find("OK\r\n", p + 1))
                ++oks;
        }
    }
    writer.join();
    EXPECT_EQ(oks, static_cast<std::size_t>(kCommands));
    // Every reply whole and none mixed into another; a call may ring meanwhile.
    for (std::size_t p; (p = got.find("\r\nRING\r\n")) != std::string::npos;)
        got.erase(p, 8);
    std::string expected;
    for (std::size_t p = 0; p < got.size(); p += 18) {
        std::string one = got.substr(p, 18);
        EXPECT_EQ(one.substr(0, 9), "\r\n+CPAS: ");
        EXPECT_EQ(one.substr(10), "\r\n\r\nOK\r\n");
    }
    EXPECT_EQ(got.size(), 18u * kCommands);
}

TEST(SimModemPortTest, FloodWhileBusyIsCutLikeAnOverrun) {
    SimHarness h;
    h.Command("ATE0\r");
    h.Send("AT+COPS=1,2,\"23002\"\r");
    std::string flood;
    for (int i = 0; i < 20000; ++i)
        flood += "AT\r";
    h.Send(flood);
    h.Run(20000);
    std::vector<std::string> lines = h.TakeLines();
    int oks = Count(lines, "OK");
    EXPECT_GT(oks, 1000);
    EXPECT_LT(oks, 1500) << "only what fits the modem's input buffer is answered";
}

// Random bytes at random times never crash or wedge the modem: afterwards it answers.
TEST(SimModemPortTest, RandomInputLeavesAModemThatStillAnswers) {
    const std::string alphabet = "AT+^=?;,\"0123456789CSQOPMNIEGR\r\b \r";
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        SimHarness h(QuietOptions(seed));
        TSimRandom rng(seed * 7919);
        for (int burst = 0; burst < 2000; ++burst) {
            std::string bytes;
            int length = rng.Range(1, 40);
            for (int i = 0; i < length; ++i) {
                bytes += rng.Chance(50) ? static_cast<char>(rng.Range(0, 255))
                                        : alphabet[static_cast<std::size_t>(
                                              rng.Range(0, static_cast<int>(alphabet.size()) - 1))];
            }
            h.Send(bytes);
            h.Run(static_cast<Tick>(rng.Range(0, 300)));
        }
        h.Run(20000); // let any search, call or data connection end
        h.TakeLines();
        h.Send("\rATZ\r");
        h.Run(12000);
        std::vector<std::string> lines = h.TakeLines();
        SCOPED_TRACE("seed " + std::to_string(seed));
        // RINGs of a new call may come too.
        EXPECT_NE(std::find(lines.begin(), lines.end(), "OK"), lines.end());
    }
}

} // namespace
} // namespace celdara::test
