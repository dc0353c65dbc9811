// +COPS=? replies as modules sent them. Unless a row says otherwise, the reply is one captured
// in ModemManager's src/tests/test-modem-helpers.c (the "test_cops_response_*" cases), named
// by the modem it came from there.
#include "modem/NetworkScan.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

TNetworkEntry Net(int state, std::string longName, std::string shortName, std::string code,
                  std::optional<int> act) {
    return {state, std::move(longName), std::move(shortName), std::move(code), act};
}

struct ScanCase {
    const char* name;
    TReplyLines lines;
    std::vector<TNetworkEntry> networks;
};

TEST(NetworkScanTest, ReadsEveryLayoutOfTheReply) {
    const ScanCase cases[] = {
        {"Huawei E160G: with AcT, then ,,(modes),(formats)",
         {R"(+COPS: (2,"T-Mobile","TMO","31026",0),(1,"AT&T","AT&T","310410",0),,(0,1,2,3,4),(0,1,2))"},
         {Net(2, "T-Mobile", "TMO", "31026", 0), Net(1, "AT&T", "AT&T", "310410", 0)}},
        {"Option GlobeTrotter 3G+: blanks and a range in the mode lists",
         {R"(+COPS: (1,"T-Mobile US","TMO US","31026",0),(1,"Cingular","Cingular","310410",0),,(0, 1, 3),(0-2))"},
         {Net(1, "T-Mobile US", "TMO US", "31026", 0),
          Net(1, "Cingular", "Cingular", "310410", 0)}},
        {"Sierra AirCard 881: a broken format list",
         {R"(+COPS: (1,"T-Mobile","TMO","31026",0),(1,"AT&T","AT&T","310410",2),(1,"AT&T","AT&T","310410",0),,(0,1,2,3,4),))"},
         {Net(1, "T-Mobile", "TMO", "31026", 0), Net(1, "AT&T", "AT&T", "310410", 2),
          Net(1, "AT&T", "AT&T", "310410", 0)}},
        {"Sierra AirCard 860: only ,,) after the networks",
         {R"(+COPS: (2,"T-Mobile","TMO","31026",0),(1,"Cingular","Cinglr","310410",2),,))"},
         {Net(2, "T-Mobile", "TMO", "31026", 0), Net(1, "Cingular", "Cinglr", "310410", 2)}},
        {"Motorola C-series: no AcT, empty short name",
         {R"(+COPS: (2,"T-Mobile","","310260"),(0,"Cingular Wireless","","310410"))"},
         {Net(2, "T-Mobile", "", "310260", std::nullopt),
          Net(0, "Cingular Wireless", "", "310410", std::nullopt)}},
        {"Nokia N80: the short name left out without quotes",
         {R"(+COPS: (2,"T - Mobile",,"31026"),(1,"Einstein PCS",,"31064"),,(0,1,3),(0,2))"},
         {Net(2, "T - Mobile", "", "31026", std::nullopt),
          Net(1, "Einstein PCS", "", "31064", std::nullopt)}},
        {"ZTE MF627 (B): both names empty, forbidden, a trailing comma",
         {R"(+COPS: (2,"AT&Tp","AT&T@","310410",0),(3,"","","31026",0),)"},
         {Net(2, "AT&Tp", "AT&T@", "310410", 0), Net(3, "", "", "31026", 0)}},
        {"Huawei E226: no names at all",
         {R"(+COPS: (1,"","","31026",0),(1,"","","310410",2),,(0,1,3,4),(0,1,2))"},
         {Net(1, "", "", "31026", 0), Net(1, "", "", "310410", 2)}},
        {"TM-506: a stray ) before AcT, the entry read without it",
         {R"(+COPS: (2,"","T-Mobile","31026",0),(2,"T - Mobile","T - Mobile","310260"),2),(1,"AT&T","AT&T","310410"),0))"},
         {Net(2, "", "T-Mobile", "31026", 0),
          Net(2, "T - Mobile", "T - Mobile", "310260", std::nullopt),
          Net(1, "AT&T", "AT&T", "310410", std::nullopt)}},
        {"Option Quicksilver: a seven-digit code is no network",
         {R"(+COPS: (2,"AT&T","","310410",0),(2,"","","3104100",2),(1,"AT&T","","310260",0),,(0-4),(0-2))"},
         {Net(2, "AT&T", "", "310410", 0), Net(1, "AT&T", "", "310260", 0)}},
        {"Novatel XU870: one network per +COPS: line",
         {R"(+COPS: (0,"AT&T MicroCell","AT&T MicroCell","310410",2))",
          R"(+COPS: (1,"AT&T MicroCell","AT&T MicroCell","310410",0))",
          R"(+COPS: (1,"T-Mobile","TMO","31026",0))"},
         {Net(0, "AT&T MicroCell", "AT&T MicroCell", "310410", 2),
          Net(1, "AT&T MicroCell", "AT&T MicroCell", "310410", 0),
          Net(1, "T-Mobile", "TMO", "31026", 0)}},
        {"GSM modem of the invalid case: bare numbers are no networks",
         {"+COPS: (0,1,2,3),(1,2,3,4)"},
         {}},
        {"no networks found, only the lists (27.007 7.3)", {"+COPS: ,,(0-4),(0-2)"}, {}},
        {"an empty reply", {}, {}},
        {"a Chinese-market GSM module (blog.csdn.net/wzm_c1386666): lists without ,,",
         {R"(+COPS: (2,"CMCC","","46000"),(1,"CU-GSM","","46001"),(0,1,4),(0,2))"},
         {Net(2, "CMCC", "", "46000", std::nullopt), Net(1, "CU-GSM", "", "46001", std::nullopt)}},
        {"SIMCom SIM7080G (LilyGo-T-SIM7080G issue 41): LTE-M and NB-IoT",
         {R"(+COPS: (1,"F SFR","SFR","20810",9),(2,"F-Bouygues Telecom","BYTEL","20820",7),,(0,1,2,3,4),(0,1,2))"},
         {Net(1, "F SFR", "SFR", "20810", 9), Net(2, "F-Bouygues Telecom", "BYTEL", "20820", 7)}},
        {"Quectel EG25 of the Mudita Pure (MuditaOS response tests), first entries",
         {R"(+COPS: (2,"PLAY","PLAY","26006",2),(1,"Play","Play","26006",0),(1,"Plus","PLUS","26001",2))"},
         {Net(2, "PLAY", "PLAY", "26006", 2), Net(1, "Play", "Play", "26006", 0),
          Net(1, "Plus", "PLUS", "26001", 2)}},
    };
    for (const ScanCase& c : cases)
        EXPECT_EQ(ParseNetworkScan(c.lines), c.networks) << c.name;
}

