// The writer and its queue: send requests in posting order, written whole or byte by byte.
#include "core/CommunicationComponent.h"
#include "serial/LyrComm32Threads.h"

#include <cerrno>
#include <chrono>
#include <exception>

namespace celdara {
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

TWriteThread::TWriteThread(const TSerialThreadContext& context) : TSerialThread(context) {}

TWriteThread::~TWriteThread() {
    Join();
}

void TWriteThread::Execute() {
    ready_.store(true, std::memory_order_release);
    try {
        Serve();
        DebugLog("Write thread shutting down");
        ctx_.Device->Purge(false, true);
    } catch (const std::exception& e) {
        ReportFailure(e.what());
    } catch (...) {
        ReportFailure("unknown exception");
    }
    Terminate();
    queue_.Close();
}

void TWriteThread::Serve() {
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
            ReportWriteError(error);
            return false;
        }
        if (n == 0) {
            if (!WaitForRoom())
                return false;
            continue;
        }
        remaining -= static_cast<std::size_t>(n);
        offset += static_cast<std::size_t>(n);
        ctx_.TxPending->store(true, std::memory_order_release);
        if (slowly)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void TWriteThread::ReportWriteError(int error) {
    if (IsDeviceGoneError(error)) {
        ReportPortGone(error);
        return;
    }
    LogLastError(error, "Error to writing to CommFile");
    DebugLog("Closing TAPI");
    PostHangup(0);
}

bool TWriteThread::WaitForRoom() {
    // The output queue is full: wait for room or for the stop signal, without limit.
    const TWaitResult w = ctx_.Device->Wait(*ctx_.StopEvent, true, -1);
    switch (w.Kind) {
    case TDeviceWait::Stopped:
        ctx_.Device->Purge(false, true);
        return false;
    case TDeviceWait::Gone:
        PostHangup(EIO);
        return false;
    case TDeviceWait::Failed:
        LogLastError(w.Error, "Write WAIT_FAILED: ");
        PostHangup(0);
        return false;
    default:
        return true;
    }
}

} // namespace celdara
