// One AT exchange: how its reply ends and what it keeps; the radio queries learnt over the
// exchanges of a connection.
#include "modem/AtExchange.h"

#include "MonitorFixture.h"
#include "modem/RadioQueryPlan.h"

#include <gtest/gtest.h>

namespace celdara::testing {
namespace {

class AtExchangeTest : public ::testing::Test {
protected:
    // Lines the modem sent for one exchange.
    void Reply(const std::vector<std::string>& lines) {
        for (const std::string& line : lines)
            exchange.Take(line);
    }

    TManualTickClock clock{5000};
    VTolmTopDistributor top{nullptr, &clock};
    RecordingView view;
    TAtExchange exchange{top, view};
};

TEST_F(AtExchangeTest, EndsOnTheFinalResultCodesAndKeepsTheLinesBeforeThem) {
    struct TRow {
        const char* Name;
        std::vector<std::string> Lines;
        TAtEnd End;
        TReplyLines Kept;
        const char* Failure;
    };
    const TRow rows[] = {
        {"OK",
         {"", "+CESQ: 99,99,255,255,20,45", "", "OK"},
         TAtEnd::Ok,
         {"+CESQ: 99,99,255,255,20,45"},
         "unanswered"},
        {"ERROR", {"ERROR"}, TAtEnd::Error, {}, "refused (ERROR)"},
        {"+CME ERROR", {"+CME ERROR: 4"}, TAtEnd::Error, {}, "refused (+CME ERROR: 4)"},
        {"+CMS ERROR", {"+CMS ERROR: 500"}, TAtEnd::Error, {}, "refused (+CMS ERROR: 500)"},
        {"a line that only begins with OK is a line",
         {"OKAY", "OK"},
         TAtEnd::Ok,
         {"OKAY"},
         "unanswered"},
        {"no end yet",
         {"+QCAINFO: \"PCC\",1300,100,\"LTE BAND 3\",1,120,-95,-10,-65,12"},
         TAtEnd::Waiting,
         {"+QCAINFO: \"PCC\",1300,100,\"LTE BAND 3\",1,120,-95,-10,-65,12"},
         "unanswered"},
        {"what follows the end is not the reply's",
         {"OK", "RING", "+CREG: 1"},
         TAtEnd::Ok,
         {},
         "unanswered"},
    };
    for (const TRow& row : rows) {
        exchange.Send("AT\r", 1000);
        Reply(row.Lines);
        EXPECT_EQ(exchange.End(), row.End) << row.Name;
        EXPECT_EQ(exchange.Lines(), row.Kept) << row.Name;
        EXPECT_EQ(exchange.FailureText(), row.Failure) << row.Name;
        EXPECT_EQ(exchange.LastLine(), row.Lines.back()) << row.Name;
    }
}

TEST_F(AtExchangeTest, AReplyThatTalksOnIsKeptWithinItsBoundAndANewCommandForgetsIt) {
    exchange.Send("AT+QENG=\"neighbourcell\"\r", 1000);
    for (std::size_t i = 0; i < 3 * kMaxReplyLines; ++i)
        exchange.Take("+QENG: \"neighbourcell intra\",\"LTE\"," + std::to_string(i));
    EXPECT_EQ(exchange.Lines().size(), kMaxReplyLines);
    exchange.TimeOut();
    EXPECT_TRUE(exchange.TimedOut());
    EXPECT_EQ(exchange.End(), TAtEnd::Waiting);

    exchange.Send("AT+CESQ\r", 1000);
    EXPECT_FALSE(exchange.TimedOut());
    EXPECT_TRUE(exchange.Lines().empty());
    EXPECT_TRUE(exchange.LastLine().empty());
}

// The plan's questions of one cycle, each answered as `answer` says.
std::vector<std::string> Cycle(TRadioQueryPlan& plan, TAtExchange& exchange,
                               const std::function<std::string(const std::string&)>& answer,
                               std::vector<std::string>* said = nullptr) {
    std::vector<std::string> asked;
    TModemStatus status;
    plan.StartCycle();
    for (std::string command = plan.NextCommand(); !command.empty(); command = plan.NextCommand()) {
        asked.push_back(command);
        exchange.Send(command, 1000);
        const std::string end = answer(command);
        if (end.empty())
            exchange.TimeOut();
        else
            exchange.Take(end);
        const std::string text = plan.TakeReply(exchange, status);
        if (said && !text.empty())
            said->push_back(text);
    }
    return asked;
}

TEST_F(AtExchangeTest, TheRadioQueriesAreLearntAsTheModemAnswersThem) {
    TRadioQueryPlan plan;
    plan.Learn("SIEMENS", "MC35i"); // the standard queries only
    const std::vector<std::string> standard = {"AT+CESQ\r", "AT+CEREG?\r", "AT+CGREG?\r",
                                               "AT+C5GREG?\r"};
    std::vector<std::string> said;
    auto refuse5g = [](const std::string& c) { return c == "AT+C5GREG?\r" ? "ERROR" : "OK"; };

    EXPECT_EQ(Cycle(plan, exchange, refuse5g, &said), standard) << "first: one by one";
    EXPECT_EQ(said, std::vector<std::string>{
                        "  AT+C5GREG? refused (ERROR): not asked again on this connection."});
    EXPECT_EQ(Cycle(plan, exchange, refuse5g),
              std::vector<std::string>{"AT+CESQ;+CEREG?;+CGREG?\r"})
        << "then the answered ones on one line, the refused one no more";
    EXPECT_EQ(plan.Commands(), (std::vector<std::string>{"AT+CESQ", "AT+CEREG?", "AT+CGREG?"}));

    said.clear();
    auto refuseJoined = [](const std::string& c) {
        return c.find(';') != std::string::npos ? "+CME ERROR: 3" : "OK";
    };
    EXPECT_EQ(Cycle(plan, exchange, refuseJoined, &said),
              (std::vector<std::string>{"AT+CESQ;+CEREG?;+CGREG?\r", "AT+CESQ\r", "AT+CEREG?\r",
                                        "AT+CGREG?\r"}))
        << "a refused line is asked one by one in the same cycle";
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("refused (+CME ERROR: 3)"), std::string::npos) << said[0];
    EXPECT_EQ(Cycle(plan, exchange, refuseJoined),
              (std::vector<std::string>{"AT+CESQ\r", "AT+CEREG?\r", "AT+CGREG?\r"}))
        << "and one by one for the rest of the connection";

    auto silentCesq = [](const std::string& c) { return c == "AT+CESQ\r" ? "" : "OK"; };
    for (int i = 1; i < kRadioQueryMisses; ++i)
        EXPECT_EQ(Cycle(plan, exchange, silentCesq).size(), 3u) << "silence " << i;
    said.clear();
    Cycle(plan, exchange, silentCesq, &said);
    EXPECT_EQ(said, std::vector<std::string>{"  AT+CESQ unanswered 3 times: not asked again on "
                                             "this connection."});
    EXPECT_EQ(Cycle(plan, exchange, silentCesq),
              (std::vector<std::string>{"AT+CEREG?\r", "AT+CGREG?\r"}));

    plan.Learn("SIEMENS", "MC35i");
    EXPECT_EQ(Cycle(plan, exchange, refuse5g).size(), 4u) << "a new connection learns again";
}

} // namespace
} // namespace celdara::testing
