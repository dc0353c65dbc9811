#include "serial/LyrComm32Threads.h"

#include "core/TickClock.h"
#include "core/CommunicationComponent.h"
#include "util/Debug.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

namespace celdara {
namespace {

void DebugLog(std::string_view line) {
    VTolmCommunicationComponent::DebugLog(line);
}
void LogLastError(int error, std::string_view prefix) {
    VTolmCommunicationComponent::LogLastError(error, prefix);
}

} // namespace

// ---- VTolmThread -------------------------------------------------------------------

VTolmThread::VTolmThread(bool CreateSuspended) : suspended_(CreateSuspended) {
    if (!CreateSuspended)
        Resume();
}

VTolmThread::~VTolmThread() {
    Terminate();
    Join();
}

void VTolmThread::Resume() {
    if (thread_.joinable())
        return;
    thread_ = std::thread([this] { Run(); });
    suspended_ = false;
}

void VTolmThread::Run() {
    tid_.store(static_cast<int>(gettid()), std::memory_order_release);
    ApplyPriority();
    try {
        Execute();
    } catch (...) {
        // The thread ends quietly, as a protected thread procedure does.
    }
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    finishedCv_.notify_all();
}

void VTolmThread::SetPriority(int level) {
    priority_.store(std::clamp(level, 0, 6), std::memory_order_release);
    ApplyPriority();
}

void VTolmThread::ApplyPriority() {
    const int tid = tid_.load(std::memory_order_acquire);
    if (tid == 0)
        return;
    // The classic offsets around normal, as nice values (lower is more urgent).
    static constexpr int kNice[] = {19, 2, 1, 0, -1, -2, -15};
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), kNice[priority_.load()]);
}

bool VTolmThread::WaitFor(unsigned timeoutMs) {
    std::unique_lock lock(mutex_);
    if (!thread_.joinable())
        return true;
    return finishedCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [this] { return finished_; });
}

bool VTolmThread::Finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

void VTolmThread::Join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

// ---- TReadThread -------------------------------------------------------------------

TReadThread::TReadThread(const TSerialThreadContext& context, std::uint32_t eventMask, char evtChar)
    : VTolmThread(true), ctx_(context), eventMask_(eventMask), evtChar_(evtChar) {
    chunk_.reserve(kReadBufferSize + 1);
}

TReadThread::~TReadThread() {
    Join();
    if (Progress() != 101 && Progress() != 0)
        DebugStop("prusvih");
}

void TReadThread::PostHangup(int error) {
    ctx_.Queue->Post(ctx_.MessageWindow, WM_COMM_HANGUP, error, error ? 1 : 0);
}

void TReadThread::Execute() {
    progress_.store(1, std::memory_order_release);
    TSerialDevice& device = *ctx_.Device;
    // The starting levels of the lines and counters: changes from here on are events.
    if (device.GetModemStatus(status_) != 0)
        status_ = 0;
    countersKnown_ = device.GetLineCounters(counters_);
    progress_.store(2, std::memory_order_release);

    // Once the device has failed, the reader only waits for the stop signal and keeps
    // asking for modem-status polls, which find the port lost.
    bool watching = true;
    for (;;) {
        std::uint32_t events = 0;
        bool stopped = false;
        const TDeviceWait w =
            watching ? device.Wait(*ctx_.StopEvent, false, 100) : TDeviceWait::Timeout;
        switch (w) {
        case TDeviceWait::Stopped:
            stopped = true;
            break;
        case TDeviceWait::Ready: {
            const int error = ReadChunk(events, stopped);
            if (error != 0) {
                watching = false;
                if (IsDeviceGoneError(error)) {
                    DebugLog("ERROR_INVALID_HANDLE, Likely that the Service Provider has "
                             "closed the port.");
                    PostHangup(error);
                } else {
                    PostHangup(0);
                    LogLastError(error, "Unable to HandleReadEvent: ");
                }
            }
            break;
        }
        case TDeviceWait::Gone:
            watching = false;
            DebugLog("ERROR_INVALID_HANDLE, Likely that the Service Provider has closed the "
                     "port.");
            PostHangup(EIO);
            break;
        case TDeviceWait::Timeout:
            break;
        case TDeviceWait::Failed:
            LogLastError(errno, "Read WAIT_FAILED: ");
            PostHangup(0);
            break;
        }
        if (stopped || ctx_.StopEvent->IsSet()) {
            DebugLog("Time to Exit");
            break;
        }
        if (!watching && w == TDeviceWait::Timeout) {
            // Nothing to watch: wait for the stop signal alone, at most 100 ms.
            pollfd p{ctx_.StopEvent->Fd(), POLLIN, 0};
            if (::poll(&p, 1, 100) > 0 || ctx_.StopEvent->IsSet()) {
                DebugLog("Time to Exit");
                break;
            }
        }
        if (watching) {
            std::uint32_t errors = 0;
            const int error = CheckLines(events, errors);
            if (error != 0 && IsDeviceGoneError(error)) {
                watching = false;
                PostHangup(error);
            }
            events &= eventMask_;
            if (events != 0) {
                if (!(events & EV_ERR))
                    errors = 0;
                ctx_.Queue->Post(ctx_.MessageWindow, WM_COMM_EVENT,
                                 static_cast<std::intptr_t>(events),
                                 static_cast<std::intptr_t>(errors) * 65536 +
                                     static_cast<std::intptr_t>(status_ & 0xFFFF));
            }
        }
        if (TickElapsed(ctx_.LastModemPoll->load(std::memory_order_acquire), 10,
                        SystemTickClock().Now()))
            ctx_.Queue->Post(ctx_.MessageWindow, WM_COMM_POLL);
    }
    DebugLog("Read thread shutting down");
    device.Purge(true, false);
    Terminate();
    progress_.store(101, std::memory_order_release);
}

