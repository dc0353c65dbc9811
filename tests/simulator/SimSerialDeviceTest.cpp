#include "simulator/SimSerialDevice.h"

#include "core/TickClock.h"
#include "modem/ModemStatus.h"
#include "modem/ReplyParsers.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>

namespace celdara {
namespace {

class SimSerialDeviceTest : public ::testing::Test {
protected:
    // Reads what the modem has sent by the clock's time, advancing it in small steps.
    std::string ReadFor(TSerialDevice& device, Tick ms) {
        std::string got;
        char buffer[512];
        for (Tick t = 0; t < ms; t += 5) {
            clock.Advance(5);
            int error = 0;
            long n;
            while ((n = device.Read(buffer, sizeof buffer, error)) > 0)
                got.append(buffer, static_cast<std::size_t>(n));
            if (n < 0)
                break;
        }
        return got;
    }
    void Send(TSerialDevice& device, const std::string& text) {
        int error = 0;
        ASSERT_EQ(device.Write(text.data(), text.size(), error), static_cast<long>(text.size()));
    }

    TManualTickClock clock{1000};
    TSimSerialDeviceProvider provider{clock};
};

TEST_F(SimSerialDeviceTest, ListsTheModemsAndOwnsOnlyTheirNames) {
    std::vector<TSerialDeviceEntry> list;
    provider.ListDevices(list);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].PortName, "virtual-modem");
    EXPECT_EQ(list[1].PortName, "virtual-modem-faulty");
    EXPECT_EQ(list[2].PortName, "virtual-lte-modem");
    for (const TSerialDeviceEntry& entry : list)
        EXPECT_TRUE(provider.OwnsPort(entry.PortName)) << entry.PortName;
    EXPECT_FALSE(provider.OwnsPort("ttyUSB0"));
    int error = 0;
    EXPECT_EQ(provider.OpenDevice("ttyUSB0", error), nullptr);
    EXPECT_EQ(error, ENOENT);
}

TEST_F(SimSerialDeviceTest, AnswersTheProgramsDialogue) {
    int error = 0;
    auto device = provider.OpenDevice("virtual-modem", error);
    ASSERT_NE(device, nullptr);
    Send(*device, "ATE0+COPS=0\r");
    EXPECT_NE(ReadFor(*device, 3000).find("OK"), std::string::npos);
    Send(*device, "AT+CSQ\r");
    std::string reply = ReadFor(*device, 200);
    TModemStatus status;
    ParseSignalQuality(reply.substr(reply.find("+CSQ:")), status);
    EXPECT_TRUE(status.LevelValid) << reply;
    std::uint32_t lines = 0;
    EXPECT_EQ(device->GetModemStatus(lines), 0);
    EXPECT_EQ(lines & 0x30u, 0x30u); // CTS and DSR
}

TEST_F(SimSerialDeviceTest, IsOpenedByOneProgramAtATimeAndKeepsItsStateBetweenOpens) {
    int error = 0;
    auto first = provider.OpenDevice("virtual-modem", error);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(provider.OpenDevice("virtual-modem", error), nullptr);
    EXPECT_EQ(error, EBUSY);
    Send(*first, "ATE0\r");
    ReadFor(*first, 100);
    first.reset();

    auto second = provider.OpenDevice("virtual-modem", error);
    ASSERT_NE(second, nullptr);
    Send(*second, "AT\r");
    const std::string reply = ReadFor(*second, 100);
    EXPECT_EQ(reply.find("AT\r"), std::string::npos) << "echo came back on: " << reply;
}

TEST_F(SimSerialDeviceTest, AVanishedModemIsGoneForItsOpenDevice) {
    int error = 0;
    auto device = provider.OpenDevice("virtual-modem", error);
    ASSERT_NE(device, nullptr);
    TSimFaults faults;
    faults.Vanished = true;
    provider.Modem("virtual-modem")->SetFaults(faults, clock.Now());
    char buffer[16];
    EXPECT_EQ(device->Read(buffer, sizeof buffer, error), -1);
    EXPECT_EQ(error, EIO);
    std::uint32_t lines = 0;
    EXPECT_EQ(device->GetModemStatus(lines), EIO);
    TStopSignal stop;
    EXPECT_EQ(device->Wait(stop, false, 10), TDeviceWait::Gone);
    device.reset();
    EXPECT_EQ(provider.OpenDevice("virtual-modem", error), nullptr);
    EXPECT_EQ(error, ENOENT);
}

TEST_F(SimSerialDeviceTest, AWaitEndsByTheStopSignal) {
    int error = 0;
    auto device = provider.OpenDevice("virtual-modem", error);
    ASSERT_NE(device, nullptr);
    TStopSignal stop;
    stop.Set();
    EXPECT_EQ(device->Wait(stop, false, -1), TDeviceWait::Stopped);
}

} // namespace
} // namespace celdara
