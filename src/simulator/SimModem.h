// The simulated GSM modem: an AT command engine on top of the simulated network. It is
// driven from outside by three things only: bytes written to it, a request for the bytes
// it has to send, and the caller's millisecond tick. It has no thread, timer or system
// call of its own, so a pseudo-terminal, a built-in serial device or a test can all run
// it; given the same seed, the same bytes at the same ticks give the same traffic.
#pragma once

#include "simulator/SimDialect.h"
#include "simulator/SimFaults.h"
#include "simulator/SimNetwork.h"
#include "simulator/SimRandom.h"
#include "util/Tick.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

// Modem-status bits, with the values of the serial device's modem-status word.
inline constexpr std::uint32_t kSimLineCts = 0x10;
inline constexpr std::uint32_t kSimLineDsr = 0x20;
inline constexpr std::uint32_t kSimLineRing = 0x40;
inline constexpr std::uint32_t kSimLineRlsd = 0x80;

struct TSimModemOptions {
    std::uint64_t Seed = 1;
    bool Echo = true;                // command echo after power-up, as real modems start
    std::uint32_t ReplyLatency = 20; // ms from the end of a command line to its reply
    TSimFaults Faults;
    // Cycles through the faults on a fixed timetable instead of using Faults (the
    // "virtual-modem-faulty" device).
    bool FaultCycle = false;
    // The identity +CGMI / +CGMM answer; empty: the dialect's own.
    std::string Manufacturer;
    std::string Model;
    std::string Revision = "1.0";
    // How the modem words its replies: one of SimDialectNames(). "gsm" is the Siemens-type
    // modem in a GSM-only world; the others live in a world with UMTS, LTE and NR.
    std::string Dialect = "gsm";
    // The technologies beyond GSM on their timetable, repeating; empty: SimLteTimetable().
    // The gsm dialect has none.
    std::vector<TSimRadioPhase> Phases;
    // Seconds into the timetable at power-on, so that a phase can be had at once.
    int PhaseOffset = 0;
};

class TSimModem {
public:
    TSimModem(const TSimModemOptions& options, Tick now);

    // Bytes the host wrote to the modem.
    void Receive(std::string_view bytes, Tick now);
    // The next piece of output that is due by `now`, or empty when none is. A reply
    // normally comes as one piece; the split fault cuts it into several, due at
    // different times.
    std::string Transmit(Tick now);
    // True when Transmit(now) would return bytes.
    bool HasOutput(Tick now);
    // Runs the modem up to `now`: delayed replies, drift of the network, RINGs, faults.
    void Advance(Tick now);
    // Milliseconds from `now` until the modem next has something to do or to send
    // (0: at once). A driver with a real clock sleeps at most this long.
    Tick TimeToNextEvent(Tick now);

    // Drops the output that has arrived by `now` and not been taken: what a purge of the
    // receive side on the host finds. Replies still on their way are not touched.
    void DropArrivedOutput(Tick now);

    // CTS, DSR, RING while a call rings, RLSD while a data call is up; 0 once vanished.
    std::uint32_t ModemLines() const;
    bool Vanished() const { return faults_.Vanished; }
    // How often the device has come back after vanishing. A tty opened before a replug
    // stays dead, as a real one does; comparing this tells an old opening from a new one.
    std::uint64_t Replugs() const { return replugs_; }

    const TSimFaults& Faults() const { return faults_; }
    // Switching Vanished off again is a replug: the modem powers up afresh.
    void SetFaults(const TSimFaults& faults);

    bool EchoOn() const { return echo_; }
    // True while a command line is being executed (for instance an operator search).
    bool Busy() const { return executing_; }
    // True while AT+COPS=? searches for networks.
    bool Scanning() const { return scanning_; }
    int CopsFormat() const { return copsFormat_; }
    const std::string& Imei() const { return imei_; }
    const TSimDialect& Dialect() const { return *dialect_; }
    TSimNetwork& Network() { return network_; }
    const TSimNetwork& Network() const { return network_; }

private:
    using Kind = TSimCommandKind;
    struct Command {
        std::string name; // "E", "&F", "S", "+CSQ", "^MONI"
        Kind kind = Kind::Action;
        std::string args;
        int reg = 0; // S-register number
    };
    // What executing one command leads to.
    struct Outcome {
        enum Type { Continue, Error, Final, Delay } type = Continue;
        int cme = -1;     // Error: the +CME ERROR number, -1 for a plain "ERROR"
        std::string text; // Final: the result code
        std::uint32_t ms = 0;
        std::function<Outcome()> then; // Delay: runs when the time is up
    };
    struct Piece {
        std::uint64_t due;
        std::string bytes;
    };

