// Open and close: the device, its stop signal and the two worker threads; sending.
#include "serial/LyrComm32.h"
#include "serial/LyrComm32Threads.h"
#include "util/TextCut.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>

namespace celdara {

TCommState TLyrComm32::GetState() {
    switch (handle_) {
    case THandle::None:
        return CommStateDisconnected;
    case THandle::Invalid:
        return CommStateFailed;
    case THandle::Valid:
        return CommStateConnected;
    }
    return CommStateDisconnected;
}

bool TLyrComm32::Open() {
    if (IsDesigning()) {
        handle_ = THandle::Invalid;
        return false;
    }
    if (IsOpen()) {
        // A reopen reports no intermediate state.
        suppressStateReports_ = true;
        Close();
        suppressStateReports_ = false;
    }
    const std::string name = OpenName();
    deviceName_ = GetDeviceName(name);
    lastOpenName_ = name;
    lostError_ = 0;

    int error = 0;
    std::unique_ptr<TSerialDevice> device;
    if (name.empty())
        error = ENOENT;
    else
        device = OpenSerialDevice(name, error);
    if (!device) {
        LogLastError(error, "Unable to open " + name + ": ");
        lastOpenError_ = error;
        deviceName_.clear();
        handle_ = THandle::Invalid;
        PostStateChange(CommStateFirst);
        return false;
    }
    lastOpenError_ = 0;
    device_ = std::move(device);
    handle_ = THandle::Valid;
    UpdateDCB2(); // a refused block still leaves a usable port

    stopEvent_ = std::make_unique<TStopSignal>();
    if (!stopEvent_->Valid()) {
        LogLastError(stopEvent_->CreateError(), "Unable to CreateEvent: ");
        Close();
        return false;
    }
    StartThreads();
    PostStateChange(CommStateFirst);
    return true;
}

std::uint32_t TLyrComm32::ReaderEventMask() const {
    std::uint32_t mask = 0;
    std::size_t pos = 0;
    // A Bluetooth port never reports an empty output queue.
    const bool bluetooth = CutPrefix(pos, deviceName_, "BTPORT", false);
    for (int e = lyceBreak; e <= lyceTXEMPTY; ++e) {
        const auto event = static_cast<LyrComm32SkipEvent>(e);
        if (event == lyceTXEMPTY && bluetooth)
            continue;
        if (!options_->SkipEvents.Contains(event))
            mask |= SkipEventMask(event);
    }
    return mask;
}

template <typename TThread, typename TMake>
void TLyrComm32::StartWorker(std::unique_ptr<TThread>& thread, const char* failure, TMake make) {
    try {
        thread = make();
        thread->Resume();
    } catch (const std::system_error& e) {
        LogLastError(e.code().value(), failure);
        Close();
        throw ECommsError(failure);
    }
}

void TLyrComm32::StartThreads() {
    TSerialThreadContext ctx;
    ctx.Device = device_.get();
    ctx.StopEvent = stopEvent_.get();
    ctx.Queue = &queue_;
    ctx.MessageWindow = MessageWindow();
    ctx.LastModemPoll = &lastModemPoll_;
    ctx.Timeouts = readTimeouts_.get();
    ctx.TxPending = &txPending_;
    txPending_.store(false);

    StartWorker(readThread_, "Unable to create Read thread",
                [&] { return std::make_unique<TReadThread>(ctx, ReaderEventMask(), chars_->Evt); });
    readThread_->SetPriority(5);
    StartWorker(writeThread_, "Unable to create Write thread",
                [&] { return std::make_unique<TWriteThread>(ctx); });
    writeThread_->SetPriority(4);
}

void TLyrComm32::Close() {
    ClosePort(false);
}

void TLyrComm32::ClosePort(bool Failed) {
    if (handle_ == THandle::Invalid)
        handle_ = THandle::None;
    DebugLog("Stopping the Comm");
    if (stopEvent_)
        stopEvent_->Set();
    CloseReadThread();
    CloseWriteThread();
    stopEvent_.reset();
    // Received bytes that no handler has seen are dropped. So are hang-up reports of this
    // session: one handled after a reopen would close the new port.
    queue_.RemoveMessages(MessageWindow(), WM_COMM_DATA);
    queue_.RemoveMessages(MessageWindow(), WM_COMM_HANGUP);
    deviceName_.clear();
    device_.reset();
    if (Failed) {
        handle_ = THandle::Invalid;
        PostStateChange(CommStateFailed);
    } else {
        handle_ = THandle::None;
        PostStateChange(CommStateDisconnected);
    }
}

void TLyrComm32::CloseReadThread() {
    if (!readThread_)
        return;
    DebugLog("Closing Read Thread ");
    if (device_)
        device_->Purge(true, false);
    if (!readThread_->WaitFor(10000)) {
        DebugLog("Read thread not exiting.  Terminating it.");
        readThread_->Terminate();
    }
    readThread_.reset(); // waits for the thread to end
}

void TLyrComm32::CloseWriteThread() {
    if (!writeThread_)
        return;
    DebugLog("Closing Write Thread");
    if (device_)
        device_->Purge(false, true);
    writeThread_->Queue().Post(TWriteRequest{WM_COMM_DATA, {}, 0}); // a wake-up
    if (!writeThread_->WaitFor(10000)) {
        DebugLog("Write thread not exiting.  Terminating it.");
        writeThread_->Terminate();
    }
    writeThread_.reset();
}

bool TLyrComm32::SendData(const void* Buffer, std::int32_t Length) {
    if (!writeThread_) {
        DebugLog("Write thread not created");
        return false;
    }
    if (Length < 0)
        return false;
    TWriteRequest request;
    request.Kind = WM_COMM_DATA;
    request.Count = static_cast<std::size_t>(Length);
    request.Block.resize(request.Count + 1);
    if (Length > 0)
        std::copy_n(static_cast<const std::uint8_t*>(Buffer), request.Count, request.Block.data());
    while (!writeThread_->Ready() && !writeThread_->Terminated())
        std::this_thread::yield();
    if (!writeThread_->Queue().Post(std::move(request))) {
        DebugLog("Failed to Post to Write thread. ");
        return false;
    }
    return true;
}

} // namespace celdara
