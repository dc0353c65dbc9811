// How a simulated device waits: its own wake-up signal beside the port's stop signal, so a
// write (whose echo may be due at once) ends the reader's wait without the modem's clock.
#pragma once

#include "serial/SerialDevice.h"

namespace celdara {

class TSimWakeSignal {
public:
    TSimWakeSignal();
    ~TSimWakeSignal();
    TSimWakeSignal(const TSimWakeSignal&) = delete;
    TSimWakeSignal& operator=(const TSimWakeSignal&) = delete;

    // False when the system would not give an eventfd.
    bool Valid() const { return fd_ >= 0; }
    void Notify();
    // Waits at most timeoutMs (0 when negative) for the stop signal or a Notify, which it
    // takes. Returns 0, or the errno of a failed wait (an interrupted one is no failure).
    int Wait(const TStopSignal& stop, int timeoutMs);

private:
    int fd_;
};

} // namespace celdara
