#include "core/MessageQueue.h"

#include <limits>

namespace celdara {

void TMessageQueue::Post(TMessage message) {
    std::function<void()> wake;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(Entry{nextSequence_++, std::move(message)});
        wake = wake_;
    }
    if (wake)
        wake();
}

void TMessageQueue::Post(TMessageTarget* target, int kind, std::intptr_t wParam,
                         std::intptr_t lParam, std::vector<std::uint8_t> block) {
    Post(TMessage{target, kind, wParam, lParam, std::move(block)});
}

bool TMessageQueue::PopOlderThan(std::uint64_t limit, TMessage& out) {
    std::lock_guard lock(mutex_);
    if (queue_.empty() || queue_.front().Sequence >= limit)
        return false;
    out = std::move(queue_.front().Message);
    queue_.pop_front();
    return true;
}

int TMessageQueue::ProcessMessages() {
    std::uint64_t limit;
    {
        std::lock_guard lock(mutex_);
        limit = nextSequence_;
    }
    int handled = 0;
    TMessage message;
    while (PopOlderThan(limit, message)) {
        if (message.Target)
            message.Target->HandleMessage(message);
        ++handled;
        message = TMessage{};
    }
    return handled;
}

bool TMessageQueue::ProcessOne() {
    TMessage message;
    if (!PopOlderThan(std::numeric_limits<std::uint64_t>::max(), message))
        return false;
    if (message.Target)
        message.Target->HandleMessage(message);
    return true;
}

bool TMessageQueue::PopForTarget(const TMessageTarget* target, std::uint64_t limit, TMessage& out) {
    std::lock_guard lock(mutex_);
    for (auto it = queue_.begin(); it != queue_.end() && it->Sequence < limit; ++it) {
        if (it->Message.Target == target) {
            out = std::move(it->Message);
            queue_.erase(it);
            return true;
        }
    }
    return false;
}

int TMessageQueue::ProcessTarget(const TMessageTarget* target) {
    std::uint64_t limit;
    {
        std::lock_guard lock(mutex_);
        limit = nextSequence_;
    }
    int handled = 0;
    TMessage message;
    while (target && PopForTarget(target, limit, message)) {
        message.Target->HandleMessage(message);
        ++handled;
        message = TMessage{};
    }
    return handled;
}

template <typename TMatch>
int TMessageQueue::RemoveMatching(TMatch match) {
    std::deque<Entry> dropped; // released outside the lock
    int count = 0;
    {
        std::lock_guard lock(mutex_);
        for (auto it = queue_.begin(); it != queue_.end();) {
            if (match(it->Message)) {
                dropped.push_back(std::move(*it));
                it = queue_.erase(it);
                ++count;
            } else {
                ++it;
            }
        }
    }
    return count;
}

int TMessageQueue::RemoveMessages(const TMessageTarget* target, int kind) {
    return RemoveMatching([&](const TMessage& m) { return m.Target == target && m.Kind == kind; });
}

int TMessageQueue::RemoveTarget(const TMessageTarget* target) {
    return RemoveMatching([&](const TMessage& m) { return m.Target == target; });
}

std::size_t TMessageQueue::Pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::size_t TMessageQueue::Pending(const TMessageTarget* target, int kind) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const Entry& e : queue_)
        if (e.Message.Target == target && e.Message.Kind == kind)
            ++n;
    return n;
}

void TMessageQueue::SetWakeHandler(std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    wake_ = std::move(wake);
}

} // namespace celdara