int TReadThread::ReadChunk(std::uint32_t& events, bool& stopped) {
    TSerialDevice& device = *ctx_.Device;
    chunk_.clear();
    std::uint8_t buffer[kReadBufferSize];
    const std::uint32_t interval = ctx_.Timeouts->Interval.load(std::memory_order_relaxed);
    const std::uint32_t mult = ctx_.Timeouts->TotalMult.load(std::memory_order_relaxed);
    const std::uint32_t constant = ctx_.Timeouts->TotalConst.load(std::memory_order_relaxed);
    const bool totalSet = mult != 0 || constant != 0;
    // A read ends when the buffer is full, when the line has been quiet for more than the
    // read interval after a byte, or when the total time-out has run out; an interval of
    // 0xFFFFFFFF with no total returns what is there at once; no time-outs at all wait for
    // a full buffer.
    const bool immediate = interval == 0xFFFFFFFFu && !totalSet;
    const Tick start = SystemTickClock().Now();
    const std::uint64_t total = static_cast<std::uint64_t>(mult) * kReadBufferSize + constant;
    for (;;) {
        int error = 0;
        const long n = device.Read(buffer, kReadBufferSize - chunk_.size(), error);
        if (n < 0) {
            PostChunk(events);
            return error;
        }
        chunk_.insert(chunk_.end(), buffer, buffer + n);
        if (chunk_.size() >= kReadBufferSize || immediate) {
            PostChunk(events);
            return 0;
        }
        if (chunk_.empty())
            return 0; // woken without data (it went to another reader of the device)
        int waitMs = 100;
        bool cutByWait = false;
        if (interval != 0 && interval != 0xFFFFFFFFu) {
            waitMs = static_cast<int>(std::min<std::uint32_t>(interval, 100000));
            cutByWait = true;
        }
        if (totalSet) {
            const Tick elapsed = static_cast<Tick>(SystemTickClock().Now() - start);
            if (elapsed >= total) {
                PostChunk(events);
                return 0;
            }
            const auto left = static_cast<int>(std::min<std::uint64_t>(total - elapsed, 100000));
            if (!cutByWait || left < waitMs) {
                waitMs = left;
                cutByWait = false; // re-checked against the total above
            }
        }
        switch (device.Wait(*ctx_.StopEvent, false, waitMs)) {
        case TDeviceWait::Ready:
            continue;
        case TDeviceWait::Timeout:
            if (cutByWait) {
                PostChunk(events);
                return 0;
            }
            continue;
        case TDeviceWait::Stopped:
            // Stopping aborts the read; its bytes would be dropped at close anyway.
            stopped = true;
            chunk_.clear();
            return 0;
        case TDeviceWait::Gone:
            PostChunk(events);
            return EIO;
        case TDeviceWait::Failed: {
            const int e = errno;
            PostChunk(events);
            return e ? e : EIO;
        }
        }
    }
}

void TReadThread::PostChunk(std::uint32_t& events) {
    if (chunk_.empty())
        return;
    DebugLog("Got something from Comm port!!!");
    events |= EV_RXCHAR;
    if (std::find(chunk_.begin(), chunk_.end(), static_cast<std::uint8_t>(evtChar_)) !=
        chunk_.end())
        events |= EV_RXFLAG;
    const std::size_t count = chunk_.size();
    std::vector<std::uint8_t> block;
    block.reserve(count + 1);
    block.assign(chunk_.begin(), chunk_.end());
    block.push_back(0); // a zero byte after the data, not counted
    chunk_.clear();
    ctx_.Queue->Post(ctx_.MessageWindow, WM_COMM_DATA, static_cast<std::intptr_t>(count), 0,
                     std::move(block));
}

