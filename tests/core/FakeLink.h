// A communication component for tests: records what is sent, delivers chunks on demand.
#pragma once

#include "core/CommunicationComponent.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace celdara::testing {

class TFakeLink : public VTolmCommunicationComponent {
public:
    using VTolmCommunicationComponent::VTolmCommunicationComponent;
    ~TFakeLink() override { NotifyRemoval(); }

    std::string GetConfigAsString() override { return config; }
    void SetConfigAsString(const std::string& Text) override { config = Text; }
    bool Open() override {
        open = true;
        RaiseStateChange(CommStateConnected);
        return true;
    }
    void Close() override {
        open = false;
        RaiseStateChange(CommStateDisconnected);
    }
    bool SendData(const void* Buffer, std::int32_t Length) override {
        ++sendCalls;
        sentBytes += static_cast<std::uint64_t>(Length);
        if (keepSent)
            sent.append(static_cast<const char*>(Buffer), static_cast<std::size_t>(Length));
        return true;
    }
    bool IsOpen() override { return open; }
    TCommState GetState() override { return open ? CommStateConnected : CommStateDisconnected; }

    // One received chunk, as the reader thread's message would deliver it.
    void Receive(std::string_view bytes) {
        DoReceiveData(bytes.data(), static_cast<std::uint16_t>(bytes.size()));
    }

    std::string config;
    bool open = false;
    bool keepSent = true;
    std::string sent;
    int sendCalls = 0;
    std::uint64_t sentBytes = 0;
};

} // namespace celdara::testing
