#include "core/CommunicationComponent.h"

#include "util/SystemError.h"

#include <new>

namespace celdara {

std::atomic<VTolmCommunicationComponent::TDebugLogSink> VTolmCommunicationComponent::debugLogSink_{
    nullptr};

VTolmCommunicationComponent::VTolmCommunicationComponent(TComponent* owner) : TComponent(owner) {
    TreatMainChannelAsNil = true;
}

VTolmCommunicationComponent::~VTolmCommunicationComponent() {
    // A bound distributor asks IsOpen when told of the removal: it must meet this class,
    // not a bare component.
    NotifyRemoval();
}

void VTolmCommunicationComponent::Release() {
    delete this;
}

bool VTolmCommunicationComponent::AdvancedSendData(TObject* Channel, const void* Buffer,
                                                   std::int32_t Length) {
    if (Channel != MainChannel())
        return false;
    return SendData(Buffer, Length);
}

bool VTolmCommunicationComponent::IsOpen() {
    return false;
}

bool VTolmCommunicationComponent::ShowConfigDialog(bool) {
    return true;
}

void VTolmCommunicationComponent::DoReceiveData(const void* Buffer, std::uint16_t BufferLength) {
    if (FOnReceiveData)
        FOnReceiveData(this, Buffer, BufferLength);
    if (FOnAdvancedReceiveData)
        FOnAdvancedReceiveData(this, MainChannel(), Buffer, BufferLength);
}

void VTolmCommunicationComponent::RaiseStateChange(TCommState State) {
    if (FOnStateChange)
        FOnStateChange(this, State);
    if (FOnAdvancedStateChange)
        FOnAdvancedStateChange(this, this, State);
}

std::optional<std::string> VTolmCommunicationComponent::FormatLastError(int ErrorCode) {
    try {
        // The C library always has an answer; codes without a text get "Error XXXXXXXX".
        return SystemErrorText(ErrorCode);
    } catch (const std::bad_alloc&) {
        DebugLog("Out of memory trying to FormatLastError");
        return std::nullopt;
    }
}

void VTolmCommunicationComponent::LogLastError(int ErrorCode, std::string_view Prefix) {
    constexpr std::size_t kMaxLine = 4095;
    std::string line;
    try {
        if (auto text = FormatLastError(ErrorCode)) {
            line.reserve(Prefix.size() + text->size() + 32);
            line.append(Prefix).append("GetLastError returned: \"").append(*text).append("\"");
        } else {
            line.append(Prefix).append("Out of memory");
        }
    } catch (const std::bad_alloc&) {
        return; // nothing sensible can be logged
    }
    if (line.size() > kMaxLine)
        line.resize(kMaxLine);
    DebugLog(line);
}

void VTolmCommunicationComponent::DebugLog(std::string_view Line) {
    if (TDebugLogSink sink = debugLogSink_.load(std::memory_order_acquire))
        sink(Line);
}

void VTolmCommunicationComponent::SetDebugLogSink(TDebugLogSink sink) {
    debugLogSink_.store(sink, std::memory_order_release);
}

} // namespace celdara
