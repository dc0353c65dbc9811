// The thread base of the serial component and what its reader and writer share.
#include "core/CommunicationComponent.h"
#include "serial/LyrComm32Threads.h"
#include "serial/PosixThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>

namespace celdara {

VTolmThread::VTolmThread(bool CreateSuspended) {
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
}

void VTolmThread::Run() {
    tid_.store(CurrentThreadId(), std::memory_order_release);
    ApplyPriority();
    try {
        Execute();
    } catch (...) {
        // An exception must not leave a std::thread (that ends the program); the serial
        // threads report their own failures before one could get here.
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
    if (tid != 0)
        ApplyThreadPriority(tid, priority_.load());
}

bool VTolmThread::WaitFor(unsigned timeoutMs) {
    std::unique_lock lock(mutex_);
    if (!thread_.joinable())
        return true;
    return finishedCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [this] { return finished_; });
}

void VTolmThread::Join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void TSerialThread::PostHangup(int error) {
    ctx_.Queue->Post(ctx_.MessageWindow, WM_COMM_HANGUP, error, error ? 1 : 0);
}

void TSerialThread::DebugLog(std::string_view line) {
    VTolmCommunicationComponent::DebugLog(line);
}

void TSerialThread::LogLastError(int error, std::string_view prefix) {
    VTolmCommunicationComponent::LogLastError(error, prefix);
}

void TSerialThread::ReportPortGone(int error) {
    DebugLog("ERROR_INVALID_HANDLE, Likely that the Service Provider has closed the port.");
    PostHangup(error);
}

void TSerialThread::ReportFailure(std::string_view what) {
    DebugLog(std::string("Serial thread failed: ") + std::string(what));
    PostHangup(EIO);
}

} // namespace celdara
