// The simulated modem as one serial device sees it. A serial port has a reader thread, a
// writer thread and the main thread asking for the modem lines, all at once; this wraps
// the engine for them: one lock, reads of any size, and "gone" while the device has
// vanished. What is left for a serial-device adapter is waiting and errno values.
#pragma once

#include "simulator/SimModem.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace celdara {

class TSimModemPort {
public:
    TSimModemPort(const TSimModemOptions& options, Tick now);

    // Bytes the host writes. False (nothing taken) while the device has vanished.
    bool Write(std::string_view bytes, Tick now);
    // Copies up to `count` bytes that have arrived by `now`; 0 when none have, -1 while
    // the device has vanished.
    long Read(char* buffer, std::size_t count, Tick now);
    // True when a Read at `now` would return bytes.
    bool Readable(Tick now);
    // The modem-status word: CTS 0x10, DSR 0x20, RING 0x40, RLSD 0x80; 0 once vanished.
    std::uint32_t ModemStatus(Tick now);
    bool Vanished(Tick now);
    // See TSimModem::Replugs: an adapter notes it when opened and treats a later value
    // like Vanished.
    std::uint64_t Replugs(Tick now);
    // How long a waiting reader may sleep before something can arrive. A write can make
    // output due at once (the echo), so a reader should also wake when one happens.
    Tick TimeToNextEvent(Tick now);
    // Drops what has arrived and not been read (a purge of the receive side).
    void PurgeInput(Tick now);
    // Changes the faults on a running device (the terminal tool and tests).
    void SetFaults(const TSimFaults& faults, Tick now);
    // Runs `f` on the engine under the lock (to start a call, to look at the network).
    template <class F>
    auto Locked(F f) {
        std::lock_guard<std::mutex> guard(lock_);
        return f(modem_);
    }

private:
    std::mutex lock_;
    TSimModem modem_;
    std::string rest_; // the part of a piece that a short read left over
};

} // namespace celdara
