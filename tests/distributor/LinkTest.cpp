#include "core/Application.h"
#include "distributor/DistributorFixture.h"

namespace celdara::testing {
namespace {

using Linking = DistributorTest;

std::vector<VTolmDistributor*> ChildrenOf(const VTolmGeneralDistributor& d) {
    return d.Children();
}

TEST_F(Linking, DistributorCannotBeItsOwnParent) {
    VTolmDistributor d(nullptr, &clock);
    d.SetDistributor(&d);
    EXPECT_EQ(d.Distributor(), nullptr);
    EXPECT_TRUE(d.Children().empty());
}

TEST_F(Linking, CyclicLinkIsRefusedAndLeavesTheDistributorUnlinked) {
    VTolmDistributor d1(nullptr, &clock), d2(nullptr, &clock);
    d1.SetDistributor(top.get());
    d2.SetDistributor(&d1);
    d1.SetDistributor(&d2);
    EXPECT_EQ(d1.Distributor(), nullptr);
    EXPECT_EQ(d2.Distributor(), &d1);
    EXPECT_TRUE(top->Children().empty());
    EXPECT_TRUE(d2.Children().empty());
    EXPECT_EQ(d2.GetTopDistributor(), nullptr);
}

TEST_F(Linking, LinkedDistributorsFollowTheTopsChannelCount) {
    TObject a, b;
    top->GetChannelIndex(&a);
    top->GetChannelIndex(&b);
    VTolmDistributor d(nullptr, &clock), below(nullptr, &clock);
    below.SetDistributor(&d);
    d.SetDistributor(top.get());
    EXPECT_EQ(d.DataRecord(0).Channels.size(), 3u);
    EXPECT_EQ(below.DataRecord(1).Channels.size(), 3u);
    TObject c;
    top->GetChannelIndex(&c);
    EXPECT_EQ(below.DataRecord(0).Channels.size(), 4u);
    d.SetDistributor(nullptr);
    EXPECT_EQ(d.DataRecord(0).Channels.size(), 1u);
    EXPECT_EQ(below.DataRecord(1).Channels.size(), 1u);
}

TEST_F(Linking, UnlinkingMovesTheLastChildIntoTheFreedPlace) {
    VTolmDistributor a(nullptr, &clock), b(nullptr, &clock), c(nullptr, &clock);
    a.SetDistributor(top.get());
    b.SetDistributor(top.get());
    c.SetDistributor(top.get());
    a.SetDistributor(nullptr);
    EXPECT_EQ(ChildrenOf(*top), (std::vector<VTolmDistributor*>{&c, &b}));
}

TEST_F(Linking, ClaimOfALinkedDistributorIsPolledUpTheChainWithOneProcessedFlag) {
    VTolmDistributor d1(nullptr, &clock), d2(nullptr, &clock);
    d1.SetName("d1");
    d2.SetName("d2");
    d1.SetDistributor(top.get());
    d2.SetDistributor(&d1);
    d2.SetOnComRecvDecode(LineDecoder());
    std::vector<std::string> events;
    auto poll = [&](std::string name, bool handle) {
        return TDistributorDataProc::From([&events, name, handle](VTolmGeneralDistributor* s, Tick&,
                                                                  const std::string& d,
                                                                  bool& processed) {
            events.push_back(name + " " + Visible(d) + (processed ? " seen" : "") + " claim " +
                             std::to_string(s->GetComLength(0)));
            if (handle)
                processed = true;
        });
    };
    d2.SetOnComRecvPoll(poll("d2", true));
    d1.SetOnComRecvPoll(poll("d1", false));
    top->SetOnComRecvPoll(poll("top", false));
    top->SetOnComRecvTransfer(TDistributorTransferProc::From(
        [&](VTolmGeneralDistributor*, Tick, const std::string& d, VTolmGeneralDistributor* low,
            bool) { events.push_back("transfer " + Visible(d) + " by " + low->Name()); }));
    link->Receive("RING\r");
    EXPECT_EQ(events, (Lines{"transfer RING<CR> by d2", "d2 RING<CR> claim 5",
                             "d1 RING<CR> seen claim 5", "top RING<CR> seen claim 5"}));
    EXPECT_EQ(d2.GetComLength(0), 0) << "claims are reset when the dispatch ends";
    EXPECT_EQ(top->GetComLength(0), 0);
}

TEST_F(Linking, ShortestClaimWinsAndTiesGoToTheLastValidInPreOrder) {
    VTolmDistributor a(nullptr, &clock), b(nullptr, &clock), c(nullptr, &clock);
    a.SetName("a");
    b.SetName("b");
    c.SetName("c");
    a.SetDistributor(top.get());
    b.SetDistributor(top.get());
    c.SetDistributor(&a); // pre-order: top, a, c, b
    auto claim = [](int length, bool failed) {
        return TDistributorPollProc::From([=](VTolmGeneralDistributor* d, Tick&) {
            d->SetComLength(0, length);
            d->SetComFailed(0, failed);
        });
    };
    std::string winner;
    top->SetOnComRecvTransfer(
        TDistributorTransferProc::From([&](VTolmGeneralDistributor*, Tick, const std::string&,
                                           VTolmGeneralDistributor* low, bool) {
            if (low && winner.empty())
                winner = low->Name();
        }));
    struct Case {
        int top, a, c, b;
        bool topFailed, aFailed, cFailed, bFailed;
        std::string expected;
    };
    const Case cases[] = {
        {4, 2, 3, 5, false, false, false, false, "a"},   // the shortest
        {3, 3, 3, 0, false, false, true, false, "a"},    // last valid among equals
        {0, 3, 3, 3, false, false, false, false, "b"},   // all valid: the last
        {3, 3, 3, 3, true, true, true, true, "distTop"}, // all failed: the first
        {0, 0, 2, 0, false, false, true, false, "c"},    // a lone failed claim still wins
    };
    for (const Case& k : cases) {
        top->SetOnComRecvDecode(claim(k.top, k.topFailed));
        a.SetOnComRecvDecode(claim(k.a, k.aFailed));
        c.SetOnComRecvDecode(claim(k.c, k.cFailed));
        b.SetOnComRecvDecode(claim(k.b, k.bFailed));
        winner.clear();
        top->CutComBuffer(0, -1);
        link->Receive("abcdefgh");
        EXPECT_EQ(winner, k.expected) << "case expecting " << k.expected;
    }
    for (VTolmGeneralDistributor* d :
         std::initializer_list<VTolmGeneralDistributor*>{top.get(), &a, &b, &c})
        d->SetOnComRecvDecode({});
}

TEST_F(Linking, DestroyingAParentUnlinksItsChildren) {
    auto* parent = new VTolmDistributor(nullptr, &clock);
    VTolmDistributor child(nullptr, &clock);
    parent->SetDistributor(top.get());
    child.SetDistributor(parent);
    delete parent;
    EXPECT_EQ(child.Distributor(), nullptr);
    EXPECT_TRUE(top->Children().empty());
    EXPECT_EQ(child.GetTopDistributor(), nullptr);
}

TEST_F(Linking, MovingToAnotherChainForgetsTheOldTopAndItsBuffers) {
    VTolmTopDistributor other(nullptr, &clock);
    VTolmDistributor d(nullptr, &clock);
    d.SetDistributor(top.get());
    top->GetComBuffer(0)->assign("old chain");
    ASSERT_EQ(*d.GetComBuffer(0), "old chain");
    d.SetDistributor(&other);
    other.GetComBuffer(0)->assign("new chain");
    EXPECT_EQ(d.GetTopDistributor(), &other);
    EXPECT_EQ(*d.GetComBuffer(0), "new chain");
    d.SetDistributor(nullptr);
}

TEST_F(Linking, FindTopDistributorSearchesDepthFirstAndSkipsTheExcluded) {
    TComponent root(nullptr);
    auto* form1 = new TComponent(&root);
    auto* deep = new VTolmTopDistributor(new TComponent(form1), &clock);
    auto* shallow = new VTolmTopDistributor(&root, &clock);
    EXPECT_EQ(FindTopDistributor(&root, nullptr), deep);
    EXPECT_EQ(FindTopDistributor(&root, deep), shallow);
    EXPECT_EQ(FindTopDistributor(form1, deep), nullptr);
    EXPECT_EQ(FindTopDistributor(nullptr, nullptr), nullptr);
}

TEST_F(Linking, LoadedConnectsToTheApplicationsTopDistributor) {
    auto* form = new TComponent(&Application());
    auto* appTop = new VTolmTopDistributor(form, &clock);
    appTop->AutomaticCreate = false;
    auto* listener = new VTolmDistributor(form, &clock);
    auto* manual = new VTolmDistributor(form, &clock);
    manual->AutomaticConnect = false;
    form->BeginLoading();
    form->EndLoading();
    EXPECT_EQ(listener->Distributor(), appTop);
    EXPECT_EQ(manual->Distributor(), nullptr);
    delete form;
}

} // namespace
} // namespace celdara::testing