TEST(NetworkScanTest, KeepsNamesWholeAndRefusesWhatNoEntryCanBe) {
    // 27.007 7.3 gives the names as strings: quoted, they may hold commas and parentheses.
    const ScanCase cases[] = {
        {"comma and parentheses inside quoted names",
         {R"(+COPS: (1,"Tele (2), Test","T,2","26202",7),,(0-4),(0-2))"},
         {Net(1, "Tele (2), Test", "T,2", "26202", 7)}},
        {"E-UTRAN and NR AcT (7, 11, 13) and an AcT beyond 27.007 left empty",
         {R"(+COPS: (2,"A","A","26201",7),(1,"B","B","26202",11),(1,"C","C","26203",13),(1,"D","D","26204",99))"},
         {Net(2, "A", "A", "26201", 7), Net(1, "B", "B", "26202", 11),
          Net(1, "C", "C", "26203", 13), Net(1, "D", "D", "26204", std::nullopt)}},
        {"a state beyond 3, a quoted state, a missing state: skipped",
         {R"(+COPS: (4,"A","A","26201",7),("1","B","B","26202",7),(,"C","C","26203",7),(1,"E","E","26205",7))"},
         {Net(1, "E", "E", "26205", 7)}},
        {"an unquoted, short or lettered code: skipped",
         {R"(+COPS: (1,"A","A",26201,7),(1,"B","B","2620",7),(1,"C","C","2620A",7),(1,"D","D","262010",7))"},
         {Net(1, "D", "D", "262010", 7)}},
        {"too few or too many fields: skipped",
         {R"(+COPS: (1,"A","26201"),(1,"B","B","26202",7,1),(1,"C","C","26203",2))"},
         {Net(1, "C", "C", "26203", 2)}},
        {"a group that never closes ends the line",
         {R"(+COPS: (1,"A","A","26201",7),(1,"B","B","26202",7)",
          R"(+COPS: (1,"C","C","26203",0))"},
         {Net(1, "A", "A", "26201", 7), Net(1, "C", "C", "26203", 0)}},
        {"other lines (RING, +CREG, the echo) are not read, the prefix in any case",
         {"AT+COPS=?", "RING", R"(+CREG: 1,"00C3","0000A1B2",7)",
          R"(+cops: (1,"A","A","26201",7))"},
         {Net(1, "A", "A", "26201", 7)}},
        {"blanks around fields",
         {R"(+COPS: ( 2 , "A" , "B" , "26201" , 7 ) , , (0-4))"},
         {Net(2, "A", "B", "26201", 7)}},
    };
    for (const ScanCase& c : cases)
        EXPECT_EQ(ParseNetworkScan(c.lines), c.networks) << c.name;
}

TEST(NetworkScanTest, StatesHaveTheirWords) {
    const std::pair<int, const char*> cases[] = {{0, "unknown"}, {1, "available"},
                                                 {2, "current"}, {3, "forbidden"},
                                                 {4, "unknown"}, {-1, "unknown"}};
    for (const auto& [state, text] : cases)
        EXPECT_STREQ(NetworkStateText(state), text) << state;
}

} // namespace
} // namespace celdara