    static Outcome Ok() { return {}; }
    static Outcome Fail(int cme = -1) { return {Outcome::Error, cme, {}, 0, {}}; }
    static Outcome Finish(std::string text) { return {Outcome::Final, -1, std::move(text), 0, {}}; }
    static Outcome Later(std::uint32_t ms, std::function<Outcome()> then) {
        return {Outcome::Delay, -1, {}, ms, std::move(then)};
    }

    void Sync(Tick now);
    void PowerUp();
    void ResetSettings();
    void WorldStep();
    void NextFaultPhase();
    void ProcessInput();
    void ExecuteLine(const std::string& line);
    bool ParseLine(const std::string& line, std::vector<Command>& commands) const;
    bool CommandBody(const std::string& raw, std::string& body) const;
    // Each parses one command that begins at body[i] and moves i past it.
    static bool ParseExtended(const std::string& body, std::size_t& i, Command& cmd);
    static bool ParseSRegister(const std::string& body, std::size_t& i, Command& cmd);
    static bool ParseBasic(const std::string& body, std::size_t& i, Command& cmd);
    void RunCommands();
    static bool FaultyCommand(const Command& cmd, const std::vector<std::string>& names);
    Outcome FaultOutcome(const Command& cmd) const;
    void AbortScan();
    bool Handle(Outcome outcome);
    void CompleteDelayed();
    void FinishLine(const std::string& result);
    Outcome Execute(const Command& cmd);
    Outcome ExecuteBasic(const Command& cmd);
    Outcome ExecuteSRegister(const Command& cmd);
    Outcome AnswerCall();
    Outcome ExecuteQuery(const Command& cmd);
    Outcome AnswerLine(const Command& cmd, const std::string& line);
    Outcome ExecuteReporting(const Command& cmd);
    Outcome ExecuteCellMonitor(const Command& cmd);
    Outcome ExecuteCops(const Command& cmd);
    Outcome SelectOperator(int mode, int format, const std::string& name);
    std::string CopsReadLine() const;
    Outcome ScanNetworks();
    std::string CopsTestLine() const;
    std::string CregLine() const;
    std::string CregLocation() const;
    int CregState() const;
    Outcome AskDialect(const Command& cmd);
    TSimDialectContext DialectContext() const;
    std::string_view ManufacturerName() const;
    std::string_view ModelName() const;
    int PhoneActivity() const;
    void Info(const std::string& line);
    void ResultCode(const std::string& code);
    void Urc(const std::string& code);
    void FlushReply();
    void Send(std::string bytes, std::uint64_t due);
    std::string ErrorText(int cme) const;

    TSimModemOptions options_;
    const TSimDialect* dialect_;
    bool nr_ = false; // the model has NR
    TSimNetwork network_;
    TSimRandom modemRng_; // delays of commands
    TSimRandom lineRng_;  // splitting and noise
    TSimFaults faults_;
    std::string imei_;
    std::string imsi_; // the home network's code and a subscriber number

    std::uint64_t clock_ = 0; // ms since construction
    Tick lastTick_;
    std::uint64_t at_ = 0; // the moment being processed
    std::uint64_t nextStep_ = 1000;
    std::uint64_t nextPhase_ = 0;
    std::size_t phase_ = 0;

    // Settings a power-up or ATZ restores.
    bool echo_ = true;
    bool verbose_ = true;
    bool quiet_ = false;
    int cmee_ = 0;
    int cregMode_ = 0;
    int ceregMode_ = 0;
    int c5gregMode_ = 0;
    int copsFormat_ = 0;
    std::array<int, 32> sreg_{};

    // Command-line assembly and execution.
    std::string backlog_; // received, not yet taken in (the modem is busy)
    std::string line_;
    bool inLine_ = false;
    bool sawA_ = false;
    std::string lastLine_;
    bool executing_ = false;
    bool scanning_ = false; // AT+COPS=? under way: a character aborts it
    std::uint64_t scanStart_ = 0;
    std::vector<Command> commands_;
    std::size_t next_ = 0;
    std::uint64_t busyUntil_ = 0;
    std::function<Outcome()> pending_;
    std::string reply_;
    bool responseOpen_ = false; // the current command has begun its information response
    int lastRegState_ = -1;

    std::deque<Piece> out_;
    std::size_t outBytes_ = 0;
    std::uint64_t lastDue_ = 0;
    std::uint64_t replugs_ = 0;
};

} // namespace celdara
