#include "core/FakeLink.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace celdara {
namespace {

using testing::TFakeLink;

struct Received {
    std::string who;
    TObject* channel;
    const void* buffer;
    std::uint16_t length;
};

TEST(CommunicationContract, MainChannelIsNilByDefault) {
    TFakeLink link(nullptr);
    EXPECT_TRUE(link.TreatMainChannelAsNil);
    std::vector<Received> got;
    link.SetOnAdvancedReceiveData(TAdvancedEventReceiveData::From(
        [&](VTolmCommunicationComponent*, TObject* ch, const void* b, std::uint16_t n) {
            got.push_back({"advanced", ch, b, n});
        }));
    link.Receive("OK\r");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].channel, nullptr);

    EXPECT_TRUE(link.AdvancedSendData(nullptr, "AT\r", 3));
    EXPECT_FALSE(link.AdvancedSendData(&link, "AT\r", 3));
    EXPECT_EQ(link.sent, "AT\r");
}

TEST(CommunicationContract, MainChannelIsTheLinkItselfWhenNotNil) {
    TFakeLink link(nullptr);
    link.TreatMainChannelAsNil = false;
    TObject* channel = nullptr;
    link.SetOnAdvancedReceiveData(
        TAdvancedEventReceiveData::From([&](VTolmCommunicationComponent*, TObject* ch, const void*,
                                            std::uint16_t) { channel = ch; }));
    link.Receive("x");
    EXPECT_EQ(channel, &link);
    EXPECT_FALSE(link.AdvancedSendData(nullptr, "A", 1));
    EXPECT_TRUE(link.AdvancedSendData(&link, "B", 1));
    TFakeLink other(nullptr);
    EXPECT_FALSE(link.AdvancedSendData(&other, "C", 1));
    EXPECT_EQ(link.sent, "B");
}

TEST(CommunicationContract, PlainReceiveHandlerRunsBeforeAdvancedWithTheSameChunk) {
    TFakeLink link(nullptr);
    std::vector<Received> got;
    link.SetOnReceiveData(TEventReceiveData::From(
        [&](VTolmCommunicationComponent* s, const void* b, std::uint16_t n) {
            EXPECT_EQ(s, &link);
            got.push_back({"plain", nullptr, b, n});
        }));
    link.SetOnAdvancedReceiveData(TAdvancedEventReceiveData::From(
        [&](VTolmCommunicationComponent*, TObject*, const void* b, std::uint16_t n) {
            got.push_back({"advanced", nullptr, b, n});
        }));
    const std::string chunk = "+CSQ: 20,99\r\n";
    link.DoReceiveData(chunk.data(), static_cast<std::uint16_t>(chunk.size()));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].who, "plain");
    EXPECT_EQ(got[1].who, "advanced");
    for (const Received& r : got) {
        EXPECT_EQ(r.buffer, chunk.data());
        EXPECT_EQ(r.length, chunk.size());
    }
}

TEST(CommunicationContract, ChunkAfterHandlersWereClearedReachesNobody) {
    TFakeLink link(nullptr);
    int calls = 0;
    link.SetOnReceiveData(TEventReceiveData::From(
        [&](VTolmCommunicationComponent*, const void*, std::uint16_t) { ++calls; }));
    link.Receive("seen");
    link.SetOnReceiveData({});
    link.Receive("dropped");
    EXPECT_EQ(calls, 1);
}

TEST(CommunicationContract, StateEventsComePlainFirstThenAdvancedWithTheLinkAsChannel) {
    TFakeLink link(nullptr); // TreatMainChannelAsNil does not matter here
    std::vector<std::string> order;
    TObject* advancedChannel = nullptr;
    link.SetOnStateChange(TEventChangeState::From([&](TObject* sender, TCommState state) {
        EXPECT_EQ(sender, &link);
        order.push_back("plain " + std::to_string(state));
    }));
    link.SetOnAdvancedStateChange(TAdvancedEventChangeState::From(
        [&](VTolmCommunicationComponent*, TObject* ch, TCommState state) {
            advancedChannel = ch;
            order.push_back("advanced " + std::to_string(state));
        }));
    link.Open();
    link.Close();
    EXPECT_EQ(order, (std::vector<std::string>{"plain 2", "advanced 2", "plain 1", "advanced 1"}));
    EXPECT_EQ(advancedChannel, &link);
    EXPECT_LT(CommStateFailed, CommStateDisconnected);
    EXPECT_LT(CommStateConnected, CommStateFirst);
}

TEST(CommunicationContract, ConfigDialogOfTheBaseShowsNothingAndSucceeds) {
    TFakeLink link(nullptr);
    EXPECT_TRUE(link.ShowConfigDialog(true));
    EXPECT_TRUE(link.ShowConfigDialog(false));
}

TEST(CommunicationContract, ReleaseDestroysTheLinkAndTellsItsOwner) {
    TComponent owner(nullptr);
    auto* link = new TFakeLink(&owner);
    ASSERT_EQ(owner.ComponentCount(), 1);
    link->Release();
    EXPECT_EQ(owner.ComponentCount(), 0);
}

// The diagnostic sink is process-wide: the tests that read it collect under a lock.
std::mutex logMutex;
std::vector<std::string> logLines;
void CollectLine(std::string_view line) {
    std::lock_guard lock(logMutex);
    logLines.emplace_back(line);
}

class LastErrorLog : public ::testing::Test {
protected:
    void SetUp() override {
        logLines.clear();
        VTolmCommunicationComponent::SetDebugLogSink(&CollectLine);
    }
    void TearDown() override { VTolmCommunicationComponent::SetDebugLogSink(nullptr); }
};

TEST_F(LastErrorLog, LineWithoutPrefixBeginsWithTheFixedText) {
    VTolmCommunicationComponent::LogLastError(ENOENT);
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0], "GetLastError returned: \"No such file or directory\"");
}

TEST_F(LastErrorLog, PrefixComesFirst) {
    VTolmCommunicationComponent::LogLastError(EACCES, "Open: ");
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0], "Open: GetLastError returned: \"Permission denied\"");
}

TEST_F(LastErrorLog, LongLinesAreCutTo4095Characters) {
    const std::string prefix(5000, 'p');
    VTolmCommunicationComponent::LogLastError(EIO, prefix);
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0], std::string(4095, 'p'));
}

TEST_F(LastErrorLog, DebugLogWithoutSinkDiscards) {
    VTolmCommunicationComponent::SetDebugLogSink(nullptr);
    VTolmCommunicationComponent::DebugLog("nobody hears this");
    EXPECT_TRUE(logLines.empty());
}

TEST(FormatLastError, GivesTheSystemTextOrTheCodeInHex) {
    EXPECT_EQ(VTolmCommunicationComponent::FormatLastError(EBUSY).value_or(""),
              "Device or resource busy");
    EXPECT_EQ(VTolmCommunicationComponent::FormatLastError(123456).value_or(""), "Error 0001E240");
}

} // namespace
} // namespace celdara
