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
#include <string_view>
#include <thread>
#include <vector>

namespace celdara {

// The kinds of message the threads post to the component's message target, under the
// numbers the component's messages are known by.
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
    // Levels 0..6: idle, lowest, below normal, normal, above normal, highest, time critical.
    // Raising a priority needs privileges; a refusal is ignored.
    void SetPriority(int level);
    void Terminate() { terminated_.store(true, std::memory_order_release); }
    bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
    // Waits at most timeoutMs for Execute to end; true when it has.
    bool WaitFor(unsigned timeoutMs);
    // Waits without limit for the system thread to end.
    void Join();

protected:
    virtual void Execute() = 0;

private:
    void Run();
    void ApplyPriority();

    std::thread thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<int> priority_{3};
    std::atomic<int> tid_{0};
    std::mutex mutex_;
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

// A worker of an open port: the context it shares with the component, and the hang-up
// message by which it reports a lost port (error non-zero: the port is closed as failed)
// or asks for a hang-up (0).
class TSerialThread : public VTolmThread {
protected:
    explicit TSerialThread(const TSerialThreadContext& context)
        : VTolmThread(true), ctx_(context) {}
    void PostHangup(int error);
    // The component's debug log, which the threads write too.
    static void DebugLog(std::string_view line);
    static void LogLastError(int error, std::string_view prefix);
    // The device has gone away (or closed under the thread): logged and posted.
    void ReportPortGone(int error);
    // A worker that ends by an exception would leave a port that looks open but hears or
    // says nothing: it is reported as lost, the way a vanished device is.
    void ReportFailure(std::string_view what);

    TSerialThreadContext ctx_;
};

class TReadThread final : public TSerialThread {
public:
    // eventMask: the EV_ bits to report; evtChar: the character that raises EV_RXFLAG.
    TReadThread(const TSerialThreadContext& context, std::uint32_t eventMask, char evtChar);
    ~TReadThread() override;

    int Progress() const { return progress_.load(std::memory_order_acquire); }

protected:
    void Execute() override;

private:
    // The reader's loop, until the stop signal.
    void Watch();
    // Acts on the end of a wait on the device; false once the device has failed. `stopped`
    // reports the stop signal.
    bool HandleWait(const TWaitResult& wait, std::uint32_t& events, bool& stopped);
    // Gathers one chunk; returns 0, or the errno of a failed read. `stopped` reports the
    // stop signal seen while gathering.
    int ReadChunk(std::uint32_t& events, bool& stopped);
    void PostChunk(std::uint32_t& events);
    // Adds the line events to `events` and posts those of the mask; false when the modem
    // lines tell that the device has gone.
    bool ReportLineEvents(std::uint32_t events);
    // Compares lines and counters with what was seen last; adds the events and error bits.
    int CheckLines(std::uint32_t& events, std::uint32_t& errors);
    // Asks the component for a modem-status poll when the last one is due again.
    void RequestModemPoll();

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

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<TWriteRequest> queue_;
    bool closed_ = false;
};

class TWriteThread final : public TSerialThread {
public:
    explicit TWriteThread(const TSerialThreadContext& context);
    ~TWriteThread() override;

    TWriteQueue& Queue() { return queue_; }
    // Set once the writer runs. SendData waits for it before posting, so a block is never
    // handed over before the port has a writer (the queue itself would already take it).
    bool Ready() const { return ready_.load(std::memory_order_acquire); }

protected:
    void Execute() override;

private:
    // Takes and carries out requests until the stop signal or a failed write.
    void Serve();
    bool WriteToPort(const std::uint8_t* block, std::size_t count, bool slowly);
    // Reports a failed write; the writer then ends.
    void ReportWriteError(int error);
    // Waits for room in the output queue; false when the write must end.
    bool WaitForRoom();

    TWriteQueue queue_;
    std::atomic<bool> ready_{false};
};

} // namespace celdara
