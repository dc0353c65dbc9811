#include "modem/SerialModemPort.h"

#include "serial/LyrComm32.h"

namespace celdara {

VTolmCommunicationComponent& SerialModemPort::Link() {
    return comm_;
}

void SerialModemPort::SetCommPort(const std::string& port) {
    comm_.SetCommPort(port);
}

bool SerialModemPort::IsRinging() {
    return comm_.IsRinging();
}

std::string SerialModemPort::OpenFailureReason() {
    return comm_.LastOpenErrorText();
}

std::string SerialModemPort::LostReason() {
    return comm_.LostErrorText();
}

} // namespace celdara
