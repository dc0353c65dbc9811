#include "simulator/SimModemPort.h"

#include <algorithm>
#include <cstring>

namespace celdara {

TSimModemPort::TSimModemPort(const TSimModemOptions& options, Tick now) : modem_(options, now) {}

bool TSimModemPort::Write(std::string_view bytes, Tick now) {
    std::lock_guard<std::mutex> guard(lock_);
    modem_.Advance(now);
    if (modem_.Vanished())
        return false;
    modem_.Receive(bytes, now);
    return true;
}

long TSimModemPort::Read(char* buffer, std::size_t count, Tick now) {
    std::lock_guard<std::mutex> guard(lock_);
    modem_.Advance(now);
    if (modem_.Vanished()) {
        rest_.clear();
        return -1;
    }
    std::size_t copied = 0;
    while (copied < count) {
        if (rest_.empty())
            rest_ = modem_.Transmit(now);
        if (rest_.empty())
            break;
        std::size_t n = std::min(count - copied, rest_.size());
        std::memcpy(buffer + copied, rest_.data(), n);
        rest_.erase(0, n);
        copied += n;
    }
    return static_cast<long>(copied);
}

bool TSimModemPort::Readable(Tick now) {
    std::lock_guard<std::mutex> guard(lock_);
    modem_.Advance(now);
    return !modem_.Vanished() && (!rest_.empty() || modem_.HasOutput(now));
}

std::uint32_t TSimModemPort::ModemStatus(Tick now) {
    std::lock_guard<std::mutex> guard(lock_);
    modem_.Advance(now);
    return modem_.ModemLines();
}

bool TSimModemPort::Vanished(Tick now) {
    std::lock_guard<std::mutex> guard(lock_);
    modem_.Advance(now);
    return modem_.Vanished();
}

std::uint64_t TSimModemPort::Replugs(Tick now) {
    std::lock_guard<std::mutex> guard(lock_);
    modem_.Advance(now);
    return modem_.Replugs();
}

Tick TSimModemPort::TimeToNextEvent(Tick now) {
    std::lock_guard<std::mutex> guard(lock_);
    return rest_.empty() ? modem_.TimeToNextEvent(now) : 0;
}

void TSimModemPort::PurgeInput(Tick now) {
    std::lock_guard<std::mutex> guard(lock_);
    rest_.clear();
    modem_.DropArrivedOutput(now);
}

void TSimModemPort::SetFaults(const TSimFaults& faults, Tick now) {
    std::lock_guard<std::mutex> guard(lock_);
    modem_.Advance(now);
    modem_.SetFaults(faults);
    if (faults.Vanished)
        rest_.clear();
}

} // namespace celdara
