// The modem monitor's view of the serial component: its link, the port name, the ring line
// and the reason an open failed. The window owns one and hands it to the ModemMonitor.
#pragma once

#include "modem/ModemView.h"

namespace celdara {

class TLyrComm32;

class SerialModemPort : public IModemPort {
public:
    explicit SerialModemPort(TLyrComm32& comm) : comm_(comm) {}

    VTolmCommunicationComponent& Link() override;
    void SetCommPort(const std::string& port) override;
    bool IsRinging() override;
    std::string OpenFailureReason() override;
    std::string LostReason() override;

private:
    TLyrComm32& comm_;
};

} // namespace celdara
