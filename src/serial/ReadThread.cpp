// The reader: turns the device's bytes and line changes into posted messages.
#include "core/CommunicationComponent.h"
#include "core/TickClock.h"
#include "serial/LyrComm32Threads.h"
#include "util/Debug.h"

#include <algorithm>
#include <cerrno>
#include <exception>

namespace celdara {
namespace {

// When a chunk is complete, from the read time-outs at its start. A read ends when the
// buffer is full, when the line has been quiet for more than the read interval after a
// byte, or when the total time-out has run out; an interval of 0xFFFFFFFF with no total
// returns what is there at once; no time-outs at all wait for a full buffer.
struct TChunkTiming {
    std::uint32_t Interval = 0;
    bool TotalSet = false;
    bool Immediate = false;
    Tick Start = 0;
    std::uint64_t Total = 0;
};

TChunkTiming ChunkTiming(const TReadTimeouts& timeouts, Tick now) {
    TChunkTiming t;
    t.Interval = timeouts.Interval.load(std::memory_order_relaxed);
    const std::uint32_t mult = timeouts.TotalMult.load(std::memory_order_relaxed);
    const std::uint32_t constant = timeouts.TotalConst.load(std::memory_order_relaxed);
    t.TotalSet = mult != 0 || constant != 0;
    t.Immediate = t.Interval == 0xFFFFFFFFu && !t.TotalSet;
    t.Start = now;
    t.Total = static_cast<std::uint64_t>(mult) * kReadBufferSize + constant;
    return t;
}

// How long to wait for the next byte of a chunk; `cutByWait` when a wait that runs out
// ends the chunk. False when the total time-out has run out already.
bool NextByteWait(const TChunkTiming& t, Tick now, int& waitMs, bool& cutByWait) {
    waitMs = 100;
    cutByWait = false;
    if (t.Interval != 0 && t.Interval != 0xFFFFFFFFu) {
        waitMs = static_cast<int>(std::min<std::uint32_t>(t.Interval, 100000));
        cutByWait = true;
    }
    if (!t.TotalSet)
        return true;
    const Tick elapsed = static_cast<Tick>(now - t.Start);
    if (elapsed >= t.Total)
        return false;
    const auto left = static_cast<int>(std::min<std::uint64_t>(t.Total - elapsed, 100000));
    if (!cutByWait || left < waitMs) {
        waitMs = left;
        cutByWait = false; // re-checked against the total before the next wait
    }
    return true;
}

} // namespace

TReadThread::TReadThread(const TSerialThreadContext& context, std::uint32_t eventMask, char evtChar)
    : TSerialThread(context), eventMask_(eventMask), evtChar_(evtChar) {
    chunk_.reserve(kReadBufferSize + 1);
}

TReadThread::~TReadThread() {
    Join();
    if (Progress() != 101 && Progress() != 0)
        DebugStop("prusvih");
}

void TReadThread::Execute() {
    progress_.store(1, std::memory_order_release);
    try {
        TSerialDevice& device = *ctx_.Device;
        // The starting levels of the lines and counters: changes from here on are events.
        if (device.GetModemStatus(status_) != 0)
            status_ = 0;
        countersKnown_ = device.GetLineCounters(counters_);
        progress_.store(2, std::memory_order_release);
        Watch();
        DebugLog("Read thread shutting down");
        device.Purge(true, false);
    } catch (const std::exception& e) {
        ReportFailure(e.what());
    } catch (...) {
        ReportFailure("unknown exception");
    }
    Terminate();
    progress_.store(101, std::memory_order_release);
}

void TReadThread::Watch() {
    TSerialDevice& device = *ctx_.Device;
    // Once the device has failed, the reader only waits for the stop signal and keeps
    // asking for modem-status polls, which find the port lost.
    bool watching = true;
    for (;;) {
        std::uint32_t events = 0;
        bool stopped = false;
        const TWaitResult w =
            watching ? device.Wait(*ctx_.StopEvent, false, 100) : TWaitResult(TDeviceWait::Timeout);
        if (!HandleWait(w, events, stopped))
            watching = false;
        if (stopped || ctx_.StopEvent->IsSet())
            break;
        // Nothing to watch: wait for the stop signal alone, at most 100 ms.
        if (!watching && w == TDeviceWait::Timeout && ctx_.StopEvent->Wait(100))
            break;
        if (watching && !ReportLineEvents(events))
            watching = false;
        RequestModemPoll();
    }
    DebugLog("Time to Exit");
}

bool TReadThread::HandleWait(const TWaitResult& wait, std::uint32_t& events, bool& stopped) {
    switch (wait.Kind) {
    case TDeviceWait::Stopped:
        stopped = true;
        return true;
    case TDeviceWait::Ready: {
        const int error = ReadChunk(events, stopped);
        if (error == 0)
            return true;
        if (IsDeviceGoneError(error)) {
            ReportPortGone(error);
        } else {
            PostHangup(0);
            LogLastError(error, "Unable to HandleReadEvent: ");
        }
        return false;
    }
    case TDeviceWait::Gone:
        ReportPortGone(EIO);
        return false;
    case TDeviceWait::Timeout:
        return true;
    case TDeviceWait::Failed:
        LogLastError(wait.Error, "Read WAIT_FAILED: ");
        PostHangup(0);
        return true;
    }
    return true;
}

int TReadThread::ReadChunk(std::uint32_t& events, bool& stopped) {
    TSerialDevice& device = *ctx_.Device;
    chunk_.clear();
    std::uint8_t buffer[kReadBufferSize];
    const TChunkTiming timing = ChunkTiming(*ctx_.Timeouts, SystemTickClock().Now());
    for (;;) {
        int error = 0;
        const long n = device.Read(buffer, kReadBufferSize - chunk_.size(), error);
        if (n < 0) {
            PostChunk(events);
            return error;
        }
        chunk_.insert(chunk_.end(), buffer, buffer + n);
        if (chunk_.size() >= kReadBufferSize || timing.Immediate) {
            PostChunk(events);
            return 0;
        }
        if (chunk_.empty())
            return 0; // woken without data (it went to another reader of the device)
        int waitMs = 0;
        bool cutByWait = false;
        if (!NextByteWait(timing, SystemTickClock().Now(), waitMs, cutByWait)) {
            PostChunk(events);
            return 0;
        }
        const TWaitResult w = device.Wait(*ctx_.StopEvent, false, waitMs);
        switch (w.Kind) {
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
        case TDeviceWait::Failed:
            PostChunk(events);
            return w.Error ? w.Error : EIO;
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

bool TReadThread::ReportLineEvents(std::uint32_t events) {
    std::uint32_t errors = 0;
    const int error = CheckLines(events, errors);
    const bool gone = error != 0 && IsDeviceGoneError(error);
    if (gone)
        PostHangup(error);
    events &= eventMask_;
    if (events != 0) {
        if (!(events & EV_ERR))
            errors = 0;
        ctx_.Queue->Post(ctx_.MessageWindow, WM_COMM_EVENT, static_cast<std::intptr_t>(events),
                         static_cast<std::intptr_t>(errors) * 65536 +
                             static_cast<std::intptr_t>(status_ & 0xFFFF));
    }
    return !gone;
}

void TReadThread::RequestModemPoll() {
    if (TickElapsed(ctx_.LastModemPoll->load(std::memory_order_acquire), 10,
                    SystemTickClock().Now()))
        ctx_.Queue->Post(ctx_.MessageWindow, WM_COMM_POLL);
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

} // namespace celdara
