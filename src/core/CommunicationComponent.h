// The contract of a communication link: its state, the four events that deliver state
// changes and received bytes, and the operations to open, close and send. The distributor
// binds to this type only; the serial port is one concrete link.
#pragma once

#include "core/Component.h"
#include "core/Event.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace celdara {

// One byte; handlers compare the ordinals.
enum TCommState : std::uint8_t {
    CommStateFailed = 0,       // opening failed, or the link was lost while open
    CommStateDisconnected = 1, // closed
    CommStateConnected = 2,    // open
    CommStateFirst = 3,        // nothing reported yet; as a request: report the current state
};

class VTolmCommunicationComponent;

using TEventReceiveData = TEvent<void(VTolmCommunicationComponent* Sender, const void* Buffer,
                                      std::uint16_t BufferLength)>;
using TEventChangeState = TEvent<void(TObject* Sender, TCommState State)>;
using TAdvancedEventReceiveData = TEvent<void(VTolmCommunicationComponent* Sender, TObject* Channel,
                                              const void* Buffer, std::uint16_t BufferLength)>;
using TAdvancedEventChangeState =
    TEvent<void(VTolmCommunicationComponent* Sender, TObject* Channel, TCommState State)>;

class VTolmCommunicationComponent : public TComponent {
public:
    explicit VTolmCommunicationComponent(TComponent* owner);
    ~VTolmCommunicationComponent() override;

    // How the link names its one channel in the advanced events and AdvancedSendData:
    // nil when true, the component itself when false.
    bool TreatMainChannelAsNil = true;

    // Virtual so that a concrete link can react to a new handler.
    virtual TEventReceiveData GetOnReceiveData() const { return FOnReceiveData; }
    virtual void SetOnReceiveData(TEventReceiveData handler) {
        FOnReceiveData = std::move(handler);
    }
    virtual TEventChangeState GetOnStateChange() const { return FOnStateChange; }
    virtual void SetOnStateChange(TEventChangeState handler) {
        FOnStateChange = std::move(handler);
    }
    virtual TAdvancedEventReceiveData GetOnAdvancedReceiveData() const {
        return FOnAdvancedReceiveData;
    }
    virtual void SetOnAdvancedReceiveData(TAdvancedEventReceiveData handler) {
        FOnAdvancedReceiveData = std::move(handler);
    }
    virtual TAdvancedEventChangeState GetOnAdvancedStateChange() const {
        return FOnAdvancedStateChange;
    }
    virtual void SetOnAdvancedStateChange(TAdvancedEventChangeState handler) {
        FOnAdvancedStateChange = std::move(handler);
    }

    // The link settings as one text, and applying such a text.
    virtual std::string GetConfigAsString() = 0;
    virtual void SetConfigAsString(const std::string& Text) = 0;
    // Destroys the component itself.
    virtual void Release();
    virtual bool Open() = 0;
    // Closes in an orderly way; the state becomes CommStateDisconnected.
    virtual void Close() = 0;
    // Hands Length bytes to the link; true when they were accepted.
    virtual bool SendData(const void* Buffer, std::int32_t Length) = 0;
    // Sends on the link's own channel only (see TreatMainChannelAsNil); false otherwise.
    virtual bool AdvancedSendData(TObject* Channel, const void* Buffer, std::int32_t Length);
    // True while the link is open. A concrete link overrides it; while the base part is all
    // that is left of a link being destroyed, the link counts as closed.
    virtual bool IsOpen();
    virtual TCommState GetState() = 0;
    // Lets the user edit the settings. The base shows nothing and returns true.
    virtual bool ShowConfigDialog(bool UseAppWindow);

    // Raises OnReceiveData, then OnAdvancedReceiveData, for one chunk of received bytes.
    // The buffer stays the caller's and is valid only during the call.
    void DoReceiveData(const void* Buffer, std::uint16_t BufferLength);

    // The system's text for an errno value, or nothing when no text could be made.
    // Thread-safe; keeps no state.
    static std::optional<std::string> FormatLastError(int ErrorCode);
    // Builds Prefix + "GetLastError returned: " + quoted text (at most 4095 characters) and
    // passes it to DebugLog. Thread-safe.
    static void LogLastError(int ErrorCode, std::string_view Prefix = {});
    // The diagnostic sink of the serial family: discards its input unless a sink is set.
    static void DebugLog(std::string_view Line);

    // Where DebugLog lines go (nullptr: nowhere). Safe to change from any thread; the sink
    // itself must be thread-safe.
    using TDebugLogSink = void (*)(std::string_view Line);
    static void SetDebugLogSink(TDebugLogSink sink);

protected:
    // The state rule of a concrete link: OnStateChange(Self, State), then
    // OnAdvancedStateChange(Self, Self, State) whatever TreatMainChannelAsNil says.
    void RaiseStateChange(TCommState State);
    // The channel object this link reports its traffic on.
    TObject* MainChannel() { return TreatMainChannelAsNil ? nullptr : this; }

    TEventReceiveData FOnReceiveData;
    TEventChangeState FOnStateChange;
    TAdvancedEventReceiveData FOnAdvancedReceiveData;
    TAdvancedEventChangeState FOnAdvancedStateChange;

private:
    static std::atomic<TDebugLogSink> debugLogSink_;
};

} // namespace celdara
