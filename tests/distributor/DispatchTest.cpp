#include "distributor/DistributorFixture.h"

#include <stdexcept>

namespace celdara::testing {
namespace {

using Dispatch = DistributorTest;

TEST_F(Dispatch, OkCrLfDeliversTheLineAndKeepsTheLineFeedForTheNextReply) {
    top->SetOnComRecvDecode(LineDecoder());
    Watch(top.get(), "top");
    link->Receive("OK\r\n");
    EXPECT_EQ(TakeLog(), (Lines{"top transfer OK<CR> by distTop", "top poll OK<CR>",
                                "top transfer <LF> by nil failed"}));
    EXPECT_EQ(*top->GetComBuffer(0), "\n");

    link->Receive("+CSQ: 20,99\r\n");
    EXPECT_EQ(TakeLog(),
              (Lines{"top transfer +CSQ: 20,99<CR> by distTop", "top poll <LF>+CSQ: 20,99<CR>",
                     "top transfer <LF> by nil failed"}));
}

TEST_F(Dispatch, TwoLinesInOneChunkComeInOrderInOneDispatch) {
    top->DoTimerAfterData = false;
    top->SetOnComRecvDecode(LineDecoder());
    Watch(top.get(), "top");
    link->Receive("+CREG: 0,1\r+CPAS: 0\r");
    EXPECT_EQ(TakeLog(), (Lines{"top transfer +CREG: 0,1<CR> by distTop", "top poll +CREG: 0,1<CR>",
                                "top transfer +CPAS: 0<CR> by distTop", "top poll +CPAS: 0<CR>"}));
    EXPECT_TRUE(top->GetComBuffer(0)->empty());
}

TEST_F(Dispatch, PartialLineIsShownOnceAndDeliveredWholeWhenComplete) {
    top->SetOnComRecvDecode(LineDecoder());
    Watch(top.get(), "top");
    link->Receive("+CS");
    EXPECT_EQ(TakeLog(), (Lines{"top transfer +CS by nil failed"}));
    timer->Fire(); // a tick finds nothing new to show
    EXPECT_TRUE(TakeLog().empty());
    link->Receive("Q: 7,99\r");
    EXPECT_EQ(TakeLog(), (Lines{"top transfer Q: 7,99<CR> by distTop", "top poll +CSQ: 7,99<CR>"}));
}

TEST_F(Dispatch, BytesArrivingInsideAPollHandlerAreDeliveredByAnotherPass) {
    top->SetOnComRecvDecode(LineDecoder());
    Watch(top.get(), "top");
    top->SetOnComRecvPoll(TDistributorDataProc::From([&](VTolmGeneralDistributor*, Tick&,
                                                         const std::string& data, bool&) {
        log.push_back("poll " + Visible(data) + " depth " + std::to_string(top->DispatchDepth()));
        if (data == "first\r")
            link->Receive("second\r"); // with DoTimerAfterData: a nested tick as well
    }));
    link->Receive("first\r");
    EXPECT_EQ(TakeLog(), (Lines{"top transfer first<CR> by distTop", "poll first<CR> depth 1",
                                "top transfer second<CR> by distTop", "poll second<CR> depth 1"}));
    EXPECT_FALSE(top->TopRecord(0).Busy);
    EXPECT_EQ(top->DispatchDepth(), 0u);
}

TEST_F(Dispatch, ClaimLongerThanTheBufferIsCutToTheBuffer) {
    top->SetOnComRecvDecode(TDistributorPollProc::From([](VTolmGeneralDistributor* d, Tick&) {
        d->SetComLength(0, 100);
        d->SetComFailed(0, false);
    }));
    Watch(top.get(), "top");
    link->Receive("abc");
    EXPECT_EQ(TakeLog(), (Lines{"top transfer abc by distTop", "top poll abc"}));
    EXPECT_TRUE(top->GetComBuffer(0)->empty());
}

TEST_F(Dispatch, FailedClaimIsDeliveredWithProcessedAlreadySet) {
    top->SetOnComRecvDecode(TDistributorPollProc::From([](VTolmGeneralDistributor* d, Tick&) {
        d->SetComLength(0, 2); // Failed stays True from the reset
    }));
    Watch(top.get(), "top");
    link->Receive("xy");
    EXPECT_EQ(TakeLog(), (Lines{"top transfer xy by distTop failed", "top poll xy processed"}));
}

TEST_F(Dispatch, CharacterEventsSeeEachNewCharacterOnce) {
    std::string chars;
    top->SetOnComRecvDecode(LineDecoder());
    top->SetOnComRecvCharPoll(
        TDistributorCharProc::From([&](VTolmGeneralDistributor*, Tick&, char c) { chars += c; }));
    link->Receive("AT");
    link->Receive("\rOK");
    EXPECT_EQ(chars, "AT\rOK");
}

TEST_F(Dispatch, SendWithoutABoundComponentStillReachesTheSendListeners) {
    VTolmTopDistributor lone(nullptr, &clock);
    lone.SetName("lone");
    Watch(&lone, "send", 1);
    lone.SendComData("AT\r");
    EXPECT_EQ(TakeLog(), (Lines{"send transfer AT<CR> by nil failed"}));
}

TEST_F(Dispatch, SendGoesToTheLinkAndToTheSendSide) {
    Watch(top.get(), "send", 1);
    Tick t = clock.Now();
    top->SendComData(t, "AT+CSQ\r");
    EXPECT_EQ(link->sent, "AT+CSQ\r");
    EXPECT_EQ(TakeLog(), (Lines{"send transfer AT+CSQ<CR> by nil failed"}));
}

// Nothing can ever claim a side that has no decoder anywhere in the chain: once its
// listeners have seen the characters they leave the buffer, whatever the traffic.
TEST_F(Dispatch, AMillionPollCommandsLeaveTheUndecodedSendSideEmpty) {
    const std::string poll = "AT+CSQ;+COPS=3,0;+COPS?;+COPS=3,2;+COPS?;+CREG?;+CPAS\r";
    link->keepSent = false;
    std::uint64_t shown = 0;
    top->SetOnComSendTransfer(TDistributorTransferProc::From(
        [&](VTolmGeneralDistributor*, Tick, const std::string& data, VTolmGeneralDistributor*,
            bool) { shown += data.size(); }));
    std::size_t largest = 0;
    constexpr int kCommands = 1'000'000;
    for (int i = 0; i < kCommands; ++i) {
        top->SendComData(poll);
        largest = std::max(largest, top->GetComBuffer(1)->size());
    }
    EXPECT_EQ(largest, 0u);
    EXPECT_EQ(link->sentBytes, std::uint64_t{kCommands} * poll.size());
    EXPECT_EQ(shown, link->sentBytes);
}

TEST_F(Dispatch, SideWithADecoderKeepsWhatNobodyClaimedYet) {
    top->SetOnComRecvDecode(LineDecoder());
    top->SetOnComSendDecode(TDistributorPollProc::From([](VTolmGeneralDistributor*, Tick&) {}));
    link->Receive("no terminator yet");
    top->SendComData("AT");
    EXPECT_EQ(*top->GetComBuffer(0), "no terminator yet");
    EXPECT_EQ(*top->GetComBuffer(1), "AT");
}

TEST_F(Dispatch, ReceiveSideWithoutAnyDecoderIsShownThenDropped) {
    Watch(top.get(), "top");
    link->Receive("noise");
    EXPECT_EQ(TakeLog(), (Lines{"top transfer noise by nil failed"}));
    EXPECT_TRUE(top->GetComBuffer(0)->empty());
}

TEST_F(Dispatch, TimerDisabledStillDispatchesArrivalsAndRunsTimedNotifications) {
    top->TimerEnabled = false;
    top->DoTimerAfterData = false;
    int polls = 0, timeouts = 0, notes = 0;
    top->OnTimerPoll =
        TDistributorPollProc::From([&](VTolmGeneralDistributor*, Tick&) { ++polls; });
    top->OnTimeout =
        TDistributorPollProc::From([&](VTolmGeneralDistributor*, Tick&) { ++timeouts; });
    top->SetTimeout(0);
    top->SetTimerEvent(0, true, TNotifyEvent::From([&](TObject*) { ++notes; }));
    top->SetOnComRecvDecode(LineDecoder());
    Watch(top.get(), "top");
    link->Receive("OK\r");
    EXPECT_EQ(TakeLog(), (Lines{"top transfer OK<CR> by distTop", "top poll OK<CR>"}));

    // Data left behind by a decoder that had nothing to say is not picked up by ticks.
    top->SetOnComRecvDecode(TDistributorPollProc::From([](VTolmGeneralDistributor*, Tick&) {}));
    top->SetOnComRecvTransfer({});
    link->Receive("late\r");
    top->SetOnComRecvDecode(LineDecoder());
    clock.Advance(10);
    timer->Fire();
    clock.Advance(10);
    timer->Fire();
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(*top->GetComBuffer(0), "late\r");
    EXPECT_EQ(polls, 0);
    EXPECT_EQ(timeouts, 0);
    EXPECT_EQ(notes, 2);
}

TEST_F(Dispatch, TickWithoutSenderDispatchesLikeATimerTick) {
    top->DoTimerAfterData = false;
    Watch(top.get(), "top");
    top->SetOnComRecvTransfer({});
    top->SetOnComRecvDecode(TDistributorPollProc::From([](VTolmGeneralDistributor*, Tick&) {}));
    link->Receive("OK\r"); // the decoder claims nothing yet
    top->SetOnComRecvDecode(LineDecoder());
    top->DoTimer(nullptr);
    EXPECT_EQ(TakeLog(), (Lines{"top poll OK<CR>"}));
}

TEST_F(Dispatch, ExceptionFromAPollHandlerLeavesTheSideReadyAndNoStaleClaim) {
    top->DoTimerAfterData = false;
    top->SetOnComRecvDecode(LineDecoder());
    bool fail = true;
    std::vector<std::string> polled;
    top->SetOnComRecvPoll(TDistributorDataProc::From(
        [&](VTolmGeneralDistributor*, Tick&, const std::string& data, bool&) {
            polled.push_back(Visible(data));
            if (fail)
                throw std::runtime_error("handler failed");
        }));
    EXPECT_THROW(link->Receive("ABCDEF\rG"), std::runtime_error);
    EXPECT_FALSE(top->TopRecord(0).Busy);
    EXPECT_EQ(top->DispatchDepth(), 0u);
    EXPECT_EQ(top->GetComLength(0), 0);
    fail = false;
    link->Receive("H\rIJKLMN\r");
    EXPECT_EQ(polled, (Lines{"ABCDEF<CR>", "GH<CR>", "IJKLMN<CR>"}));
}

TEST_F(Dispatch, ResetOfTheMainChannelInsideItsDispatchLeavesItIdle) {
    top->SetOnComRecvDecode(LineDecoder());
    std::vector<std::string> polled;
    top->SetOnComRecvPoll(TDistributorDataProc::From(
        [&](VTolmGeneralDistributor*, Tick&, const std::string& data, bool&) {
            polled.push_back(Visible(data));
            if (data == "NO CARRIER\r")
                top->DeleteChannel(nullptr);
        }));
    link->Receive("NO CARRIER\rstale\r");
    EXPECT_EQ(polled, (Lines{"NO CARRIER<CR>"}));
    EXPECT_FALSE(top->TopRecord(0).Busy);
    EXPECT_EQ(top->DispatchDepth(), 0u);
    EXPECT_EQ(top->GetComLength(0), 0);
    EXPECT_TRUE(top->GetComBuffer(0)->empty());

    link->Receive("OK\r");
    EXPECT_EQ(polled, (Lines{"NO CARRIER<CR>", "OK<CR>"}));
}

TEST_F(Dispatch, DeletingTheChannelBeingDispatchedStopsItsDispatch) {
    TObject channel;
    std::vector<std::string> polled;
    top->SetOnAdvancedRecvDecode(
        TDistributorAdvancedPollProc::From([](VTolmGeneralDistributor* d, TObject* ch, Tick&) {
            const int index = d->GetChannelIndex(ch) * 2;
            ClaimLine(d, index);
        }));
    top->SetOnAdvancedRecvPoll(TDistributorAdvancedDataProc::From(
        [&](VTolmGeneralDistributor*, TObject* ch, Tick&, const std::string& data, bool&) {
            polled.push_back(Visible(data));
            top->DeleteChannel(ch);
        }));
    top->ComAdvancedReceiveData(link, &channel, "one\rtwo\r", 8);
    EXPECT_EQ(polled, (Lines{"one<CR>"}));
    EXPECT_EQ(top->ChannelCount(), 1);
    EXPECT_EQ(top->DispatchDepth(), 0u);
}

TEST_F(Dispatch, ChannelMovedByADeletionKeepsDispatchingUnderItsNewNumber) {
    TObject first, moved;
    top->GetChannelIndex(&first); // channel 1
    std::vector<std::string> polled;
    top->SetOnAdvancedRecvDecode(
        TDistributorAdvancedPollProc::From([](VTolmGeneralDistributor* d, TObject* ch, Tick&) {
            ClaimLine(d, d->GetChannelIndex(ch) * 2);
        }));
    top->SetOnAdvancedRecvPoll(TDistributorAdvancedDataProc::From(
        [&](VTolmGeneralDistributor*, TObject* ch, Tick&, const std::string& data, bool&) {
            polled.push_back((ch == &moved ? "moved " : "other ") + Visible(data));
            if (data == "a\r")
                top->DeleteChannel(&first); // `moved` goes from number 2 to number 1
        }));
    top->ComAdvancedReceiveData(link, &moved, "a\rb\r", 4);
    EXPECT_EQ(polled, (Lines{"moved a<CR>", "moved b<CR>"}));
    ASSERT_EQ(top->ChannelCount(), 2);
    EXPECT_EQ(top->TopRecord(2).Channel, &moved);
    EXPECT_FALSE(top->TopRecord(2).Busy);
    EXPECT_TRUE(top->TopRecord(2).Buffer.empty());
}

TEST_F(Dispatch, NestedTickInsideAHandlerRunsTheTimerWalksButNoSecondDelivery) {
    top->DoTimerAfterData = false;
    top->SetOnComRecvDecode(LineDecoder());
    std::vector<std::string> events;
    top->OnTimerPoll = TDistributorPollProc::From(
        [&](VTolmGeneralDistributor*, Tick&) { events.push_back("timer poll"); });
    top->SetOnComRecvPoll(TDistributorDataProc::From(
        [&](VTolmGeneralDistributor*, Tick&, const std::string& data, bool&) {
            events.push_back("poll " + Visible(data));
            timer->Fire(); // e.g. a handler that pumps messages
        }));
    link->Receive("A\rB\r");
    EXPECT_EQ(events, (Lines{"poll A<CR>", "timer poll", "poll B<CR>", "timer poll"}));
}

TEST_F(Dispatch, AdvancedEventsCarryTheChannelAndPlainOnesStayOnTheMainChannel) {
    TObject channel;
    std::vector<std::string> events;
    top->SetOnComRecvPoll(
        TDistributorDataProc::From([&](VTolmGeneralDistributor*, Tick&, const std::string& d,
                                       bool&) { events.push_back("plain " + Visible(d)); }));
    top->SetOnAdvancedRecvPoll(TDistributorAdvancedDataProc::From(
        [&](VTolmGeneralDistributor*, TObject* ch, Tick&, const std::string& d, bool&) {
            events.push_back(std::string(ch == &channel ? "channel " : "main ") + Visible(d));
        }));
    top->OnAdvancedComDecode = TDistributorChannelProc::From(
        [](VTolmGeneralDistributor*, TObject*, PVTolmDistributor_ChannelRecord rec, Tick) {
            const auto cr = rec->Buffer->find('\r');
            if (cr != std::string::npos) {
                rec->Length = static_cast<int>(cr + 1);
                rec->Failed = false;
            }
        });
    top->ComAdvancedReceiveData(link, &channel, "x\r", 2);
    link->Receive("y\r");
    EXPECT_EQ(events, (Lines{"channel x<CR>", "plain y<CR>", "main y<CR>"}));
}

TEST_F(Dispatch, ReceptionIsDroppedWhileTheComHandlerIsDisabled) {
    top->ComHandlerEnabled = false;
    Watch(top.get(), "top");
    link->Receive("ignored\r");
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_TRUE(top->GetComBuffer(0)->empty());
}

} // namespace
} // namespace celdara::testing
