// Which radio queries a modem is asked, learnt per connection as it answers: the queries of
// its maker and model (RadioQueriesFor), one refused is dropped at once and one unanswered
// kRadioQueryMisses times in a row is dropped too, so that no cycle waits on a command the
// modem lacks; the extended queries it has answered go on one line, as the status poll
// does, until the modem refuses that line. The machine asks what NextCommand gives and hands
// each exchange back to TakeReply.
#pragma once

#include "modem/AtExchange.h"
#include "modem/ModemStatus.h"
#include "modem/RadioDialect.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

// Unanswered radio queries in a row after which the query is not sent again.
inline constexpr int kRadioQueryMisses = 3;

class TRadioQueryPlan {
public:
    // Starts anew with the queries of the modem that +CGMI / +CGMM named.
    void Learn(std::string_view manufacturer, std::string_view model);

    // The queries still sent, as commands without their "\r".
    std::vector<std::string> Commands() const;

    // Begins the queries of one poll cycle.
    void StartCycle();
    // The next command line of the cycle (with its "\r"), or empty when all are asked.
    std::string NextCommand();
    // The end of the exchange of the command NextCommand gave: its reply fills `status`.
    // Gives what the terminal is to be told, or empty.
    std::string TakeReply(const TAtExchange& exchange, TModemStatus& status);

private:
    struct TLearnt {
        TRadioQuery Query;
        int Misses = 0;        // unanswered sends in a row
        bool Answered = false; // answered alone at least once
        bool Dropped = false;
    };

    std::string JoinedLine();
    std::string TakeJoinedReply(const TAtExchange& exchange, TModemStatus& status);
    std::string TakeSingleReply(TLearnt& learnt, const TAtExchange& exchange, TModemStatus& status);

    std::vector<TLearnt> Queries_;
    bool Join_ = true;
    std::vector<std::size_t> Joined_; // the queries on this cycle's joined line
    bool JoinedAsked_ = false;
    std::size_t Cursor_ = 0; // the next query of the cycle asked alone
    std::size_t Asking_ = 0; // the query asked alone, when not AskingJoined_
    bool AskingJoined_ = false;
};

} // namespace celdara
