// Registration lines as modems send them: the read command's answer (<n>,<stat>,...) and the
// unsolicited line (<stat>,...) of +CREG (27.007 7.2), +CGREG (10.1.19), +CEREG (10.1.22) and
// +C5GREG (10.1.23). "MM" rows are captures in ModemManager's src/tests/test-modem-helpers.c,
// named by the modem that sent them; "27.007" rows are the standard's layouts of the forms
// no capture shows.
#include "modem/Registration.h"

#include "modem/RadioDialects.h"
#include "modem/ReplyParsers.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

constexpr std::int64_t kNone = -1;

struct LineCase {
    const char* name;
    const char* line;
    bool fits; // false: the line is no registration line at all
    TRegDomain domain;
    bool unsolicited;
    int mode; // -1: none
    int state;
    std::int64_t area, cell; // kNone: absent
    int act;                 // -1: absent
};
void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

TRegistration Expected(const LineCase& c) {
    TRegistration r;
    r.Domain = c.domain;
    r.Unsolicited = c.unsolicited;
    r.Mode = c.mode >= 0 ? std::optional<int>(c.mode) : std::nullopt;
    r.State = c.state;
    r.AreaCode = c.area != kNone ? std::optional<int>(static_cast<int>(c.area)) : std::nullopt;
    r.CellId = c.cell != kNone ? std::optional<std::int64_t>(c.cell) : std::nullopt;
    r.Act = c.act >= 0 ? std::optional<int>(c.act) : std::nullopt;
    return r;
}

class RegistrationLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(RegistrationLineTest, ReadsTheFormTheLineFits) {
    const LineCase& c = GetParam();
    const std::optional<TRegistration> read = ParseRegistrationLine(c.line);
    if (!c.fits) {
        EXPECT_FALSE(read.has_value()) << c.line;
        return;
    }
    ASSERT_TRUE(read.has_value()) << c.line;
    const TRegistration expected = Expected(c);
    EXPECT_EQ(read->Domain, expected.Domain) << c.line;
    EXPECT_EQ(read->Unsolicited, expected.Unsolicited) << c.line;
    EXPECT_EQ(read->Mode, expected.Mode) << c.line;
    EXPECT_EQ(read->State, expected.State) << c.line;
    EXPECT_EQ(read->AreaCode, expected.AreaCode) << c.line;
    EXPECT_EQ(read->CellId, expected.CellId) << c.line;
    EXPECT_EQ(read->Act, expected.Act) << c.line;
}

constexpr TRegDomain Cs = TRegDomain::Cs, Ps = TRegDomain::Ps, Eps = TRegDomain::Eps,
                     Fgs = TRegDomain::Fgs;
