// The main thread's message queue: any thread posts, the main thread handles the messages
// in posting order, so the worker threads never call into a component. A message may carry a
// block of bytes, which belongs to the message and is released with it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace celdara {

struct TMessage;

// Whatever receives messages (a component's own target, which lives as long as it does).
class TMessageTarget {
public:
    virtual ~TMessageTarget() = default;
    virtual void HandleMessage(TMessage& message) = 0;
};

struct TMessage {
    TMessageTarget* Target = nullptr;
    int Kind = 0;
    std::intptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::vector<std::uint8_t> Block; // travels with the message
};

class TMessageQueue {
public:
    // Safe from any thread. Wakes the main loop through the wake handler.
    void Post(TMessage message);
    void Post(TMessageTarget* target, int kind, std::intptr_t wParam = 0, std::intptr_t lParam = 0,
              std::vector<std::uint8_t> block = {});

    // Main thread: handles the messages that were queued when the call began, in posting
    // order (later ones wait for the next call, so a handler that posts cannot keep the loop
    // here for ever). Handlers may pump again. Returns the number handled.
    int ProcessMessages();
    // Main thread: handles the oldest message, if any. Returns whether there was one.
    bool ProcessOne();

    // Main thread: handles the messages queued for `target` when the call began, in posting
    // order, and leaves every other message queued (a target delivering what is still
    // meant for it before it goes away). Returns the number handled.
    int ProcessTarget(const TMessageTarget* target);

    // Drops the queued messages of `kind` for `target` and releases their blocks; returns
    // how many were dropped.
    int RemoveMessages(const TMessageTarget* target, int kind);
    // Drops every queued message for `target` (a target that goes away calls this).
    int RemoveTarget(const TMessageTarget* target);

    std::size_t Pending() const;
    // How many messages of `kind` for `target` are queued.
    std::size_t Pending(const TMessageTarget* target, int kind) const;

    // Called after every post, on the posting thread (the Qt layer wakes its event loop).
    // Set it before any other thread posts.
    void SetWakeHandler(std::function<void()> wake);

private:
    struct Entry {
        std::uint64_t Sequence;
        TMessage Message;
    };

    bool PopOlderThan(std::uint64_t limit, TMessage& out);
    bool PopForTarget(const TMessageTarget* target, std::uint64_t limit, TMessage& out);
    // Drops the queued messages that `match` picks and releases their blocks (outside the
    // lock); returns how many.
    template <typename TMatch>
    int RemoveMatching(TMatch match);

    mutable std::mutex mutex_;
    std::deque<Entry> queue_;
    std::uint64_t nextSequence_ = 0;
    std::function<void()> wake_;
};

} // namespace celdara
