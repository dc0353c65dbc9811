// Random bytes, biased towards the characters the grammars care about, must never crash a
// parser or cutter, and every result must stay inside its documented range. Run in the
// address/undefined sanitizer build this doubles as a fuzzing pass.
#include "modem/NetworkScan.h"
#include "modem/RadioDialects.h"
#include "modem/Registration.h"
#include "modem/ReplyParsers.h"
#include "util/FormatArgs.h"
#include "util/HexText.h"
#include "util/TextCut.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace celdara {
namespace {

class RandomText {
public:
    explicit RandomText(unsigned seed) : rng_(seed) {}

    std::string Next() {
        static constexpr std::string_view interesting = "#\"(),:;% \t\r\n-+0123456789?*AT";
        std::string text(std::uniform_int_distribution<int>(0, 48)(rng_), '\0');
        for (char& c : text) {
            if (std::uniform_int_distribution<int>(0, 3)(rng_) == 0)
                c = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng_));
            else
                c = interesting[std::uniform_int_distribution<std::size_t>(0, interesting.size() -
                                                                                  1)(rng_)];
        }
        return text;
    }

private:
    std::mt19937 rng_;
};

constexpr int kRounds = 100000;

bool EndsWith(const std::string& whole, const std::string& tail) {
    return whole.size() >= tail.size() &&
           whole.compare(whole.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(RandomInputTest, CuttersOnlyEverRemoveFromTheFront) {
    RandomText random(1);
    for (int round = 0; round < kRounds; ++round) {
        const std::string input = random.Next();
        std::string text = input;
        bool consume = true;
        // Each call eats at least one character or reports false, so this ends.
        for (std::size_t calls = 0; !text.empty() && consume; ++calls) {
            ASSERT_LE(calls, input.size()) << "no progress on: " << input;
            std::string before = text;
            CutToken(text, consume);
            ASSERT_TRUE(EndsWith(before, text)) << input;
            ASSERT_TRUE(text.size() < before.size() || !consume) << input;
        }
        text = input;
        CutInteger(text, 0);
        ASSERT_TRUE(EndsWith(input, text));
        CutSpaces(text);
        ASSERT_TRUE(EndsWith(input, text));
        std::size_t pos = 0;
        std::string_view pattern = input;
        WildcardCompare(pos, "ttyUSB0", pattern, ";");
        ASSERT_LE(pos, 7u);
    }
}

TEST(RandomInputTest, HexTextNeverGrowsAndRoundTrips) {
    RandomText random(2);
    for (int round = 0; round < kRounds; ++round) {
        const std::string input = random.Next();
        ASSERT_LE(HexTextToBytes(input).size(), input.size());
        ASSERT_EQ(HexTextToBytes(BytesToHexText(input)), input);
    }
}

TEST(RandomInputTest, FormatterCopesWithAnyPattern) {
    RandomText random(3);
    for (int round = 0; round < kRounds; ++round) {
        const std::string pattern = random.Next();
        std::string out = FormatArgs(pattern, {"text", 42, 2.5, true, 'c'});
        // Padding is bounded, so the output stays in proportion to the pattern.
        ASSERT_LE(out.size(), pattern.size() * 4100 + 64) << pattern;
    }
}

TEST(RandomInputTest, ParsersKeepEveryValueInItsRange) {
    RandomText random(4);
    static const char* prefixes[] = {"+CSQ:", "+COPS:", "+CREG:", "+CPAS:", "", " 1 2 3 4 "};
    for (int round = 0; round < kRounds; ++round) {
        std::string line = prefixes[round % 6] + random.Next();
        TModemStatus s;
        ParseSignalQuality(line, s);
        ParseOperator(line, s);
        ParseRegistration(line, s);
        ParsePhoneActivity(line, s);
        ParseServingCell(line, s);
        ParseNeighbourCell(line, round % 8 - 1, s);

        ASSERT_TRUE(!s.LevelValid || (s.Level >= 0 && s.Level <= 96)) << line;
        ASSERT_TRUE(!s.BitErrorsValid || (s.BitErrors >= 0 && s.BitErrors <= 7)) << line;
        ASSERT_TRUE(!s.RegStateValid || (s.RegState >= -1 && s.RegState <= 11)) << line;
        ASSERT_TRUE(!s.ActivityValid || s.Activity == -1 || s.Activity == 0 || s.Activity == 3 ||
                    s.Activity == 4)
            << line;
        for (const TCellInfo& c : s.Cells) {
            if (c.Valid) {
                for (int v : {c.Channel, c.Rssi, c.Dbm, c.Mcc, c.Mnc})
                    ASSERT_NE(v, -9999) << line;
            }
        }
    }
}

TEST(RandomInputTest, NetworkScanEntriesAreAlwaysWhole) {
    // Random text between well-formed entries, so that the reader meets broken groups,
    // quotes and commas on both sides of entries it must still find.
    RandomText random(23);
    for (int round = 0; round < kRounds / 4; ++round) {
        std::string line = "+COPS: " + random.Next() + "(1,\"A (b)\",\"c,d\",\"26201\",7)" +
                           random.Next() + "(" + random.Next() + ")" + random.Next();
        const TReplyLines lines{line, random.Next(), "+COPS:" + random.Next()};
        for (const TNetworkEntry& n : ParseNetworkScan(lines)) {
            ASSERT_TRUE(n.State >= 0 && n.State <= 3) << line;
            ASSERT_TRUE(n.Code.size() == 5 || n.Code.size() == 6) << line;
            ASSERT_EQ(n.Code.find_first_not_of("0123456789"), std::string::npos) << line;
            ASSERT_TRUE(!n.Act || (*n.Act >= 0 && *n.Act <= 13)) << line;
        }
    }
}

// Registration lines of random fields, most of them of the kinds the forms hold, so that
// lines fit a form often and miss one by a field as often.
TEST(RandomInputTest, RegistrationLinesKeepEveryValueInItsForm) {
    RandomText random(24);
    static const char* prefixes[] = {"+CREG:", "+CGREG:", "+CEREG:", "+C5GREG:"};
    static const char* fields[] = {"0",          "1",
                                   "5",          "10",
                                   "12",         "007",
                                   "\"CE00\"",   "CE00",
                                   "0001",       "\"1A2D1011F\"",
                                   "FFFFFFFFF",  "\"FFFFFFFF\"",
                                   "",           " 7 ",
                                   "\"7\"",      "-1",
                                   "99999999999"};
    constexpr std::size_t kFields = sizeof fields / sizeof fields[0];
    const std::int64_t maxCell[] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFF, 0xFFFFFFFFF};
    const int maxArea[] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFFFF};
    std::mt19937 pick(25);
    for (int round = 0; round < kRounds; ++round) {
        const std::size_t domain = pick() % 4;
        std::string line = prefixes[domain];
        for (std::size_t i = 0, count = pick() % 12; i < count; ++i)
            line += (i ? "," : " ") +
                    std::string(pick() % 8 ? fields[pick() % kFields] : random.Next());
        const std::optional<TRegistration> r = ParseRegistrationLine(line);
        if (!r)
            continue;
        ASSERT_EQ(static_cast<std::size_t>(r->Domain), domain) << line;
        ASSERT_EQ(r->Unsolicited, !r->Mode.has_value()) << line;
        ASSERT_TRUE(!r->Mode || (*r->Mode >= 0 && *r->Mode <= 5)) << line;
        ASSERT_TRUE(r->State >= -1 && r->State <= 11) << line;
        ASSERT_TRUE(!r->AreaCode || (*r->AreaCode >= 0 && *r->AreaCode <= maxArea[domain])) << line;
        ASSERT_TRUE(!r->CellId || (*r->CellId >= 0 && *r->CellId <= maxCell[domain])) << line;
        ASSERT_TRUE(!r->Act || (*r->Act >= 0 && *r->Act <= 13)) << line;
    }
}

