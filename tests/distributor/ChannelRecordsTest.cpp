#include "distributor/DistributorFixture.h"

namespace celdara::testing {
namespace {

using Channels = DistributorTest;

TEST_F(Channels, MainChannelIsNumberZeroAndCreatesNothing) {
    EXPECT_EQ(top->GetChannelIndex(nullptr), 0);
    EXPECT_EQ(top->ChannelCount(), 1);
    EXPECT_FALSE(top->TopRecord(0).Released);
    EXPECT_FALSE(top->TopRecord(1).Released);
}

TEST_F(Channels, NewObjectGetsTheNextNumberAndIsMarkedInUseOnItsSecondLookUp) {
    TObject a;
    EXPECT_EQ(top->GetChannelIndex(&a), 1);
    EXPECT_TRUE(top->TopRecord(2).Released);
    EXPECT_EQ(top->TopRecord(3).Channel, &a);
    EXPECT_EQ(top->GetChannelIndex(&a), 1);
    EXPECT_FALSE(top->TopRecord(2).Released);
    EXPECT_FALSE(top->TopRecord(3).Released);
    EXPECT_EQ(top->ChannelCount(), 2);
    EXPECT_EQ(top->DataRecord(0).Channels.size(), 2u);
    EXPECT_EQ(top->DataRecord(1).Channels.size(), 2u);
}

TEST_F(Channels, DeletingAMiddleChannelMovesTheHighestIntoItsNumber) {
    TObject a, b;
    VTolmDistributor linked(nullptr, &clock);
    linked.SetDistributor(top.get());
    top->GetChannelIndex(&a);
    top->GetChannelIndex(&b);
    top->GetComBuffer(&b, 0)->append("from b");
    top->GetComBuffer(&b, 1)->append("to b");
    linked.SetComLength(5, 3); // b's send side
    linked.SetComFailed(5, false);
    ASSERT_EQ(linked.DataRecord(1).Channels.size(), 3u);

    EXPECT_TRUE(top->DeleteChannel(&a));
    ASSERT_EQ(top->ChannelCount(), 2);
    EXPECT_EQ(top->TopRecord(2).Channel, &b);
    EXPECT_EQ(top->TopRecord(2).Buffer, "from b");
    EXPECT_EQ(top->TopRecord(3).Buffer, "to b");
    EXPECT_EQ(top->GetChannelIndex(&b), 1);
    EXPECT_EQ(linked.DataRecord(1).Channels.size(), 2u);
    EXPECT_EQ(linked.GetComLength(3), 3);
    EXPECT_FALSE(linked.GetComFailed(3));
    EXPECT_EQ(*linked.GetComBuffer(3), "to b");
    linked.SetDistributor(nullptr);
}

TEST_F(Channels, DeletingAnUnknownObjectChangesNothing) {
    TObject a, stranger;
    top->GetChannelIndex(&a);
    top->GetComBuffer(0)->append("kept");
    EXPECT_FALSE(top->DeleteChannel(&stranger));
    EXPECT_EQ(top->ChannelCount(), 2);
    EXPECT_EQ(*top->GetComBuffer(0), "kept");
}

TEST_F(Channels, ResettingTheMainChannelEmptiesBothBuffersAndReleasesThem) {
    top->GetChannelIndex(nullptr);
    top->GetComBuffer(0)->append("rx");
    top->GetComBuffer(1)->append("tx");
    EXPECT_TRUE(top->DeleteChannel(nullptr));
    EXPECT_TRUE(top->GetComBuffer(0)->empty());
    EXPECT_TRUE(top->GetComBuffer(1)->empty());
    EXPECT_TRUE(top->TopRecord(0).Released);
    EXPECT_TRUE(top->TopRecord(1).Released);
    EXPECT_EQ(top->ChannelCount(), 1);
}

TEST_F(Channels, CutComBufferCountsAndClampsAndLowersScanned) {
    top->SetOnComRecvDecode(TDistributorPollProc::From([](VTolmGeneralDistributor*, Tick&) {}));
    link->Receive("abcdef"); // shown to listeners: Scanned 6
    ASSERT_EQ(top->TopRecord(0).Scanned, 6);
    EXPECT_EQ(top->CutComBuffer(0, 2), 2);
    EXPECT_EQ(*top->GetComBuffer(0), "cdef");
    EXPECT_EQ(top->TopRecord(0).Scanned, 4);
    EXPECT_EQ(top->CutComBuffer(0, 100), 4);
    EXPECT_TRUE(top->GetComBuffer(0)->empty());
    EXPECT_EQ(top->TopRecord(0).Scanned, 0);
    top->GetComBuffer(0)->append("xyz");
    EXPECT_EQ(top->CutComBuffer(0, -1), 3);
    EXPECT_EQ(top->CutComBuffer(0, -7), 0);
}

TEST_F(Channels, BadSideIndexesAreRefusedNotFollowed) {
    EXPECT_THROW(top->GetComBuffer(2), std::out_of_range);
    EXPECT_THROW(top->GetComLength(-1), std::out_of_range);
    EXPECT_THROW(top->SetComFailed(7, true), std::out_of_range);
    EXPECT_THROW(top->GetComBuffer(nullptr, 2), std::out_of_range);
    Tick t = 0;
    top->DistributeComData(9, t); // nothing to dispatch, nothing touched
    EXPECT_EQ(top->DispatchDepth(), 0u);
}

TEST_F(Channels, ChannelOverloadsCreateTheChannel) {
    TObject a;
    top->SetComLength(&a, 1, 4);
    EXPECT_EQ(top->ChannelCount(), 2);
    EXPECT_EQ(top->GetComLength(3), 4);
}

} // namespace
} // namespace celdara::testing
