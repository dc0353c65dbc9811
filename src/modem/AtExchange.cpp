#include "modem/AtExchange.h"

#include "modem/ReplyParsers.h"

namespace celdara {

TAtExchange::TAtExchange(VTolmTopDistributor& distTop, IModemView& view)
    : distTop_(distTop), view_(view) {}

void TAtExchange::Send(const std::string& command, int timeoutMs) {
    LastLine_.clear();
    Lines_.clear();
    Result_.clear();
    End_ = TAtEnd::Waiting;
    Wait(timeoutMs);
    distTop_.SendComData(command);
}

void TAtExchange::Wait(int ms) {
    TimedOut_ = false;
    distTop_.SetTimeout(ms);
}

void TAtExchange::Hurry() {
    distTop_.SetTimeout(0);
}

void TAtExchange::Stop() {
    distTop_.SetTimeout(-1);
}

void TAtExchange::Take(const std::string& line) {
    LastLine_ = line;
    if (line.empty() || End_ != TAtEnd::Waiting)
        return;
    if (line == "OK") {
        End_ = TAtEnd::Ok;
        Result_ = line;
    } else if (IsFinalError(line)) {
        End_ = TAtEnd::Error;
        Result_ = line;
    } else if (Lines_.size() < kMaxReplyLines) {
        Lines_.push_back(line);
    }
}

void TAtExchange::TimeOut() {
    TimedOut_ = true;
}

bool TAtExchange::LastLineBeginsWith(const char* prefix) const {
    return LastLine_.rfind(prefix, 0) == 0;
}

std::string TAtExchange::FailureText() const {
    if (End_ == TAtEnd::Error)
        return "refused (" + Result_ + ")";
    return "unanswered";
}

void TAtExchange::Tell(const std::string& text) {
    view_.AddLine(text, kTermKindEvent);
}

} // namespace celdara
