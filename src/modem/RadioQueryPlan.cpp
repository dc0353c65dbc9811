#include "modem/RadioQueryPlan.h"

#include "util/TextConvert.h"

#include <algorithm>

namespace celdara {

void TRadioQueryPlan::Learn(std::string_view manufacturer, std::string_view model) {
    Queries_.clear();
    for (TRadioQuery& query : RadioQueriesFor(manufacturer, model))
        Queries_.push_back({std::move(query)});
    Join_ = true;
    StartCycle();
}

std::vector<std::string> TRadioQueryPlan::Commands() const {
    std::vector<std::string> commands;
    for (const TLearnt& learnt : Queries_)
        if (!learnt.Dropped)
            commands.push_back(std::string(Trim(learnt.Query.Command)));
    return commands;
}

void TRadioQueryPlan::StartCycle() {
    Joined_.clear();
    JoinedAsked_ = false;
    Cursor_ = 0;
}

std::string TRadioQueryPlan::NextCommand() {
    if (!JoinedAsked_) {
        JoinedAsked_ = true;
        std::string line = JoinedLine();
        if (!line.empty()) {
            AskingJoined_ = true;
            return line;
        }
    }
    while (Cursor_ < Queries_.size()) {
        const std::size_t index = Cursor_++;
        const bool joined = std::find(Joined_.begin(), Joined_.end(), index) != Joined_.end();
        if (Queries_[index].Dropped || joined)
            continue;
        AskingJoined_ = false;
        Asking_ = index;
        return Queries_[index].Query.Command;
    }
    return {};
}

std::string TRadioQueryPlan::JoinedLine() {
    // Extended commands the modem has answered one by one go on one line, as the status poll
    // does: each round trip saved is a shorter cycle. Their replies are told apart by their
    // prefixes.
    Joined_.clear();
    if (Join_) {
        for (std::size_t i = 0; i < Queries_.size(); ++i)
            if (Queries_[i].Answered && !Queries_[i].Dropped &&
                Queries_[i].Query.Command.rfind("AT+", 0) == 0)
                Joined_.push_back(i);
    }
    if (Joined_.size() < 2) {
        Joined_.clear();
        return {};
    }
    std::string line = "AT";
    for (std::size_t i : Joined_) {
        const std::string_view command = Trim(Queries_[i].Query.Command);
        line += (line.size() > 2 ? ";" : "") + std::string(command.substr(2));
    }
    return line + "\r";
}

std::string TRadioQueryPlan::TakeReply(const TAtExchange& exchange, TModemStatus& status) {
    if (AskingJoined_)
        return TakeJoinedReply(exchange, status);
    if (Asking_ >= Queries_.size())
        return {};
    return TakeSingleReply(Queries_[Asking_], exchange, status);
}

std::string TRadioQueryPlan::TakeJoinedReply(const TAtExchange& exchange, TModemStatus& status) {
    AskingJoined_ = false;
    if (exchange.End() == TAtEnd::Ok) {
        for (std::size_t i : Joined_)
            Queries_[i].Query.Parse(exchange.Lines(), status);
        return {};
    }
    // Some firmware takes only one vendor command a line: one by one from now on, and in
    // this cycle too, so that it has its values.
    Join_ = false;
    Joined_.clear();
    return "  The radio commands on one line went " + exchange.FailureText() +
           ": they are sent one by one on this connection.";
}

std::string TRadioQueryPlan::TakeSingleReply(TLearnt& learnt, const TAtExchange& exchange,
                                             TModemStatus& status) {
    const std::string command(Trim(learnt.Query.Command));
    switch (exchange.End()) {
    case TAtEnd::Ok:
        learnt.Misses = 0;
        learnt.Answered = true;
        learnt.Query.Parse(exchange.Lines(), status);
        return {};
    case TAtEnd::Error:
        learnt.Dropped = true;
        break;
    case TAtEnd::Waiting:
        if (++learnt.Misses < kRadioQueryMisses)
            return {};
        learnt.Dropped = true;
        return "  " + command + " unanswered " + std::to_string(kRadioQueryMisses) +
               " times: not asked again on this connection.";
    }
    return "  " + command + " " + exchange.FailureText() + ": not asked again on this connection.";
}

} // namespace celdara
