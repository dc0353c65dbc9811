// The serial component's worker threads: the small thread base, the reader that turns the
// device's bytes and line changes into posted messages, and the writer with its queue.
// Neither thread calls into the component; everything goes through posted messages whose
// blocks travel with them.
#pragma once

#include "core/MessageQueue.h"
#include "serial/SerialDevice.h"
#include "util/Tick.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace celdara {

// Component messages (relative numbers as the hidden window knew them).
inline constexpr int WM_COMM_DATA = 1025;
inline constexpr int WM_COMM_HANGUP = 1026;
inline constexpr int WM_COMM_STATE = 1027;
inline constexpr int WM_COMM_EVENT = 1028;
inline constexpr int WM_COMM_POLL = 1029;

inline constexpr std::size_t kReadBufferSize = 2048;

// A thread that starts when resumed and can be waited for with a limit.
class VTolmThread {
public:
    explicit VTolmThread(bool CreateSuspended);
    virtual ~VTolmThread();
    VTolmThread(const VTolmThread&) = delete;
    VTolmThread& operator=(const VTolmThread&) = delete;

    // Starts the system thread (once). Throws std::system_error when it cannot be made.
    void Resume();
    bool Suspended() const { return suspended_; }
    // Levels 0..6: idle, lowest, below normal, normal, above normal, highest, time critical.
    // Raising a priority needs privileges; a refusal is ignored.
    void SetPriority(int level);
    void Terminate() { terminated_.store(true, std::memory_order_release); }
    bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
    // Waits at most timeoutMs for Execute to end; true when it has.
    bool WaitFor(unsigned timeoutMs);
    bool Finished() const;
    // Waits without limit for the system thread to end.
    void Join();

protected:
    virtual void Execute() = 0;

private:
    void Run();
    void ApplyPriority();

    std::thread thread_;
    bool suspended_;
    std::atomic<bool> terminated_{false};
    std::atomic<int> priority_{3};
    std::atomic<int> tid_{0};
    mutable std::mutex mutex_;
    std::condition_variable finishedCv_;
    bool finished_ = false;
};

// Read time-outs as the reader sees them; the main thread changes them with UpdateDCB.
struct TReadTimeouts {
    std::atomic<std::uint32_t> Interval{10};
    std::atomic<std::uint32_t> TotalMult{0};
    std::atomic<std::uint32_t> TotalConst{0};
};

// What both threads share with the component; set before they start, unchanged after.
struct TSerialThreadContext {
    TSerialDevice* Device = nullptr;
    TStopSignal* StopEvent = nullptr;
    TMessageQueue* Queue = nullptr;
    TMessageTarget* MessageWindow = nullptr;
    const std::atomic<Tick>* LastModemPoll = nullptr;
    const TReadTimeouts* Timeouts = nullptr;
    // Set by the writer after it wrote; the reader reports the empty output queue.
    std::atomic<bool>* TxPending = nullptr;
};

class TReadThread final : public VTolmThread {
public:
    // eventMask: the EV_ bits to report; evtChar: the character that raises EV_RXFLAG.
    TReadThread(const TSerialThreadContext& context, std::uint32_t eventMask, char evtChar);
    ~TReadThread() override;

    int Progress() const { return progress_.load(std::memory_order_acquire); }

protected:
    void Execute() override;

private:
    // Gathers one chunk; returns 0, or the errno of a failed read. `stopped` reports the
    // stop signal seen while gathering.
    int ReadChunk(std::uint32_t& events, bool& stopped);
    void PostChunk(std::uint32_t& events);
    // Compares lines and counters with what was seen last; adds the events and error bits.
    int CheckLines(std::uint32_t& events, std::uint32_t& errors);
    void PostHangup(int error);

    TSerialThreadContext ctx_;
    std::uint32_t eventMask_;
    char evtChar_;
    std::atomic<int> progress_{0};
    std::vector<std::uint8_t> chunk_;
    std::uint32_t status_ = 0;
    bool countersKnown_ = false;
    TLineCounters counters_;
};

// A send request in the writer's queue: WM_COMM_DATA, or WM_COMM_HANGUP for a slow write.
struct TWriteRequest {
    int Kind = WM_COMM_DATA;
    std::vector<std::uint8_t> Block; // Count + 1 bytes
    std::size_t Count = 0;
};

// The writer's own queue: unbounded, in posting order; closed when the writer ends, after
// which posting fails.
class TWriteQueue {
public:
    bool Post(TWriteRequest request);
    // Waits until a request is there, the queue is closed or `stop` is set (a stop is
    // followed by a wake-up post). False when nothing was taken.
    bool Take(TWriteRequest& request, const TStopSignal& stop);
    // Refuses further posts and drops what is queued (releasing the blocks).
    void Close();
    std::size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<TWriteRequest> queue_;
    bool closed_ = false;
};

class TWriteThread final : public VTolmThread {
public:
    explicit TWriteThread(const TSerialThreadContext& context);
    ~TWriteThread() override;

    TWriteQueue& Queue() { return queue_; }
    // The writer's queue is ready once the thread runs (the write event of old).
    bool Ready() const { return ready_.load(std::memory_order_acquire); }

protected:
    void Execute() override;

private:
    bool WriteToPort(const std::uint8_t* block, std::size_t count, bool slowly);
    void PostHangup(int error);

    TSerialThreadContext ctx_;
    TWriteQueue queue_;
    std::atomic<bool> ready_{false};
};

} // namespace celdara
