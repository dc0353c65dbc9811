#include "core/MessageQueue.h"

#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace celdara {
namespace {

struct TRecorder : TMessageTarget {
    std::vector<std::pair<int, std::intptr_t>> handled;
    std::vector<std::vector<std::uint8_t>> blocks;
    std::function<void(TMessage&)> also;
    void HandleMessage(TMessage& m) override {
        handled.emplace_back(m.Kind, m.WParam);
        blocks.push_back(std::move(m.Block));
        if (also)
            also(m);
    }
};

TEST(MessageQueue, HandlesInPostingOrder) {
    TMessageQueue queue;
    TRecorder a, b;
    queue.Post(&a, 1, 10);
    queue.Post(&b, 2, 20);
    queue.Post(&a, 3, 30, 0, {1, 2, 3});
    EXPECT_EQ(queue.Pending(), 3u);
    EXPECT_EQ(queue.ProcessMessages(), 3);
    EXPECT_EQ(a.handled, (std::vector<std::pair<int, std::intptr_t>>{{1, 10}, {3, 30}}));
    EXPECT_EQ(b.handled, (std::vector<std::pair<int, std::intptr_t>>{{2, 20}}));
    EXPECT_EQ(a.blocks[1], (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(queue.Pending(), 0u);
}

TEST(MessageQueue, MessagesPostedWhileHandlingWaitForTheNextPump) {
    TMessageQueue queue;
    TRecorder r;
    r.also = [&](TMessage& m) {
        if (m.Kind == 1)
            queue.Post(&r, 2);
    };
    queue.Post(&r, 1);
    EXPECT_EQ(queue.ProcessMessages(), 1);
    EXPECT_EQ(queue.Pending(), 1u);
    EXPECT_TRUE(queue.ProcessOne());
    EXPECT_FALSE(queue.ProcessOne());
    EXPECT_EQ(r.handled.size(), 2u);
}

TEST(MessageQueue, RemovingOneKindReleasesItsBlocksAndKeepsTheRest) {
    TMessageQueue queue;
    TRecorder r, other;
    queue.Post(&r, 7, 1, 0, std::vector<std::uint8_t>(2048, 0xAA));
    queue.Post(&r, 8, 2);
    queue.Post(&other, 7, 3);
    queue.Post(&r, 7, 4, 0, std::vector<std::uint8_t>(16, 0xBB));
    EXPECT_EQ(queue.RemoveMessages(&r, 7), 2);
    queue.ProcessMessages();
    EXPECT_EQ(r.handled, (std::vector<std::pair<int, std::intptr_t>>{{8, 2}}));
    EXPECT_EQ(other.handled.size(), 1u);
    queue.Post(&r, 9);
    EXPECT_EQ(queue.RemoveTarget(&r), 1);
    EXPECT_EQ(queue.Pending(), 0u);
}

TEST(MessageQueue, ProcessingOneTargetLeavesTheOthersQueuedInOrder) {
    TMessageQueue queue;
    TRecorder a, b;
    queue.Post(&b, 1);
    queue.Post(&a, 2);
    queue.Post(&b, 3);
    queue.Post(&a, 4);
    EXPECT_EQ(queue.Pending(&a, 4), 1u);
    EXPECT_EQ(queue.Pending(&b, 4), 0u);
    EXPECT_EQ(queue.ProcessTarget(&a), 2);
    ASSERT_EQ(a.handled.size(), 2u);
    EXPECT_EQ(a.handled[0].first, 2);
    EXPECT_EQ(a.handled[1].first, 4);
    EXPECT_TRUE(b.handled.empty());
    EXPECT_EQ(queue.ProcessMessages(), 2);
    ASSERT_EQ(b.handled.size(), 2u);
    EXPECT_EQ(b.handled[0].first, 1);
    EXPECT_EQ(b.handled[1].first, 3);
}

TEST(MessageQueue, PostsFromManyThreadsArriveOnceEachInEachThreadsOrder) {
    TMessageQueue queue;
    std::atomic<int> wakes{0};
    queue.SetWakeHandler([&] { ++wakes; });
    TRecorder r;
    constexpr int kThreads = 4, kEach = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                queue.Post(&r, t, i, 0, std::vector<std::uint8_t>(8, static_cast<std::uint8_t>(t)));
        });
    }
    int handled = 0;
    while (handled < kThreads * kEach)
        handled += queue.ProcessMessages(); // the main thread pumps while others post
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(wakes.load(), kThreads * kEach);
    std::map<int, std::intptr_t> next;
    for (auto [kind, seq] : r.handled) {
        EXPECT_EQ(seq, next[kind]) << "thread " << kind;
        next[kind] = seq + 1;
    }
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(next[t], kEach);
}

} // namespace
} // namespace celdara
