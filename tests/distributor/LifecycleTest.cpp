#include "core/Application.h"
#include "distributor/DistributorFixture.h"

namespace celdara::testing {
namespace {

std::vector<std::string> reports;
void Collect(std::string_view message) {
    reports.emplace_back(message);
}

class Lifecycle : public DistributorTest {
protected:
    void SetUp() override {
        reports.clear();
        VTolmGeneralDistributor::SetDiagnosticSink(&Collect);
    }
    void TearDown() override {
        DistributorTest::TearDown();
        VTolmGeneralDistributor::SetDiagnosticSink(nullptr);
    }
};

TEST_F(Lifecycle, BindingInstallsTheReceiveHandlerAndUnbindingRemovesIt) {
    EXPECT_TRUE(link->GetOnAdvancedReceiveData());
    link->Receive("x");
    EXPECT_FALSE(top->TopRecord(0).Released);
    top->SetComHandler(nullptr);
    EXPECT_FALSE(link->GetOnAdvancedReceiveData());
    EXPECT_TRUE(top->TopRecord(0).Released) << "unbinding resets the main channel";
}

TEST_F(Lifecycle, UnbindingLeavesAForeignReceiveHandlerAlone) {
    auto foreign = TAdvancedEventReceiveData::From(
        [](VTolmCommunicationComponent*, TObject*, const void*, std::uint16_t) {});
    link->SetOnAdvancedReceiveData(foreign);
    top->SetComHandler(nullptr);
    EXPECT_EQ(link->GetOnAdvancedReceiveData(), foreign);
}

TEST_F(Lifecycle, ClosedComponentThatGoesAwayResetsTheMainChannel) {
    link->Receive("x");
    delete link;
    EXPECT_EQ(top->ComHandler(), nullptr);
    EXPECT_TRUE(top->TopRecord(0).Released);
}

TEST_F(Lifecycle, OpenComponentThatGoesAwayIsForgottenWithoutAReset) {
    link->open = true;
    link->Receive("x");
    delete link;
    EXPECT_EQ(top->ComHandler(), nullptr);
    EXPECT_FALSE(top->TopRecord(0).Released);
    top->DeleteChannel(nullptr);
}

TEST_F(Lifecycle, TimerThatGoesAwayIsForgottenAndAnUnboundOneStopsTicking) {
    delete timer;
    EXPECT_EQ(top->Timer(), nullptr);
    TManualTimer spare(nullptr);
    top->SetTimer(&spare);
    int polls = 0;
    top->OnTimerPoll =
        TDistributorPollProc::From([&](VTolmGeneralDistributor*, Tick&) { ++polls; });
    spare.Fire();
    top->SetTimer(nullptr);
    spare.Fire();
    EXPECT_EQ(polls, 1);
}

TEST_F(Lifecycle, DestroyingABoundTopResetsItsMainChannelWithoutReports) {
    link->Receive("x");
    top.reset();
    EXPECT_TRUE(reports.empty());
}

TEST_F(Lifecycle, DestroyingWithChannelsLeftOrTheMainChannelInUseIsReported) {
    top->SetComHandler(nullptr);
    TObject extra;
    top->GetChannelIndex(&extra);
    top->GetChannelIndex(nullptr);
    top.reset();
    EXPECT_EQ(reports,
              (Lines{"VTolmTopDistributor(distTop).Destroy: Please call DeleteChannel after "
                     "communication termination",
                     "VTolmTopDistributor(distTop).Destroy: Please call DeleteChannel(nil) after "
                     "communication termination (e.g. in TLyrComm32.OnStateChange)",
                     "VTolmGeneralDistributor[=distTop].Destroy: Please call DeleteChannel after "
                     "communication termination",
                     "VTolmGeneralDistributor[=distTop].Destroy: Please call DeleteChannel after "
                     "communication termination"}));
}

TEST_F(Lifecycle, LoadedCreatesTheMissingTimerAndLinkFromRegisteredClasses) {
    Application().RegisterClass("TTimer", [](TComponent* o) { return new TManualTimer(o); });
    Application().RegisterClass("TLyrComm32", [](TComponent* o) { return new TFakeLink(o); });
    {
        VTolmTopDistributor fresh(nullptr, &clock);
        fresh.BeginLoading();
        fresh.EndLoading();
        ASSERT_NE(fresh.Timer(), nullptr);
        ASSERT_NE(fresh.ComHandler(), nullptr);
        EXPECT_EQ(fresh.Timer()->Name(), "VTolmDistributionTimer");
        EXPECT_EQ(fresh.Timer()->Interval(), 20u);
        EXPECT_EQ(fresh.ComHandler()->Name(), "VTolmCOMHandler");
        EXPECT_EQ(fresh.ComHandlerEnabled, true);
        fresh.SetComHandler(nullptr); // frees the one it made
        EXPECT_EQ(fresh.ComponentCount(), 1);
    }
    {
        VTolmTopDistributor kept(nullptr, &clock);
        kept.AutomaticCreate = false;
        kept.BeginLoading();
        kept.EndLoading();
        EXPECT_EQ(kept.Timer(), nullptr);
        EXPECT_EQ(kept.ComHandler(), nullptr);
    }
    Application().RegisterClass("TTimer", nullptr);
    Application().RegisterClass("TLyrComm32", nullptr);
}

TEST_F(Lifecycle, UpdateHandlerMayRedirectOrSuppressAChannelSend) {
    TObject channel;
    TFakeLink other(nullptr);
    other.TreatMainChannelAsNil = false;
    std::vector<std::string> shown;
    top->SetOnAdvancedSendTransfer(TDistributorAdvancedTransferProc::From(
        [&](VTolmGeneralDistributor*, TObject* ch, Tick&, const std::string& d,
            VTolmGeneralDistributor*,
            bool) { shown.push_back((ch == &channel ? "channel " : "main ") + d); }));
    bool suppress = false;
    top->OnUpdateHandler = TDistributorUpdateComHandlerProc::From(
        [&](VTolmGeneralDistributor*, VTolmCommunicationComponent*& handler, TObject*& ch) {
            handler = suppress ? nullptr : &other;
            ch = &other;
        });
    Tick t = 0;
    top->SendComData(&channel, t, "AT\r");
    suppress = true;
    top->SendComData(&channel, t, "dropped");
    EXPECT_EQ(other.sent, "AT\r");
    EXPECT_EQ(shown, (Lines{"channel AT\r"}));
}

} // namespace
} // namespace celdara::testing
