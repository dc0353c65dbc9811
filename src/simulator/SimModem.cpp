#include "simulator/SimModem.h"

#include "simulator/SimModemDetail.h"

#include <algorithm>
#include <limits>

namespace celdara {

using namespace simmodem;

namespace {

constexpr std::uint64_t kStepMs = 1000;
// What the modem holds for a busy or absent partner; more is lost, as on a line without
// flow control.
constexpr std::size_t kMaxBacklog = 4096;
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();
// V.250 5.6.1: characters within 125 ms of the line's end do not abort the command.
constexpr std::uint64_t kAbortGuardMs = 125;

// The timetable of the faulty device: each phase lasts its seconds, then the next begins.
struct FaultPhase {
    int seconds;
    const char* faults; // ApplySimFault items separated by blanks; empty is healthy
};
constexpr FaultPhase kFaultCycle[] = {
    {30, ""},
    {20, "split"},
    {20, "noise=15"},
    {20, "missing=+CPAS"},
    {20, "error=^MONP"},
    {10, "silent"},
    {20, "error=+CSQ"},
    {20, ""},
    {5, "vanish"},
};

TSimFaults PhaseFaults(const FaultPhase& phase) {
    TSimFaults faults;
    std::string_view items = phase.faults;
    std::string ignored;
    while (!items.empty()) {
        auto blank = items.find(' ');
        ApplySimFault(items.substr(0, blank), faults, ignored);
        items = blank == std::string_view::npos ? std::string_view{} : items.substr(blank + 1);
    }
    return faults;
}

// An IMEI: a type code, a serial number from the seed and the Luhn check digit.
std::string MakeImei(TSimRandom& rng) {
    std::string digits =
        "35" + Printf("%06d", rng.Range(0, 999999)) + Printf("%06d", rng.Range(0, 999999));
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        int d = digits[digits.size() - 1 - i] - '0';
        if (i % 2 == 0) {
            d *= 2;
            if (d > 9)
                d -= 9;
        }
        sum += d;
    }
    return digits + static_cast<char>('0' + (10 - sum % 10) % 10);
}

bool Listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

TSimModem::TSimModem(const TSimModemOptions& options, Tick now)
    : options_(options), dialect_(FindSimDialect(options.Dialect)), network_(options.Seed),
      modemRng_(TSimRandom(options.Seed).Fork(1)), lineRng_(TSimRandom(options.Seed).Fork(2)),
      lastTick_(now) {
    if (dialect_ == nullptr)
        dialect_ = &SimGsmDialect();
    if (!dialect_->SiemensMonitor()) {
        nr_ = dialect_->HasNr(ModelName());
        network_.SetRadioPlan(options_.Phases.empty() ? SimLteTimetable() : options_.Phases,
                              options_.PhaseOffset, nr_);
    }
    TSimRandom idRng = TSimRandom(options.Seed).Fork(3);
    imei_ = MakeImei(idRng);
    imsi_ = SimOperators()[0].Code + Printf("%05d", idRng.Range(0, 99999)) +
            Printf("%05d", idRng.Range(0, 99999));
    if (options_.FaultCycle) {
        phase_ = 0;
        faults_ = PhaseFaults(kFaultCycle[0]);
        nextPhase_ = static_cast<std::uint64_t>(kFaultCycle[0].seconds) * 1000;
    } else {
        faults_ = options_.Faults;
        nextPhase_ = kNever;
    }
    PowerUp();
}

void TSimModem::PowerUp() {
    ResetSettings();
    backlog_.clear();
    line_.clear();
    inLine_ = sawA_ = false;
    executing_ = false;
    scanning_ = false;
    commands_.clear();
    pending_ = nullptr;
    reply_.clear();
    out_.clear();
    outBytes_ = 0;
    lastRegState_ = CregState();
}

void TSimModem::ResetSettings() {
    echo_ = options_.Echo;
    verbose_ = true;
    quiet_ = false;
    cmee_ = 0;
    cregMode_ = 0;
    ceregMode_ = 0;
    c5gregMode_ = 0;
    copsFormat_ = 0;
    sreg_.fill(0);
    sreg_[kS3] = '\r';
    sreg_[kS4] = '\n';
    sreg_[kS5] = '\b';
}

void TSimModem::SetFaults(const TSimFaults& faults) {
    bool replug = faults_.Vanished && !faults.Vanished;
    faults_ = faults;
    if (faults_.Vanished) {
        // Whatever was on its way is lost with the device.
        out_.clear();
        outBytes_ = 0;
        backlog_.clear();
    }
    if (replug) {
        ++replugs_;
        PowerUp();
    }
}

// The tick wraps every 49 days; the modem keeps its own 64-bit time. A tick that went
// back (rather than wrapped) is taken as no time at all.
void TSimModem::Sync(Tick now) {
    Tick delta = now - lastTick_;
    lastTick_ = now;
    if (delta < 0x80000000u)
        clock_ += delta;
}

void TSimModem::Advance(Tick now) {
    Sync(now);
    // Every due event runs at its own moment, so how often the caller comes by does not
    // change what happens.
    for (;;) {
        std::uint64_t busy = executing_ && pending_ ? busyUntil_ : kNever;
        std::uint64_t next = std::min({busy, nextPhase_, nextStep_});
        if (next > clock_)
            break;
        at_ = next;
        if (next == busy)
            CompleteDelayed();
        else if (next == nextPhase_)
            NextFaultPhase();
        else
            WorldStep();
    }
    at_ = clock_;
}

Tick TSimModem::TimeToNextEvent(Tick now) {
    Advance(now);
    std::uint64_t next = std::min(nextPhase_, nextStep_);
    if (executing_ && pending_)
        next = std::min(next, busyUntil_);
    if (!out_.empty())
        next = std::min(next, out_.front().due);
    return next <= clock_ ? 0
                          : static_cast<Tick>(std::min<std::uint64_t>(next - clock_, 0x7FFFFFFF));
}

void TSimModem::WorldStep() {
    nextStep_ += kStepMs;
    TSimNetworkEvents events = network_.Step();
    if (events.Ring)
        Urc("RING");
    if (events.CallEnded)
        Urc("NO CARRIER");
    int state = CregState();
    if (state != lastRegState_) {
        lastRegState_ = state;
        if (cregMode_ == 1)
            Urc("+CREG: " + std::to_string(state));
        else if (cregMode_ == 2)
            Urc(CregLine().substr(0, 7) + CregLine().substr(9));
    }
}

void TSimModem::NextFaultPhase() {
    phase_ = (phase_ + 1) % std::size(kFaultCycle);
    nextPhase_ += static_cast<std::uint64_t>(kFaultCycle[phase_].seconds) * 1000;
    SetFaults(PhaseFaults(kFaultCycle[phase_]));
}

std::uint32_t TSimModem::ModemLines() const {
    if (faults_.Vanished)
        return 0;
    std::uint32_t lines = kSimLineCts | kSimLineDsr;
    if (network_.Ringing())
        lines |= kSimLineRing;
    if (network_.CallState() == TSimCallState::Data)
        lines |= kSimLineRlsd;
    return lines;
}

void TSimModem::Receive(std::string_view bytes, Tick now) {
    Advance(now);
    if (faults_.Vanished || faults_.Silent)
        return;
    if (scanning_ && !bytes.empty()) {
        if (at_ < scanStart_ + kAbortGuardMs)
            return;
        AbortScan();
        bytes.remove_prefix(1);
    }
    for (char c : bytes) {
        if (faults_.NoisePerMille > 0 && lineRng_.Chance(faults_.NoisePerMille))
            c = static_cast<char>(lineRng_.Range(0, 255));
        if (backlog_.size() < kMaxBacklog)
            backlog_ += c;
    }
    ProcessInput();
}

std::string TSimModem::Transmit(Tick now) {
    Advance(now);
    if (out_.empty() || out_.front().due > clock_)
        return {};
    std::string bytes = std::move(out_.front().bytes);
    out_.pop_front();
    outBytes_ -= bytes.size();
    return bytes;
}

bool TSimModem::HasOutput(Tick now) {
    Advance(now);
    return !out_.empty() && out_.front().due <= clock_;
}

void TSimModem::DropArrivedOutput(Tick now) {
    Advance(now);
    while (!out_.empty() && out_.front().due <= clock_) {
        outBytes_ -= out_.front().bytes.size();
        out_.pop_front();
    }
}

// Takes received bytes in while no command runs, as V.250 describes: everything up to
// "AT" (or "at") is dropped, backspace edits the line, the line-end character runs it,
// and "A/" runs the previous line again.
void TSimModem::ProcessInput() {
    std::string echo;
    std::size_t taken = 0;
    while (!executing_ && taken < backlog_.size()) {
        char c = backlog_[taken++];
        if (network_.CallState() == TSimCallState::Data)
            continue; // online: the bytes go to the far end
        if (echo_)
            echo += c;
        if (!inLine_) {
            if (sawA_ && (c == 'T' || c == 't')) {
                inLine_ = true;
                line_.clear();
            } else if (sawA_ && c == '/') {
                Send(std::move(echo), at_);
                echo.clear();
                ExecuteLine(lastLine_);
            }
            sawA_ = (c == 'A' || c == 'a');
            continue;
        }
        if (c == static_cast<char>(sreg_[kS3])) {
            inLine_ = sawA_ = false;
            Send(std::move(echo), at_);
            echo.clear();
            ExecuteLine(line_);
        } else if (c == static_cast<char>(sreg_[kS5])) {
            if (!line_.empty())
                line_.pop_back();
        } else if (line_.size() <= kMaxLine) {
            line_ += c;
        }
    }
    backlog_.erase(0, taken);
    Send(std::move(echo), at_);
}

void TSimModem::ExecuteLine(const std::string& line) {
    lastLine_ = line;
    executing_ = true;
    reply_.clear();
    commands_.clear();
    next_ = 0;
    if (line.size() > kMaxLine || !ParseLine(line, commands_)) {
        FinishLine("ERROR");
        return;
    }
    RunCommands();
}

void TSimModem::RunCommands() {
    while (next_ < commands_.size()) {
        const Command& cmd = commands_[next_++];
        responseOpen_ = false;
        if (!Handle(FaultyCommand(cmd, faults_.ErrorCommands) ? FaultOutcome(cmd) : Execute(cmd)))
            return;
    }
    FinishLine("OK");
}

bool TSimModem::FaultyCommand(const Command& cmd, const std::vector<std::string>& names) {
    return Listed(names, cmd.name) || (cmd.kind == Kind::Test && Listed(names, cmd.name + "=?"));
}

// A refused scan is a search that found no network: 27.007 9.2.1 error 30.
TSimModem::Outcome TSimModem::FaultOutcome(const Command& cmd) const {
    return cmd.name == "+COPS" && cmd.kind == Kind::Test && !Listed(faults_.ErrorCommands, "+COPS")
               ? Fail(30)
               : Fail();
}

// V.250 5.6.1: a character from the host aborts a command that may be aborted, and the
// modem ends it with a result code. The manuals list +COPS among those commands without
// naming the code for the scan; the simulated modems end it as a command that did not
// complete, with "ERROR", which every host takes as the end of the command.
void TSimModem::AbortScan() {
    scanning_ = false;
    pending_ = nullptr;
    FinishLine("ERROR");
}

// True when the line goes on with its next command.
bool TSimModem::Handle(Outcome outcome) {
    switch (outcome.type) {
    case Outcome::Continue:
        return true;
    case Outcome::Error:
        FinishLine(ErrorText(outcome.cme));
        return false;
    case Outcome::Final:
        FinishLine(outcome.text);
        return false;
    case Outcome::Delay:
        // What the line has answered so far goes out now; the rest waits.
        FlushReply();
        busyUntil_ = at_ + outcome.ms;
        pending_ = std::move(outcome.then);
        return false;
    }
    return false;
}

void TSimModem::CompleteDelayed() {
    auto then = std::move(pending_);
    pending_ = nullptr;
    if (Handle(then()))
        RunCommands();
    ProcessInput();
}

void TSimModem::FinishLine(const std::string& result) {
    ResultCode(result);
    FlushReply();
    executing_ = false;
    commands_.clear();
    next_ = 0;
}

std::string TSimModem::ErrorText(int cme) const {
    if (cme < 0 || cmee_ == 0)
        return "ERROR";
    if (cmee_ == 1)
        return "+CME ERROR: " + std::to_string(cme);
    switch (cme) {
    case 3:
        return "+CME ERROR: operation not allowed";
    case 4:
        return "+CME ERROR: operation not supported";
    case 30:
        return "+CME ERROR: no network service";
    case 50:
        return "+CME ERROR: incorrect parameters";
    default:
        return "+CME ERROR: unknown";
    }
}

} // namespace celdara
