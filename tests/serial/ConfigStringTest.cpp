// The configuration string written and read back: every setting, for every port name,
// whatever quotes and commas the name holds.
#include "SerialTestSupport.h"
#include "serial/LyrComm32.h"

#include <gtest/gtest.h>
#include <random>

namespace celdara {
namespace {

using testing::TPumpedQueue;

struct ConfigString : ::testing::Test {
    TPumpedQueue pump;
    TManualTickClock clock{1000};
    std::unique_ptr<TLyrComm32> Comm() {
        auto comm = std::make_unique<TLyrComm32>(nullptr, &pump.Queue(), &clock);
        comm->SetAutoReconnect(false);
        return comm;
    }
};

TEST_F(ConfigString, QuotesInThePortNameAreDoubledAndReadBackWhole) {
    struct Case {
        const char* port;
        const char* field;
    };
    const Case cases[] = {
        {"\"", R"("""")"},
        {R"(x","460800","5)", R"("x"",""460800"",""5")"},
        {"a,b", R"("a,b")"},
        {R"(say "hi")", R"("say ""hi""")"},
    };
    for (const Case& c : cases) {
        auto source = Comm();
        source->SetCommPort(c.port);
        const std::string text = source->GetConfigAsString();
        EXPECT_EQ(text.rfind(std::string(c.field) + ",\"19200\",", 0), 0u) << text;
        auto target = Comm();
        target->SetConfigAsString(text);
        EXPECT_EQ(target->CommPort(), c.port) << text;
        EXPECT_EQ(target->BaudRate(), TBaudRate::__19200) << text;
        EXPECT_EQ(target->DataBits(), TDataBits::_8) << text;
    }
}

// Random settings, and port names drawn mostly from the characters the token grammar gives
// a meaning to.
TEST_F(ConfigString, RandomSettingsSurviveTheRoundTripExactly) {
    std::mt19937 random(20261209);
    const std::string alphabet = "\"\",,'#()* \tabcXYZ019/\\_-.:\xE9\x7F";
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 3000; ++round) {
        std::string port;
        for (int i = 1 + pick(12); i > 0; --i)
            port += alphabet[static_cast<std::size_t>(pick(static_cast<int>(alphabet.size())))];
        // "" and "*" are the string's own words for "keep the port as it is".
        if (port == "*")
            continue;
        auto source = Comm();
        source->SetCommPort(port);
        source->SetBaudRate(static_cast<TBaudRate>(pick(kBaudRateCount)));
        source->SetDataBits(static_cast<TDataBits>(pick(5)));
        source->SetStopBits(static_cast<TStopBits>(pick(3)));
        source->SetParity(static_cast<TParity>(pick(5)));
        source->Signals().SetDTRControl(static_cast<VTolmSignalControl_DTR>(pick(3)));
        source->Signals().SetDTR(pick(2) == 1);
        source->Signals().SetRTSControl(static_cast<VTolmSignalControl_RTS>(pick(4)));
        source->Signals().SetRTS(pick(2) == 1);
        for (int i = 0; i < 5; ++i)
            source->Timeouts().SetTimeout(i, static_cast<std::uint32_t>(random() % 0x80000000u));
        const std::string text = source->GetConfigAsString();

        auto target = Comm();
        target->SetCommPort("ttyOTHER");
        target->SetConfigAsString(text);
        ASSERT_EQ(target->CommPort(), port) << text;
        ASSERT_EQ(target->GetConfigAsString(), text);
        EXPECT_EQ(target->BaudRate(), source->BaudRate());
        EXPECT_EQ(target->Parity(), source->Parity());
        EXPECT_EQ(target->Signals().RTSControl(), source->Signals().RTSControl());
    }
}

} // namespace
} // namespace celdara
