#include "core/Event.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

using TIntEvent = TEvent<int(int& value, int step)>;

struct Counter {
    int calls = 0;
    int Add(int& value, int step) {
        ++calls;
        value += step;
        return value;
    }
    int Twice(int& value, int step) { return value += 2 * step; }
};

TEST(EventTest, EmptyUntilBound) {
    TIntEvent e;
    EXPECT_FALSE(e);
    EXPECT_TRUE(e.IsEmpty());
    Counter c;
    e = TIntEvent::Bind<&Counter::Add>(&c);
    EXPECT_TRUE(e);
    e = nullptr;
    EXPECT_FALSE(e);
}

TEST(EventTest, CallsTheBoundMethodAndPassesReferences) {
    Counter c;
    auto e = TIntEvent::Bind<&Counter::Add>(&c);
    int value = 1;
    EXPECT_EQ(e(value, 4), 5);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(c.calls, 1);
}

TEST(EventTest, EqualOnlyForTheSameMethodOnTheSameObject) {
    Counter a, b;
    auto aAdd = TIntEvent::Bind<&Counter::Add>(&a);
    EXPECT_EQ(aAdd, TIntEvent::Bind<&Counter::Add>(&a));
    EXPECT_NE(aAdd, TIntEvent::Bind<&Counter::Add>(&b));
    EXPECT_NE(aAdd, TIntEvent::Bind<&Counter::Twice>(&a));
    EXPECT_EQ(aAdd.GetCode(), TIntEvent::Bind<&Counter::Add>(&b).GetCode());
    EXPECT_NE(aAdd, TIntEvent());
}

TEST(EventTest, CallableBindingsEqualTheirCopiesOnly) {
    auto one = TIntEvent::From([](int& v, int s) { return v += s; });
    auto copy = one;
    auto other = TIntEvent::From([](int& v, int s) { return v += s; });
    EXPECT_EQ(one, copy);
    EXPECT_NE(one, other);
    int v = 0;
    EXPECT_EQ(copy(v, 3), 3);
}

TEST(EventTest, HandlerMayReplaceTheEventItRunsThrough) {
    TEvent<void()> slot;
    int state = 0;
    slot = TEvent<void()>::From([&] {
        int captured = 41;
        slot = nullptr; // frees this binding's only other owner
        state = captured + 1;
    });
    TEvent<void()> caller = slot;
    slot = caller;
    caller = nullptr;
    slot();
    EXPECT_EQ(state, 42);
    EXPECT_FALSE(slot);
}

} // namespace
} // namespace celdara
