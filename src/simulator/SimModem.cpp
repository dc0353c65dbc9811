#include "simulator/SimModem.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>

namespace celdara {

namespace {

constexpr std::uint64_t kStepMs = 1000;
constexpr std::size_t kMaxLine = 256; // longer command lines are refused, as modems do
// What the modem holds for a busy or absent partner; more is lost, as on a line without
// flow control.
constexpr std::size_t kMaxBacklog = 4096;
constexpr std::size_t kMaxQueuedOutput = 65536;
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

// S-registers that carry meaning here: line end, line feed, backspace.
constexpr int kS3 = 3;
constexpr int kS4 = 4;
constexpr int kS5 = 5;

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

bool ParseInt(std::string_view text, int& value) {
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// Splits the arguments of an extended command at commas outside quotes. Quoted fields
// keep their quotes so that a caller can tell "" from an empty field.
std::vector<std::string> SplitArgs(const std::string& args) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : args) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

bool Unquote(const std::string& field, std::string& text) {
    if (field.size() < 2 || field.front() != '"' || field.back() != '"')
        return false;
    text = field.substr(1, field.size() - 2);
    return true;
}

std::string Printf(const char* format, auto... args) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
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

} // namespace

TSimModem::TSimModem(const TSimModemOptions& options, Tick now)
    : options_(options), network_(options.Seed), modemRng_(TSimRandom(options.Seed).Fork(1)),
      lineRng_(TSimRandom(options.Seed).Fork(2)), lastTick_(now) {
    TSimRandom idRng = TSimRandom(options.Seed).Fork(3);
    imei_ = MakeImei(idRng);
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
    commands_.clear();
    pending_ = nullptr;
    reply_.clear();
    out_.clear();
    outBytes_ = 0;
    lastRegState_ = network_.RegState();
}

void TSimModem::ResetSettings() {
    echo_ = options_.Echo;
    verbose_ = true;
    quiet_ = false;
    cmee_ = 0;
    cregMode_ = 0;
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
    int state = network_.RegState();
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

// Splits a command line (the text after "AT") into commands. Blanks outside quotes do
// not count and letters are taken in either case. Basic commands follow each other
// directly ("E0V1"); an extended command runs to the next ";" or the end of the line.
bool TSimModem::ParseLine(const std::string& raw, std::vector<Command>& commands) const {
    std::string body;
    bool quoted = false;
    for (char c : raw) {
        if (c == '"')
            quoted = !quoted;
        if (!quoted && (c == ' ' || c == '\t' || c == static_cast<char>(sreg_[kS4])))
            continue;
        body += quoted ? c : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (quoted)
        return false;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0;
    while (i < body.size()) {
        char c = body[i];
        Command cmd;
        if (c == ';') {
            ++i;
            continue;
        }
        if (c == '+' || c == '^') {
            std::size_t j = i + 1;
            while (j < body.size() && std::isalnum(static_cast<unsigned char>(body[j])))
                ++j;
            if (j == i + 1)
                return false;
            cmd.name = body.substr(i, j - i);
            if (j < body.size() && body[j] == '=') {
                if (j + 1 < body.size() && body[j + 1] == '?') {
                    cmd.kind = Kind::Test;
                    j += 2;
                } else {
                    cmd.kind = Kind::Set;
                    std::size_t k = ++j;
                    bool q = false;
                    while (k < body.size() && (q || body[k] != ';')) {
                        if (body[k] == '"')
                            q = !q;
                        ++k;
                    }
                    cmd.args = body.substr(j, k - j);
                    j = k;
                }
            } else if (j < body.size() && body[j] == '?') {
                cmd.kind = Kind::Read;
                ++j;
            }
            if (j < body.size() && body[j] != ';')
                return false;
            i = j;
        } else if (c == 'S') {
            std::size_t j = i + 1;
            while (j < body.size() && isDigit(body[j]))
                ++j;
            if (j == i + 1 || !ParseInt(std::string_view(body).substr(i + 1, j - i - 1), cmd.reg))
                return false;
            cmd.name = "S";
            if (j < body.size() && body[j] == '?') {
                cmd.kind = Kind::Read;
                ++j;
            } else if (j < body.size() && body[j] == '=') {
                std::size_t k = ++j;
                while (k < body.size() && isDigit(body[k]))
                    ++k;
                cmd.kind = Kind::Set;
                cmd.args = body.substr(j, k - j);
                j = k;
            } else {
                return false;
            }
            i = j;
        } else if (c == '&' || std::isalpha(static_cast<unsigned char>(c))) {
            std::size_t j = i + 1;
            if (c == '&') {
                if (j >= body.size() || !std::isalpha(static_cast<unsigned char>(body[j])))
                    return false;
                ++j;
            }
            cmd.name = body.substr(i, j - i);
            std::size_t k = j;
            while (k < body.size() && isDigit(body[k]))
                ++k;
            cmd.args = body.substr(j, k - j);
            i = k;
        } else {
            return false;
        }
        commands.push_back(std::move(cmd));
        // Answering ends the line: what follows "A" is not looked at.
        if (commands.back().name == "A")
            break;
    }
    return true;
}

void TSimModem::RunCommands() {
    while (next_ < commands_.size()) {
        const Command& cmd = commands_[next_++];
        responseOpen_ = false;
        bool faulty = std::find(faults_.ErrorCommands.begin(), faults_.ErrorCommands.end(),
                                cmd.name) != faults_.ErrorCommands.end();
        if (!Handle(faulty ? Fail() : Execute(cmd)))
            return;
    }
    FinishLine("OK");
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

// ---- output -------------------------------------------------------------------------

void TSimModem::Info(const std::string& line) {
    if (!faults_.MissingPrefix.empty() && line.rfind(faults_.MissingPrefix, 0) == 0)
        return;
    // The lines of one command form one response: a line break before it, one after
    // each line.
    if (verbose_ && !responseOpen_)
        reply_ += "\r\n";
    responseOpen_ = true;
    reply_ += line + "\r\n";
}

void TSimModem::ResultCode(const std::string& code) {
    if (quiet_)
        return;
    if (verbose_ || code.rfind("+CME", 0) == 0) {
        reply_ += "\r\n" + code + "\r\n";
        return;
    }
    static const std::pair<const char*, const char*> numeric[] = {
        {"OK", "0"}, {"CONNECT", "1"}, {"RING", "2"}, {"NO CARRIER", "3"}, {"ERROR", "4"}};
    for (const auto& [text, number] : numeric) {
        if (code.rfind(text, 0) == 0) {
            reply_ += std::string(number) + "\r";
            return;
        }
    }
}

void TSimModem::Urc(const std::string& code) {
    if (network_.CallState() == TSimCallState::Data && code != "NO CARRIER")
        return;
    std::string keep = std::move(reply_);
    bool keepOpen = responseOpen_;
    reply_.clear();
    responseOpen_ = false;
    if (code.rfind("+CREG", 0) == 0)
        Info(code);
    else
        ResultCode(code);
    FlushReply();
    reply_ = std::move(keep);
    responseOpen_ = keepOpen;
}

void TSimModem::FlushReply() {
    if (!reply_.empty())
        Send(std::move(reply_), at_ + options_.ReplyLatency);
    reply_.clear();
}

void TSimModem::Send(std::string bytes, std::uint64_t due) {
    if (bytes.empty() || faults_.Silent || faults_.Vanished ||
        outBytes_ + bytes.size() > kMaxQueuedOutput)
        return;
    if (faults_.NoisePerMille > 0) {
        std::string noisy;
        for (char c : bytes) {
            if (lineRng_.Chance(faults_.NoisePerMille)) {
                char garbage = static_cast<char>(lineRng_.Range(0, 255));
                if (lineRng_.Chance(500)) {
                    noisy += garbage; // an extra byte
                } else {
                    c = garbage; // a garbled one
                }
            }
            noisy += c;
        }
        bytes = std::move(noisy);
    }
    // Output leaves in the order it was made, whatever its latency.
    due = std::max(due, lastDue_);
    outBytes_ += bytes.size();
    if (faults_.Split && bytes.size() > 1) {
        int pieces = lineRng_.Range(2, static_cast<int>(std::min<std::size_t>(bytes.size(), 4)));
        std::vector<std::size_t> cuts;
        while (static_cast<int>(cuts.size()) < pieces - 1) {
            auto cut =
                static_cast<std::size_t>(lineRng_.Range(1, static_cast<int>(bytes.size()) - 1));
            if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end())
                cuts.push_back(cut);
        }
        std::sort(cuts.begin(), cuts.end());
        std::size_t from = 0;
        cuts.push_back(bytes.size());
        for (std::size_t cut : cuts) {
            out_.push_back({due, bytes.substr(from, cut - from)});
            from = cut;
            // Longer than a reader's inter-byte pause, so the pieces arrive as pieces.
            due += static_cast<std::uint64_t>(lineRng_.Range(15, 40));
        }
        lastDue_ = out_.back().due;
        return;
    }
    out_.push_back({due, std::move(bytes)});
    lastDue_ = due;
}

// ---- commands -----------------------------------------------------------------------

TSimModem::Outcome TSimModem::Execute(const Command& cmd) {
    const std::string& n = cmd.name;
    if (n[0] != '+' && n[0] != '^')
        return ExecuteBasic(cmd);
    if (n == "+COPS")
        return ExecuteCops(cmd);
    auto simple = [&](const std::string& line) {
        if (cmd.kind == Kind::Test)
            return Ok();
        if (cmd.kind != Kind::Action)
            return Fail();
        Info(line);
        return Ok();
    };
    if (n == "+CGMI" || n == "+GMI")
        return simple(options_.Manufacturer);
    if (n == "+CGMM" || n == "+GMM")
        return simple(options_.Model);
    if (n == "+CGMR" || n == "+GMR")
        return simple(options_.Revision);
    if (n == "+CGSN" || n == "+GSN")
        return simple(imei_);
    if (n == "+CSQ") {
        if (cmd.kind == Kind::Test) {
            Info("+CSQ: (0-31,99),(0-7,99)");
            return Ok();
        }
        return simple(Printf("+CSQ: %d,%d", network_.CsqRssi(), network_.CsqBer()));
    }
    if (n == "+CPAS") {
        if (cmd.kind == Kind::Test) {
            Info("+CPAS: (0-5)");
            return Ok();
        }
        return simple("+CPAS: " + std::to_string(PhoneActivity()));
    }
    if (n == "+CREG" || n == "+CMEE") {
        int& value = n == "+CREG" ? cregMode_ : cmee_;
        switch (cmd.kind) {
        case Kind::Test:
            Info(n + ": (0-2)");
            return Ok();
        case Kind::Read:
            Info(n == "+CREG" ? CregLine() : "+CMEE: " + std::to_string(cmee_));
            return Ok();
        case Kind::Set: {
            int v = 0;
            if (!ParseInt(cmd.args, v) || v < 0 || v > 2)
                return Fail(50);
            value = v;
            return Ok();
        }
        case Kind::Action:
            value = 0;
            return Ok();
        }
    }
    if (n == "^MONI" || n == "^MONP") {
        if (cmd.kind == Kind::Test)
            return Ok();
        if (cmd.kind != Kind::Action)
            return Fail();
        if (n == "^MONI") {
            Info("chann rs  dBm  MCC MNC  LAC cell NCC BCC PWR RXLev  C1");
            if (auto s = network_.Serving()) {
                Info(Printf("%5d %2d %4d %3d  %02d %04X %04X %3d %3d %3d %5d %3d", s->Channel,
                            s->Rssi, s->Dbm, s->Mcc, s->Mnc, s->Lac, s->CellId, s->Ncc, s->Bcc,
                            s->Pwr, s->RxLevMin, s->C1));
            } else {
                Info("Searching");
            }
        } else {
            Info("chann rs  dBm  MCC MNC BCC  C1  C2");
            for (const TSimCellReport& c : network_.Neighbours())
                Info(Printf("%5d %2d %4d %3d  %02d %3d %3d %3d", c.Channel, c.Rssi, c.Dbm, c.Mcc,
                            c.Mnc, c.Bcc, c.C1, c.C2));
        }
        return Ok();
    }
    return Fail(); // not a command this modem knows
}

TSimModem::Outcome TSimModem::ExecuteBasic(const Command& cmd) {
    const std::string& n = cmd.name;
    int v = 0;
    bool noValue = cmd.args.empty();
    bool hasValue = !noValue && ParseInt(cmd.args, v);
    auto flag = [&](bool& setting) {
        if (noValue || (hasValue && v == 0))
            setting = false;
        else if (hasValue && v == 1)
            setting = true;
        else
            return Fail();
        return Ok();
    };
    if (n == "E")
        return flag(echo_);
    if (n == "V")
        return flag(verbose_);
    if (n == "Q")
        return flag(quiet_); // after ATQ1 not even its own "OK" comes
    if (n == "Z" || n == "&F") {
        if (!noValue && !(hasValue && v == 0))
            return Fail();
        ResetSettings();
        return Ok();
    }
    if (n == "I") {
        Info(options_.Manufacturer);
        Info(options_.Model);
        Info("REVISION " + options_.Revision);
        return Ok();
    }
    // Settings of a data modem that terminal programs send in their set-up strings.
    if (n == "X" || n == "L" || n == "M" || n == "&C" || n == "&D" || n == "&K" || n == "&W")
        return Ok();
    if (n == "S") {
        if (cmd.reg < 0 || cmd.reg >= static_cast<int>(sreg_.size()))
            return Fail();
        if (cmd.kind == Kind::Read) {
            Info(Printf("%03d", sreg_[cmd.reg]));
            return Ok();
        }
        if (!ParseInt(cmd.args, v) || v < 0 || v > 255)
            return Fail();
        sreg_[cmd.reg] = v;
        return Ok();
    }
    if (n == "H") {
        network_.HangUp();
        return Ok();
    }
    if (n == "A") {
        if (!network_.Ringing())
            return Finish("NO CARRIER");
        // The network takes a moment to put the call through.
        return Later(static_cast<std::uint32_t>(modemRng_.Range(300, 1500)), [this] {
            switch (network_.Answer()) {
            case TSimCallState::Voice:
                return Finish("OK");
            case TSimCallState::Data:
                return Finish("CONNECT 9600");
            default:
                return Finish("NO CARRIER"); // the caller gave up meanwhile
            }
        });
    }
    return Fail();
}

TSimModem::Outcome TSimModem::ExecuteCops(const Command& cmd) {
    if (cmd.kind == Kind::Read) {
        Info(CopsReadLine());
        return Ok();
    }
    if (cmd.kind == Kind::Test) {
        // A network scan takes a few seconds.
        return Later(static_cast<std::uint32_t>(modemRng_.Range(3000, 6000)), [this] {
            Info(CopsTestLine());
            return Ok();
        });
    }
    if (cmd.kind == Kind::Action)
        return Fail();
    std::vector<std::string> f = SplitArgs(cmd.args);
    int mode = 0;
    if (!ParseInt(f[0], mode) || mode < 0 || mode > 4 || f.size() > 3)
        return Fail(50);
    int format = copsFormat_;
    if (f.size() >= 2 && (!ParseInt(f[1], format) || format < 0 || format > 2))
        return Fail(50);
    std::string name;
    if (f.size() == 3 && !Unquote(f[2], name))
        return Fail(50);
    switch (mode) {
    case 0:
        copsFormat_ = format;
        if (!network_.AutomaticWouldMove() && network_.Selection() == TSimSelection::Automatic)
            return Ok();
        return Later(static_cast<std::uint32_t>(modemRng_.Range(800, 1800)), [this] {
            network_.SelectAutomatic();
            return Ok();
        });
    case 2:
        return Later(static_cast<std::uint32_t>(modemRng_.Range(500, 1500)), [this] {
            network_.Deregister();
            return Ok();
        });
    case 3:
        if (f.size() != 2)
            return Fail(50);
        copsFormat_ = format;
        return Ok();
    default: // 1 manual, 4 manual falling back to automatic
        if (f.size() != 3 || name.empty())
            return Fail(50);
        copsFormat_ = format;
        return SelectOperator(mode, format, name);
    }
}

// Registration on a chosen network is a search of the band and a location update: it
// takes seconds, longer when the network is not found at all.
TSimModem::Outcome TSimModem::SelectOperator(int mode, int format, const std::string& name) {
    const TSimOperator* op = TSimNetwork::FindOperator(name, format);
    bool reachable = op != nullptr && network_.IsVisible(*op);
    auto ms = static_cast<std::uint32_t>(reachable ? modemRng_.Range(2500, 6000)
                                                   : modemRng_.Range(5000, 9000));
    return Later(ms, [this, op, mode] {
        bool fallback = mode == 4;
        if (op != nullptr && network_.SelectManual(*op, fallback))
            return Ok();
        if (fallback) {
            network_.SelectAutomatic();
            return Ok();
        }
        return Fail(30);
    });
}

std::string TSimModem::CopsReadLine() const {
    int mode = network_.Selection() == TSimSelection::Automatic ? 0
               : network_.Selection() == TSimSelection::Manual  ? 1
                                                                : 2;
    const TSimOperator* op = network_.Registered();
    if (op == nullptr)
        return "+COPS: " + std::to_string(mode);
    const std::string& name = copsFormat_ == 0   ? op->LongName
                              : copsFormat_ == 1 ? op->ShortName
                                                 : op->Code;
    return Printf("+COPS: %d,%d,\"%s\"", mode, copsFormat_, name.c_str());
}

std::string TSimModem::CopsTestLine() const {
    std::string line = "+COPS: ";
    const TSimOperator* current = network_.Registered();
    for (const TSimOperator& op : SimOperators()) {
        if (!network_.IsVisible(op))
            continue;
        int stat = current != nullptr && current->Code == op.Code ? 2 : 1;
        line += Printf("(%d,\"%s\",\"%s\",\"%s\"),", stat, op.LongName.c_str(),
                       op.ShortName.c_str(), op.Code.c_str());
    }
    return line + ",(0-4),(0-2)";
}

std::string TSimModem::CregLine() const {
    std::string line = Printf("+CREG: %d,%d", cregMode_, network_.RegState());
    auto serving = network_.Serving();
    if (cregMode_ == 2 && serving && network_.Registered() != nullptr)
        line += Printf(",\"%04X\",\"%04X\"", serving->Lac, serving->CellId);
    return line;
}

int TSimModem::PhoneActivity() const {
    switch (network_.CallState()) {
    case TSimCallState::Ringing:
        return 3;
    case TSimCallState::Voice:
    case TSimCallState::Data:
        return 4;
    case TSimCallState::Idle:
        break;
    }
    // While the network state is unknown, so is whether the phone could take a call.
    return network_.RegState() == 4 ? 2 : 0;
}

} // namespace celdara
