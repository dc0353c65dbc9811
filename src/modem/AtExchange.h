// One AT command and its reply, as the state machine has them: the command line is sent, the
// reply's information lines are collected (bounded), and the exchange ends on the final result
// code ("OK", "ERROR", "+CME ERROR: <err>", "+CMS ERROR: <err>") or on its time-out. The one
// time-out of the distributor is armed here, so a pause without a command (a retry, the gap
// between cycles) waits through the exchange too. What the machine says of the dialogue goes
// to the terminal through it.
#pragma once

#include "distributor/TopDistributor.h"
#include "modem/ModemView.h"
#include "modem/RadioDialect.h"

#include <cstddef>
#include <string>
#include <vector>

namespace celdara {

// Information lines kept of one reply; a modem that talks on is cut off there.
inline constexpr std::size_t kMaxReplyLines = 64;

enum class TAtEnd {
    Waiting, // no final result code yet (or nothing sent)
    Ok,      // "OK"
    Error,   // "ERROR", "+CME ERROR: ...", "+CMS ERROR: ..."
};

class TAtExchange {
public:
    TAtExchange(VTolmTopDistributor& distTop, IModemView& view);

    // Sends `command` (with its "\r") and waits up to `timeoutMs` for its end. The lines of
    // the exchange before are forgotten.
    void Send(const std::string& command, int timeoutMs);
    // Waits `ms` with nothing sent: TimedOut() once they have passed.
    void Wait(int ms);
    // Makes the armed wait end at the distributor's next tick, as it is.
    void Hurry();
    // No wait any more: the time-out does not fire.
    void Stop();

    // A line the modem sent, trimmed (empty for a bare line end).
    void Take(const std::string& line);
    // The armed wait has passed.
    void TimeOut();

    TAtEnd End() const { return End_; }
    bool TimedOut() const { return TimedOut_; }
    // The latest line received; cleared when a command is sent.
    const std::string& LastLine() const { return LastLine_; }
    bool LastLineBeginsWith(const char* prefix) const;
    // The reply's information lines so far, at most kMaxReplyLines.
    const TReplyLines& Lines() const { return Lines_; }
    // How the exchange failed, for the terminal: "unanswered" or "refused (<result code>)".
    std::string FailureText() const;

    // A line of the machine's own in the terminal.
    void Tell(const std::string& text);

private:
    VTolmTopDistributor& distTop_;
    IModemView& view_;
    TAtEnd End_ = TAtEnd::Waiting;
    bool TimedOut_ = false;
    std::string LastLine_;
    std::string Result_;
    TReplyLines Lines_;
};

} // namespace celdara