// Every measurement finite and of a size a radio can have, every identity not negative.
void ExpectSaneCell(const TRadioCell& c, const std::string& input) {
    for (const std::optional<double>& v : {c.Rssi, c.Rscp, c.EcIo, c.Rsrp, c.Rsrq, c.Sinr})
        ASSERT_TRUE(!v || (std::isfinite(*v) && std::fabs(*v) < 1e9)) << input;
    ASSERT_TRUE(!c.CellId || *c.CellId >= 0) << input;
    ASSERT_TRUE(!c.AreaCode || (*c.AreaCode >= 0 && *c.AreaCode <= 0xFFFFFF)) << input;
    ASSERT_TRUE(!c.BitErrors || (*c.BitErrors >= 0 && *c.BitErrors <= 7)) << input;
    ASSERT_TRUE(!c.MncDigits || *c.MncDigits == 2 || *c.MncDigits == 3) << input;
}

TEST(RandomInputTest, RadioDialectParsersKeepEveryValueInItsRange) {
    RandomText random(5);
    static const char* prefixes[] = {
        "+CESQ: ",
        "+CEREG: 2,",
        "+CGREG: 2,1,",
        "+C5GREG: 2,1,",
        "+QENG: \"servingcell\",\"NOCONN\",\"LTE\",",
        "+QENG: \"servingcell\",\"NOCONN\",\"NR5G-SA\",",
        "+QENG: \"LTE\",",
        "+QENG: \"NR5G-NSA\",",
        "+QENG: \"neighbourcell intra\",\"LTE\",",
        "+CPSI: LTE,Online,",
        "+CPSI: NR5G_NSA,",
        "+CPSI: WCDMA,Online,262-01,",
        "^HCSQ: \"LTE\",",
        "^SYSINFOEX: 2,3,0,1,,",
        "^SMONI: 4G,",
        "^SMONI: 2G,",
        "4G:",
        "3G:",
        "2G:",
        "System mode:   LTE\tRSRP (dBm): ",
        "Cell ID: ",
        "#RFSTS: \"262 01\",",
        "+UCGED: 2",
        "6,4,001,01",
        "2525,5,50,50,e8fe,1a2d001,",
        "+RSRP: 162,5110,",
        "+GTCCINFO:",
        "1,4,262,01,",
        "2,9,,,FFFF,",
        "+GTCAINFO: PCC:",
        "SCC 1:2,1,",
        "+QCAINFO: \"PCC\",",
        "+QCAINFO: \"SCC\",643296,12,\"NR5G BAND 78\",",
        "+QCAINFO: \"SCC\",1300,100,\"LTE BAND 3\",1,1+QCAINFO: \"SCC\",",
        "LTE CA state:  ACTIVE\tLTE Scell band:",
        "LTE SCC1 state:ACTIVE\tLTE SCC1 bw  :",
        "+COPS: 0,0,\"x\",",
        "",
    };
    constexpr std::size_t kPrefixes = sizeof prefixes / sizeof prefixes[0];
    const std::pair<const char*, const char*> modems[] = {{"Quectel", "EG25"},
                                                          {"Quectel", "RM500Q"},
                                                          {"SIMCOM INCORPORATED", "SIM7600"},
                                                          {"SIMCOM INCORPORATED", "SIM7000G"},
                                                          {"Huawei", ""},
                                                          {"Cinterion", ""},
                                                          {"Sierra Wireless", ""},
                                                          {"Telit", ""},
                                                          {"u-blox", "SARA-R410M-02B"},
                                                          {"u-blox", "SARA-R422M8S"},
                                                          {"u-blox", "SARA-R500S"},
                                                          {"u-blox", "LARA-R6001D"},
                                                          {"Fibocom", "FM350-GL"},
                                                          {"Fibocom", "FM160-CN"}};
    std::vector<TRadioQuery> queries;
    for (const auto& [maker, model] : modems)
        for (TRadioQuery& q : RadioQueriesFor(maker, model))
            queries.push_back(std::move(q));
    std::mt19937 pick(6);
    for (int round = 0; round < kRounds / 10; ++round) {
        TReplyLines lines(1 + round % 4);
        std::string input;
        for (std::string& line : lines) {
            line = prefixes[pick() % kPrefixes] + random.Next();
            // Now and then a number far too long for any field.
            if (pick() % 16 == 0)
                line += "," + std::string(40, '9') + ",FFFFFFFFFFFFFFFFFFFF";
            input += line + " | ";
        }
        TModemStatus s;
        ParseOperator(lines[0], s);
        for (const TRadioQuery& q : queries)
            q.Parse(lines, s);
        const TRadioStatus& r = s.Radio;
        ASSERT_LE(r.Neighbours.size(), kMaxRadioNeighbours) << input;
        for (const std::optional<int>& state : {r.PsRegState, r.EpsRegState, r.NrRegState})
            ASSERT_TRUE(!state || (*state >= -1 && *state <= 11)) << input;
        ExpectSaneCell(r.Serving, input);
        if (r.NrLeg)
            ExpectSaneCell(*r.NrLeg, input);
        for (const TRadioCell& n : r.Neighbours)
            ExpectSaneCell(n, input);
        ASSERT_LE(r.Carriers.size(), kMaxCarriers) << input;
        for (const TCarrier& c : r.Carriers) {
            ASSERT_TRUE(!c.PhysicalId || (*c.PhysicalId >= 0 && *c.PhysicalId <= 1007)) << input;
            ASSERT_TRUE(!c.Channel || *c.Channel >= 0) << input;
            ASSERT_TRUE(!c.BandwidthMhz || (*c.BandwidthMhz > 0 && *c.BandwidthMhz <= 400))
                << input;
            for (const std::optional<double>& v : {c.Rsrp, c.Rsrq, c.Rssi, c.Sinr})
                ASSERT_TRUE(!v || (std::isfinite(*v) && std::fabs(*v) < 1e9)) << input;
        }
    }
}

} // namespace
} // namespace celdara