int TReadThread::CheckLines(std::uint32_t& events, std::uint32_t& errors) {
    TSerialDevice& device = *ctx_.Device;
    std::uint32_t status = 0;
    const int error = device.GetModemStatus(status);
    if (error != 0)
        return error;
    const std::uint32_t changed = status ^ status_;
    if (changed & MS_CTS_ON)
        events |= EV_CTS;
    if (changed & MS_DSR_ON)
        events |= EV_DSR;
    if (changed & MS_RING_ON)
        events |= EV_RING;
    if (changed & MS_RLSD_ON)
        events |= EV_RLSD;
    status_ = status;

    TLineCounters now;
    if (countersKnown_ && device.GetLineCounters(now)) {
        if (now.Frame != counters_.Frame)
            errors |= CE_FRAME;
        if (now.Overrun != counters_.Overrun || now.BufferOverrun != counters_.BufferOverrun)
            errors |= CE_OVERRUN;
        if (now.Parity != counters_.Parity)
            errors |= CE_RXPARITY;
        if (now.Break != counters_.Break) {
            errors |= CE_BREAK;
            events |= EV_BREAK;
        }
        counters_ = now;
        if (errors != 0)
            events |= EV_ERR;
    }

    if (ctx_.TxPending->load(std::memory_order_acquire) && device.OutputQueueLength() == 0) {
        ctx_.TxPending->store(false, std::memory_order_release);
        events |= EV_TXEMPTY;
    }
    return 0;
}

// ---- TWriteQueue -------------------------------------------------------------------

bool TWriteQueue::Post(TWriteRequest request) {
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return false;
        queue_.push_back(std::move(request));
    }
    cv_.notify_one();
    return true;
}

bool TWriteQueue::Take(TWriteRequest& request, const TStopSignal& stop) {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return !queue_.empty() || closed_ || stop.IsSet(); });
    if (queue_.empty())
        return false;
    request = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

void TWriteQueue::Close() {
    std::deque<TWriteRequest> dropped;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        dropped.swap(queue_);
    }
    cv_.notify_all();
}

std::size_t TWriteQueue::Size() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

// ---- TWriteThread ------------------------------------------------------------------

TWriteThread::TWriteThread(const TSerialThreadContext& context)
    : VTolmThread(true), ctx_(context) {}

TWriteThread::~TWriteThread() {
    Join();
}

void TWriteThread::PostHangup(int error) {
    ctx_.Queue->Post(ctx_.MessageWindow, WM_COMM_HANGUP, error, error ? 1 : 0);
}

void TWriteThread::Execute() {
    ready_.store(true, std::memory_order_release);
    TWriteRequest request;
    for (;;) {
        const bool taken = queue_.Take(request, *ctx_.StopEvent);
        if (ctx_.StopEvent->IsSet())
            break; // a request just taken is released with it
        if (!taken)
            continue;
        if (request.Kind == WM_COMM_DATA) {
            if (request.Count == 0)
                continue; // a wake-up
            DebugLog("Writing to comm port");
            if (!WriteToPort(request.Block.data(), request.Count, false))
                break;
        } else if (request.Kind == WM_COMM_HANGUP) {
            DebugLog("Writing to comm port slowly");
            if (!WriteToPort(request.Block.data(), request.Count, true))
                break;
        } else {
            DebugLog("Unexpected message posted to Write thread: " + std::to_string(request.Kind));
        }
        request = TWriteRequest{};
    }
    DebugLog("Write thread shutting down");
    ctx_.Device->Purge(false, true);
    Terminate();
    queue_.Close();
}

bool TWriteThread::WriteToPort(const std::uint8_t* block, std::size_t count, bool slowly) {
    std::size_t offset = 0;
    std::size_t remaining = count;
    TSerialDevice& device = *ctx_.Device;
    while (remaining > 0) {
        if (ctx_.StopEvent->IsSet())
            return false;
        int error = 0;
        const long n = device.Write(block + offset, slowly ? 1 : remaining, error);
        if (n < 0) {
            if (IsDeviceGoneError(error)) {
                DebugLog("ERROR_INVALID_HANDLE, Likely that the Service Provider has closed the "
                         "port.");
                PostHangup(error);
            } else {
                LogLastError(error, "Error to writing to CommFile");
                DebugLog("Closing TAPI");
                PostHangup(0);
            }
            return false;
        }
        if (n == 0) {
            // The output queue is full: wait for room or for the stop signal, without limit.
            switch (device.Wait(*ctx_.StopEvent, true, -1)) {
            case TDeviceWait::Stopped:
                device.Purge(false, true);
                return false;
            case TDeviceWait::Gone:
                PostHangup(EIO);
                return false;
            case TDeviceWait::Failed:
                LogLastError(errno, "Write WAIT_FAILED: ");
                PostHangup(0);
                return false;
            default:
                continue;
            }
        }
        remaining -= static_cast<std::size_t>(n);
        offset += static_cast<std::size_t>(n);
        ctx_.TxPending->store(true, std::memory_order_release);
        if (slowly)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace celdara