constexpr bool Read = false, Urc = true;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Captured, RegistrationLineTest, ::testing::Values(
    // +CREG
    LineCase{"MM_creg1_read", "+CREG: 1,3", true, Cs, Read, 1, 3, kNone, kNone, -1},
    LineCase{"MM_creg1_one_field_unsolicited", "+CREG: 3", true, Cs, Urc, -1, 3, kNone, kNone, -1},
    LineCase{"MM_Sierra_Mercury_read", "+CREG: 1,1,84CD,00D30173", true, Cs, Read, 1, 1, 0x84CD, 0xD30173, -1},
    LineCase{"MM_Sierra_Mercury_unsolicited", "+CREG: 1,84CD,00D30156", true, Cs, Urc, -1, 1, 0x84CD, 0xD30156, -1},
    LineCase{"MM_SonyEricsson_K850i_read", R"(+CREG: 2,1,"CE00","01CEAD8F")", true, Cs, Read, 2, 1, 0xCE00, 0x01CEAD8F, -1},
    LineCase{"MM_SonyEricsson_K850i_unsolicited", R"(+CREG: 1,"CE00","00005449")", true, Cs, Urc, -1, 1, 0xCE00, 0x5449, -1},
    LineCase{"MM_Huawei_E160G_unregistered_one_digit_ci", "+CREG: 2,0,00,0", true, Cs, Read, 2, 0, 0, kNone, -1},
    LineCase{"MM_Huawei_E160G_read", "+CREG: 2,1,8BE3,2BAF", true, Cs, Read, 2, 1, 0x8BE3, 0x2BAF, -1},
    LineCase{"MM_Huawei_E160G_unsolicited", "+CREG: 1,8BE3,2BAF", true, Cs, Urc, -1, 1, 0x8BE3, 0x2BAF, -1},
    LineCase{"MM_SonyEricsson_TM506_leading_zero_ci", R"(+CREG: 2,1,"8BE3","00002BAF")", true, Cs, Read, 2, 1, 0x8BE3, 0x2BAF, -1},
    LineCase{"MM_Novatel_XU870_empty_location", "+CREG: 2,,", true, Cs, Urc, -1, 2, kNone, kNone, -1},
    LineCase{"MM_Iridium_leading_zero_numbers", R"(+CREG:002,001,"18d8","ffff")", true, Cs, Read, 2, 1, 0x18D8, 0xFFFF, -1},
    LineCase{"MM_read_unquoted_short_hex", "+CREG:2,1,0001,0010", true, Cs, Read, 2, 1, 1, 0x10, -1},
    LineCase{"MM_unsolicited_unquoted_with_act", "+CREG: 1,0001,0010,0", true, Cs, Urc, -1, 1, 1, 0x10, 0},
    LineCase{"MM_unsolicited_leading_zero_numbers", R"(+CREG: 001,"0001","0010",000)", true, Cs, Urc, -1, 1, 1, 0x10, 0},
    LineCase{"issue_unsolicited_state_10", "+CREG: 10,0001,0010,0", true, Cs, Urc, -1, 10, 1, 0x10, 0},
    LineCase{"MM_ublox_TOBY_L2_sms_only_read", R"(+CREG: 2,6,"8B37","0A265185",7)", true, Cs, Read, 2, 6, 0x8B37, 0x0A265185, 7},
    LineCase{"MM_ublox_TOBY_L2_sms_only_unsolicited", R"(+CREG: 6,"8B37","0A265185",7)", true, Cs, Urc, -1, 6, 0x8B37, 0x0A265185, 7},
    LineCase{"MM_SonyEricsson_MD400_read_layout", R"(+CREG: 2,5,"0502","0404736D")", true, Cs, Read, 2, 5, 0x0502, 0x0404736D, -1},
    LineCase{"MM_Samsung_S8500_vendor_layout_state_only", "+CREG: 2,1,000B,2816, B, C2816", true, Cs, Read, 2, 1, kNone, kNone, -1},
    LineCase{"MM_Gobi1000_blank_inside_lac", "+CREG: 2,1,  0 5, 2715", true, Cs, Read, 2, 1, kNone, 0x2715, -1},
    LineCase{"MM_multi_creg_roaming", "+CREG: 5", true, Cs, Urc, -1, 5, kNone, kNone, -1},
    // +CGREG
    LineCase{"MM_cgreg1_read", "+CGREG: 1,3", true, Ps, Read, 1, 3, kNone, kNone, -1},
    LineCase{"MM_cgreg1_unsolicited", "+CGREG: 3", true, Ps, Urc, -1, 3, kNone, kNone, -1},
    LineCase{"MM_Ericsson_F3607gw_read", R"(+CGREG: 2,1,"8BE3","00002B5D",3)", true, Ps, Read, 2, 1, 0x8BE3, 0x2B5D, 3},
    LineCase{"MM_Ericsson_F3607gw_unsolicited", R"(+CGREG: 1,"8BE3","00002B5D",3)", true, Ps, Urc, -1, 1, 0x8BE3, 0x2B5D, 3},
    LineCase{"MM_SonyEricsson_MD400_unsolicited", R"(+CGREG: 5,"0502","0404736D",2)", true, Ps, Urc, -1, 5, 0x0502, 0x0404736D, 2},
    LineCase{"MM_Alcatel_X220D_stray_spaces", "+CGREG: 2,1, 81ED, 1A9CEB", true, Ps, Read, 2, 1, 0x81ED, 0x1A9CEB, -1},
    LineCase{"MM_unsolicited_with_rac", R"(+CGREG: 1,"1422","00000142",3,"00")", true, Ps, Urc, -1, 1, 0x1422, 0x142, 3},
    LineCase{"MM_Thuraya_read", R"(+CGREG: 2, 1, "0426", "F00F")", true, Ps, Read, 2, 1, 0x0426, 0xF00F, -1},
    LineCase{"MM_Thuraya_unsolicited", R"(+CGREG: 1, "0426", "F00F")", true, Ps, Urc, -1, 1, 0x0426, 0xF00F, -1},
    // +CEREG
    LineCase{"MM_cereg1_read", "+CEREG: 1,3", true, Eps, Read, 1, 3, kNone, kNone, -1},
    LineCase{"MM_cereg1_unsolicited", "+CEREG: 3", true, Eps, Urc, -1, 3, kNone, kNone, -1},
    LineCase{"MM_cereg2_read_stray_spaces", "+CEREG: 2,1, 1F00, 79D903 ,7", true, Eps, Read, 2, 1, 0x1F00, 0x79D903, 7},
    LineCase{"MM_Altair_LTE_read", "+CEREG: 1, 2, 0001, 00000100, 7", true, Eps, Read, 1, 2, 1, 0x100, 7},
    LineCase{"MM_Altair_LTE_unsolicited_searching", "+CEREG: 2, 0001, 00000100, 7", true, Eps, Urc, -1, 2, 1, 0x100, 7},
    LineCase{"MM_Novatel_E362_six_fields_state_only", "+CEREG: 2,1, 1F00, 20 ,79D903 ,7", true, Eps, Read, 2, 1, kNone, kNone, -1},
    LineCase{"MM_Novatel_E362_unsolicited_fits_no_form", "+CEREG: 1, 1F00, 20 ,79D903 ,7", false, Eps, Urc, -1, -1, kNone, kNone, -1},
    // +C5GREG
    LineCase{"MM_c5greg1_read", "+C5GREG: 1,3", true, Fgs, Read, 1, 3, kNone, kNone, -1},
    LineCase{"MM_c5greg1_unsolicited", "+C5GREG: 3", true, Fgs, Urc, -1, 3, kNone, kNone, -1},
    LineCase{"MM_c5greg2_read_with_nssai", "+C5GREG: 2,1,1F00,79D903,11,6,ABCDEF", true, Fgs, Read, 2, 1, 0x1F00, 0x79D903, 11},
    LineCase{"MM_c5greg2_unsolicited_with_nssai", "+C5GREG: 1,1F00,79D903,11,6,ABCDEF", true, Fgs, Urc, -1, 1, 0x1F00, 0x79D903, 11}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(Forms, RegistrationLineTest, ::testing::Values(
    LineCase{"creg_n0_read", "+CREG: 0,1", true, Cs, Read, 0, 1, kNone, kNone, -1},
    LineCase{"creg_n3_read_with_cause", R"(+CREG: 3,3,"00C3","0000A1B2",0,0,13)", true, Cs, Read, 3, 3, 0xC3, 0xA1B2, 0},
    LineCase{"creg_n3_unsolicited_with_cause", R"(+CREG: 3,"00C3","0000A1B2",2,0,13)", true, Cs, Urc, -1, 3, 0xC3, 0xA1B2, 2},
    LineCase{"cgreg_n3_read_with_rac_and_cause", R"(+CGREG: 3,3,"00C3","0000A1B2",2,"0A",0,7)", true, Ps, Read, 3, 3, 0xC3, 0xA1B2, 2},
    LineCase{"cgreg_n4_read_psm_timers", R"(+CGREG: 4,1,"00C3","0000A1B2",2,"0A",,,"00100100","01000111","00000101")", true, Ps, Read, 4, 1, 0xC3, 0xA1B2, 2},
    LineCase{"cereg_n3_read_with_cause", R"(+CEREG: 3,3,"0140","00ABCDEF",7,0,15)", true, Eps, Read, 3, 3, 0x140, 0xABCDEF, 7},
    LineCase{"cereg_n4_read_psm_timers", R"(+CEREG: 4,1,"0140","00ABCDEF",7,,,"00100100","01000111")", true, Eps, Read, 4, 1, 0x140, 0xABCDEF, 7},
    LineCase{"cereg_n5_unsolicited_cause_and_timers", R"(+CEREG: 1,"0140","00ABCDEF",7,0,0,"00100100","01000111")", true, Eps, Urc, -1, 1, 0x140, 0xABCDEF, 7},
    LineCase{"cereg_unsolicited_eutra_5gcn_leading_zero_tac", "+CEREG: 1,0001,0000A1B2,10", true, Eps, Urc, -1, 1, 1, 0xA1B2, 10},
    LineCase{"c5greg_3_byte_tac_36_bit_nci", R"(+C5GREG: 2,1,"A5B1C2","1A2D1011F",11)", true, Fgs, Read, 2, 1, 0xA5B1C2, 0x1A2D1011F, 11},
    LineCase{"c5greg_n3_read_with_cause", R"(+C5GREG: 3,3,"A5B1C2","1A2D1011F",11,,,0,7)", true, Fgs, Read, 3, 3, 0xA5B1C2, 0x1A2D1011F, 11},
    LineCase{"lower_case_prefix_and_line_end", "  +creg: 0,5 \r", true, Cs, Read, 0, 5, kNone, kNone, -1}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(OutOfForm, RegistrationLineTest, ::testing::Values(
    LineCase{"eci_beyond_28_bits", R"(+CEREG: 2,1,"A5B1","1FFFFFFF",7)", true, Eps, Read, 2, 1, 0xA5B1, kNone, 7},
    LineCase{"ci_of_nine_digits", R"(+CREG: 2,1,"A5B1","101A2D101")", true, Cs, Read, 2, 1, 0xA5B1, kNone, -1},
    LineCase{"lac_of_three_bytes", R"(+CREG: 2,1,"A5B1C2","00001234")", true, Cs, Read, 2, 1, kNone, 0x1234, -1},
    LineCase{"lac_of_one_digit", R"(+CREG: 2,1,"5","00001234")", true, Cs, Read, 2, 1, kNone, 0x1234, -1},
    LineCase{"eps_tac_of_three_bytes", R"(+CEREG: 2,1,"A5B1C2","01A2D101",7)", true, Eps, Read, 2, 1, kNone, 0x01A2D101, 7},
    LineCase{"hex_with_0x_is_not_the_forms_hex", "+CEREG: 2,1,0xA5B1,0x01A2D101,7", true, Eps, Read, 2, 1, kNone, kNone, 7},
    LineCase{"quoted_act", R"(+CEREG: 2,1,"A5B1","01A2D101","7")", true, Eps, Read, 2, 1, 0xA5B1, 0x01A2D101, -1},
    LineCase{"act_out_of_range", R"(+CEREG: 2,1,"A5B1","01A2D101",17)", true, Eps, Read, 2, 1, 0xA5B1, 0x01A2D101, -1},
    LineCase{"state_beyond_11", "+CREG: 0,12", true, Cs, Read, 0, -1, kNone, kNone, -1},
    LineCase{"state_90_uicc_failure", "+CEREG: 0,90", true, Eps, Read, 0, -1, kNone, kNone, -1},
    LineCase{"mode_beyond_5_two_fields", "+CREG: 9,1", false, Cs, Read, -1, -1, kNone, kNone, -1},
    LineCase{"negative_mode", "+CREG: -1,1", false, Cs, Read, -1, -1, kNone, kNone, -1},
    LineCase{"quoted_state", R"(+CREG: 1,"2")", false, Cs, Read, -1, -1, kNone, kNone, -1},
    LineCase{"text_state", "+CREG: 0,abc", false, Cs, Read, -1, -1, kNone, kNone, -1},
    LineCase{"nothing_behind_the_prefix", "+CREG:", false, Cs, Read, -1, -1, kNone, kNone, -1},
    LineCase{"another_prefix", "+CREGX: 0,1", false, Cs, Read, -1, -1, kNone, kNone, -1},
    LineCase{"another_command", "+CSQ: 0,1", false, Cs, Read, -1, -1, kNone, kNone, -1},
    LineCase{"read_head_with_a_stray_field", "+CREG: 0,1,\"00C3\"", true, Cs, Read, 0, 1, kNone, kNone, -1}),
    [](const auto& info) { return info.param.name; });
// clang-format on

TEST(RegistrationStateTest, EveryStateOf27007IsKeptAndOthersAreMinusOne) {
    for (int stat = 0; stat <= 13; ++stat) {
        const std::optional<TRegistration> read =
            ParseRegistrationLine("+CREG: 0," + std::to_string(stat));
        ASSERT_TRUE(read) << stat;
        EXPECT_EQ(read->State, stat <= 11 ? stat : -1) << stat;
    }
}

TEST(RegistrationStateTest, RegisteredAndEmergencyOnlyStates) {
    for (int stat = -1; stat <= 12; ++stat) {
        const bool registered =
            stat == 1 || stat == 5 || stat == 6 || stat == 7 || stat == 9 || stat == 10;
        EXPECT_EQ(IsRegisteredState(stat), registered) << stat;
        EXPECT_EQ(IsEmergencyOnlyState(stat), stat == 8 || stat == 11) << stat;
    }
}

// ---- Into the status ----------------------------------------------------------------------

struct ApplyCase {
    const char* name;
    const char* line;
    TAccessTech radioTech; // Radio.Tech before the line (+COPS's AcT)
    TAccessTech cellTech;  // the serving cell's before the line
    TAccessTech after;     // the serving cell's after it
    std::optional<int> area;
    std::optional<std::int64_t> cell;
};

TEST(ApplyRegistrationTest, LocationFillsTheServingCellOfItsTechnology) {
    const TAccessTech none = TAccessTech::Unknown, gsm = TAccessTech::Gsm, umts = TAccessTech::Umts,
                      lte = TAccessTech::Lte;
    const char* const creg = R"(+CREG: 2,1,"CE00","01CEAD8F")";
    const char* const cereg = R"(+CEREG: 2,1,"A5B1","01A2D101",7)";
    const ApplyCase cases[] = {
        {"+CREG on GSM named by +COPS", creg, gsm, none, gsm, 0xCE00, 0x01CEAD8F},
        {"+CREG into a UMTS cell", creg, none, umts, umts, 0xCE00, 0x01CEAD8F},
        {"+CGREG's AcT names UMTS", R"(+CGREG: 2,5,"0502","0404736D",2)", none, none, umts, 0x0502,
         0x0404736D},
        {"+CREG on LTE (SMS only): not a LAC",
         R"(+CREG: 2,6,"8B37","0A265185",7)",
         none,
         none,
         lte,
         {},
         {}},
        {"+CREG of no known technology", creg, none, none, none, {}, {}},
        {"+CREG into an LTE cell", creg, lte, lte, lte, {}, {}},
        {"+CREG searching", R"(+CREG: 2,2,"CE00","01CEAD8F")", gsm, none, none, {}, {}},
        {"+CREG emergency only", R"(+CREG: 2,8,"CE00","01CEAD8F")", gsm, none, none, {}, {}},
        {"+CEREG registered", cereg, none, none, lte, 0xA5B1, 0x01A2D101},
        {"+CEREG not into a GSM cell", cereg, gsm, gsm, gsm, {}, {}},
        {"+CEREG CSFB not preferred", R"(+CEREG: 2,9,"A5B1","01A2D101",7)", lte, none, lte, 0xA5B1,
         0x01A2D101},
    };
    for (const ApplyCase& c : cases) {
        TModemStatus s;
        s.Radio.Tech = c.radioTech;
        s.Radio.Serving.Tech = c.cellTech;
        const std::optional<TRegistration> read = ParseRegistrationLine(c.line);
        ASSERT_TRUE(read) << c.name;
        ApplyRegistration(*read, s);
        EXPECT_EQ(s.Radio.Serving.Tech, c.after) << c.name;
        EXPECT_EQ(s.Radio.Serving.AreaCode, c.area) << c.name;
        EXPECT_EQ(s.Radio.Serving.CellId, c.cell) << c.name;
    }
}

TEST(ApplyRegistrationTest, EachDomainItsOwnStateAndAFinerSourceWins) {
    TModemStatus s;
    s.Radio.Tech = TAccessTech::Umts;
    s.Radio.Serving.Tech = TAccessTech::Umts;
    s.Radio.Serving.AreaCode = 0x1111; // from the vendor's cell query
    for (const char* line :
         {R"(+CREG: 2,10,"CE00","01CEAD8F")", "+CGREG: 0,7", "+CEREG: 0,8", "+C5GREG: 0,11"})
        ApplyRegistration(*ParseRegistrationLine(line), s);
    EXPECT_TRUE(s.RegStateValid);
    EXPECT_EQ(s.RegState, 10);
    EXPECT_EQ(s.Radio.PsRegState, 7);
    EXPECT_EQ(s.Radio.EpsRegState, 8);
    EXPECT_EQ(s.Radio.NrRegState, 11);
    EXPECT_EQ(s.Radio.Serving.AreaCode, 0x1111);
    EXPECT_EQ(s.Radio.Serving.CellId, 0x01CEAD8F);
}

// ---- The replies' parsers take the answer and skip the unsolicited lines -----------------

TEST(RegistrationReplyTest, UnsolicitedLinesAreNotTheAnswer) {
    const struct {
        const char* name;
        void (*parse)(const TReplyLines&, TModemStatus&);
        TReplyLines lines;
        std::optional<int> TRadioStatus::*state;
        std::optional<int> expected;
    } rows[] = {
        {"+CEREG answer after unsolicited ones",
         ParseCereg,
         {"+CEREG: 2, 0001, 00000100, 7", "+CREG: 1", R"(+CEREG: 2,5,"00C1","00000101",7)"},
         &TRadioStatus::EpsRegState,
         5},
        {"+CEREG unsolicited alone",
         ParseCereg,
         {"+CEREG: 2, 0001, 00000100, 7"},
         &TRadioStatus::EpsRegState,
         std::nullopt},
        {"+CGREG answer",
         ParseCgreg,
         {"+CGREG: 1", "RING", "+CGREG: 0,6"},
         &TRadioStatus::PsRegState,
         6},
        {"+CGREG ignores +CREG",
         ParseCgreg,
         {"+CREG: 0,1"},
         &TRadioStatus::PsRegState,
         std::nullopt},
        {"+C5GREG answer",
         ParseC5greg,
         {"+C5GREG: 3", "+C5GREG: 0,11"},
         &TRadioStatus::NrRegState,
         11},
    };
    for (const auto& row : rows) {
        TModemStatus s;
        row.parse(row.lines, s);
        EXPECT_EQ(s.Radio.*row.state, row.expected) << row.name;
    }
}

TEST(RegistrationReplyTest, ThePollsCregLineIsReadOnlyInItsReadForm) {
    const struct {
        const char* line;
        bool valid;
        int state;
    } rows[] = {
        {R"(+CREG: 1,"CE00","00005449")", false, 0},
        {"+CREG: 10,0001,0010,0", false, 0},
        {"+CREG: 3", false, 0},
        {R"(+CREG: 2,6,"8B37","0A265185",7)", true, 6},
        {"+CREG: 0,11", true, 11},
    };
    for (const auto& row : rows) {
        TModemStatus s;
        ParseRegistration(row.line, s);
        EXPECT_EQ(s.RegStateValid, row.valid) << row.line;
        EXPECT_EQ(s.RegState, row.state) << row.line;
    }
}

} // namespace
} // namespace celdara
