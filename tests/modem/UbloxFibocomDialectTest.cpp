// The u-blox and Fibocom dialects, one named row per case, each with its source: the layouts
// of the u-blox AT commands manuals for AT+UCGED (SARA-R4 UBX-17003787, SARA-R5 UBX-19047455,
// LARA-R6), as the manuals' example lines are quoted in u-blox's own ubxlib; the Fibocom FM350
// "AT Commands User Manual" V2.10 (11.1.15 +GTCCINFO, 11.1.16 +GTCAINFO) with replies captured
// from FM350-GL and FM160-CN modules in public projects. Where a row's values are ours, the
// row says so.
#include "modem/RadioDialects.h"

#include <gtest/gtest.h>
#include <sstream>

namespace celdara {
namespace {

constexpr TAccessTech Gsm = TAccessTech::Gsm;
constexpr TAccessTech Umts = TAccessTech::Umts;
constexpr TAccessTech Lte = TAccessTech::Lte;
constexpr TAccessTech NbIot = TAccessTech::NbIot;
constexpr TAccessTech NrSa = TAccessTech::NrSa;
constexpr TAccessTech NrNsa = TAccessTech::NrNsa;
constexpr TAccessTech None = TAccessTech::Unknown;

using TParse = std::function<void(const TReplyLines&, TModemStatus&)>;

TParse Ucged(TUcgedLayout layout) {
    return [layout](const TReplyLines& l, TModemStatus& s) { ParseUbloxUcged(l, s, layout); };
}
TParse Cells(bool hex) {
    return [hex](const TReplyLines& l, TModemStatus& s) { ParseFibocomCells(l, s, {hex}); };
}
const TParse kSaraR4 = Ucged(TUcgedLayout::SaraR4Mode5);
const TParse kSaraR422 = Ucged(TUcgedLayout::SaraR422);
const TParse kSaraR5 = Ucged(TUcgedLayout::SaraR5);
const TParse kLaraR6 = Ucged(TUcgedLayout::LaraR6);
const TParse kFm350 = Cells(false);
const TParse kFm160 = Cells(true);

void ExpectCell(const TRadioCell& got, const TRadioCell& want, const std::string& what) {
    EXPECT_EQ(got.Tech, want.Tech) << what;
    EXPECT_EQ(got.Channel, want.Channel) << what << ": channel";
    EXPECT_EQ(got.Band, want.Band) << what << ": band";
    EXPECT_EQ(got.PhysicalId, want.PhysicalId) << what << ": physical id";
    EXPECT_EQ(got.AreaCode, want.AreaCode) << what << ": area code";
    EXPECT_EQ(got.CellId, want.CellId) << what << ": cell id";
    EXPECT_EQ(got.Mcc, want.Mcc) << what << ": MCC";
    EXPECT_EQ(got.Mnc, want.Mnc) << what << ": MNC";
    EXPECT_EQ(got.MncDigits, want.MncDigits) << what << ": MNC digits";
    EXPECT_EQ(got.Rssi, want.Rssi) << what << ": RSSI";
    EXPECT_EQ(got.Rscp, want.Rscp) << what << ": RSCP";
    EXPECT_EQ(got.EcIo, want.EcIo) << what << ": Ec/Io";
    EXPECT_EQ(got.Rsrp, want.Rsrp) << what << ": RSRP";
    EXPECT_EQ(got.Rsrq, want.Rsrq) << what << ": RSRQ";
    EXPECT_EQ(got.Sinr, want.Sinr) << what << ": SINR";
}

// A cell as a row expects it, told field by field.
class Cell {
public:
    explicit Cell(TAccessTech tech) { c_.Tech = tech; }
    Cell& Ch(int v) { return Set(c_.Channel, v); }
    Cell& Band(int v) { return Set(c_.Band, v); }
    Cell& Pci(int v) { return Set(c_.PhysicalId, v); }
    Cell& Area(int v) { return Set(c_.AreaCode, v); }
    Cell& Id(std::int64_t v) { return Set(c_.CellId, v); }
    Cell& Plmn(int mcc, int mnc, std::optional<int> digits = std::nullopt) {
        c_.Mcc = mcc;
        c_.Mnc = mnc;
        c_.MncDigits = digits;
        return *this;
    }
    Cell& Rssi(double v) { return Set(c_.Rssi, v); }
    Cell& Rsrp(double v) { return Set(c_.Rsrp, v); }
    Cell& Rsrq(double v) { return Set(c_.Rsrq, v); }
    Cell& Sinr(double v) { return Set(c_.Sinr, v); }
    operator TRadioCell() const { return c_; }

private:
    template <typename T, typename V>
    Cell& Set(std::optional<T>& field, V v) {
        field = static_cast<T>(v);
        return *this;
    }
    TRadioCell c_;
};

struct CellCase {
    const char* Name;
    TParse Parse;
    TReplyLines Lines;
    TAccessTech Tech; // of the radio afterwards
    TRadioCell Serving;
    std::optional<TRadioCell> NrLeg{};
    std::vector<TRadioCell> Neighbours{};
    TAccessTech Before = None; // what an earlier query of the cycle named
};
void PrintTo(const CellCase& c, std::ostream* os) {
    *os << c.Name;
}

class UbloxFibocomCells : public ::testing::TestWithParam<CellCase> {};

TEST_P(UbloxFibocomCells, ReadAsTheManualLaysItOut) {
    const CellCase& c = GetParam();
    TModemStatus status;
    status.Radio.Tech = c.Before;
    status.Radio.Serving.Tech = c.Before;
    c.Parse(c.Lines, status);
    EXPECT_EQ(status.Radio.Tech, c.Tech);
    ExpectCell(status.Radio.Serving, c.Serving, "serving");
    ASSERT_EQ(status.Radio.NrLeg.has_value(), c.NrLeg.has_value());
    if (c.NrLeg)
        ExpectCell(*status.Radio.NrLeg, *c.NrLeg, "NR leg");
    ASSERT_EQ(status.Radio.Neighbours.size(), c.Neighbours.size());
    for (std::size_t i = 0; i < c.Neighbours.size(); ++i)
        ExpectCell(status.Radio.Neighbours[i], c.Neighbours[i], "neighbour " + std::to_string(i));
}

// ---- u-blox AT+UCGED -----------------------------------------------------------------------
// SARA-R5 mode 2: "+UCGED: 2 / <rat>,<svc>,<MCC>,<MNC> / <earfcn>,<Lband>,<ul_BW>,<dl_BW>,
// <tac>,<LcellId>,<PCID>,<mTmsi>,<mmeGrId>,<mmeCode>,<rsrp>,<rsrq>,<Lsinr>,<Lrrc>,<RI>,<CQI>,
// <avg_rsrp>,<totalPuschPwr>,<avgPucchPwr>,<drx>,<l2w>,<volte_mode>[,<meas_gap>,
// <tti_bundling>]"; <rsrp>, <rsrq> as 36.133 index codes.
const char* const kR5Row =
    "2525,5,50,50,e8fe,1a2d001,1,d60814d1,8001,01,28,31,13.75,3,1,10,28,-50,-6,0,255,255,0";

INSTANTIATE_TEST_SUITE_P(
    Ublox, UbloxFibocomCells,
    ::testing::Values(
        // The SARA-R5 manual's example.
        CellCase{"SaraR5ManualExample",
                 kSaraR5,
                 {"+UCGED: 2", "6,4,001,01", kR5Row},
                 Lte,
                 Cell(Lte)
                     .Ch(2525)
                     .Band(5)
                     .Pci(1)
                     .Area(0xE8FE)
                     .Id(0x1A2D001)
                     .Plmn(1, 1, 2)
                     .Rsrp(-113)
                     .Rsrq(-4.5)
                     .Sinr(13.75)},
        // Captured from a SARA-R5 that has not read its cell yet: "fff" MCC/MNC, "ffff" TAC,
        // "0000000" cell.
        CellCase{"SaraR5CellNotYetRead",
                 kSaraR5,
                 {"+UCGED: 2", "6,4,fff,fff",
                  "5110,13,50,50,ffff,0000000,254,d0fafd59,ff49,b1,27,15,0.50,1,255,255,28,255,"
                  "255,0,255,255,0"},
                 Lte,
                 Cell(Lte).Ch(5110).Band(13).Pci(254).Rsrp(-114).Rsrq(-12.5).Sinr(0.5)},
        // Values ours: every "not known or not detectable" of the manual (65535, 255, ffff).
        CellCase{"SaraR5NoValueMarks",
                 kSaraR5,
                 {"+UCGED: 2", "6,4,001,01",
                  "65535,255,255,255,ffff,fffffff,65535,0,ffff,ff,255,255,255,0,0,0,255,0,0,0,"
                  "255,255,0"},
                 Lte,
                 Cell(Lte).Plmn(1, 1, 2)},
        // Values ours: the ends of <rsrq>'s extended range, "-30: less than -34 dB, -29..46:
        // from -34 dB to 2.5 dB with 0.5 dB steps", and one past it.
        CellCase{"SaraR5RsrqExtendedLow",
                 kSaraR5,
                 {"+UCGED: 2", "6,4,001,01", "2525,5,50,50,e8fe,1a2d001,1,0,0,0,0,-29,255"},
                 Lte,
                 Cell(Lte)
                     .Ch(2525)
                     .Band(5)
                     .Pci(1)
                     .Area(0xE8FE)
                     .Id(0x1A2D001)
                     .Plmn(1, 1, 2)
                     .Rsrp(-141)
                     .Rsrq(-34)},
        CellCase{"SaraR5RsrqExtendedHigh",
                 kSaraR5,
                 {"+UCGED: 2", "6,4,001,01", "2525,5,50,50,e8fe,1a2d001,1,0,0,0,97,46,255"},
                 Lte,
                 Cell(Lte)
                     .Ch(2525)
                     .Band(5)
                     .Pci(1)
                     .Area(0xE8FE)
                     .Id(0x1A2D001)
                     .Plmn(1, 1, 2)
                     .Rsrp(-44)
                     .Rsrq(2.5)},
        CellCase{"SaraR5RsrqBeyondItsRange",
                 kSaraR5,
                 {"+UCGED: 2", "6,4,001,01", "2525,5,50,50,e8fe,1a2d001,1,0,0,0,98,47,255"},
                 Lte,
                 Cell(Lte).Ch(2525).Band(5).Pci(1).Area(0xE8FE).Id(0x1A2D001).Plmn(1, 1, 2)},
        // <rat> 7 is NB-IoT; the row is the LTE one.
        CellCase{"SaraR5NbIot",
                 kSaraR5,
                 {"+UCGED: 2", "7,4,001,01", kR5Row},
                 NbIot,
                 Cell(NbIot)
                     .Ch(2525)
                     .Band(5)
                     .Pci(1)
                     .Area(0xE8FE)
                     .Id(0x1A2D001)
                     .Plmn(1, 1, 2)
                     .Rsrp(-113)
                     .Rsrq(-4.5)
                     .Sinr(13.75)},
        // Joined with the 27.007 queries: the rows stop at the next reply's line; a RING
        // between header and rows is passed over.
        CellCase{"SaraR5AmongOtherReplies",
                 kSaraR5,
                 {"+CESQ: 99,99,255,255,20,45", "+UCGED: 2", "RING", "6,4,001,01", kR5Row,
                  "+CEREG: 2,1,\"E8FE\",\"01A2D001\",7"},
                 Lte,
                 Cell(Lte)
                     .Ch(2525)
                     .Band(5)
                     .Pci(1)
                     .Area(0xE8FE)
                     .Id(0x1A2D001)
                     .Plmn(1, 1, 2)
                     .Rsrp(-113)
                     .Rsrq(-4.5)
                     .Sinr(13.75)},
        CellCase{
            "SaraR5OtherModeTellsNothing", kSaraR5, {"+UCGED: 5", "6,4,001,01", kR5Row}, None, {}},
        // <svc> 2 searching, 3 no service, 1 radio off: no serving cell, whatever the
        // standard queries guessed; the module gives no cell line then.
        CellCase{"SaraR5Searching", kSaraR5, {"+UCGED: 2", "6,2,fff,fff"}, None, {}, {}, {}, Lte},
        CellCase{"LaraR6NoService", kLaraR6, {"+UCGED: 2", "4,3,fff,fff"}, None, {}, {}, {}, Lte},
        // Values ours: a cell id of few bits set is a cell id, "ffff" on GSM is none.
        CellCase{"LaraR6SmallCellIds",
                 kLaraR6,
                 {"+UCGED: 2", "2,222,01", "1009,0,7,11,d5bd,00,36,-1,30,30,1,1"},
                 Gsm,
                 Cell(Gsm).Ch(1009).Band(900).Id(7).Pci(11).Area(0xD5BD).Plmn(222, 1, 2).Rssi(-75)},
        CellCase{"LaraR6GsmCellNotRead",
                 kLaraR6,
                 {"+UCGED: 2", "2,222,01", "1009,0,ffff,11,ffff,00,255,-1,30,30,1,1"},
                 Gsm,
                 Cell(Gsm).Ch(1009).Band(900).Pci(11).Plmn(222, 1, 2)},
        CellCase{"SaraR5RowMissing", kSaraR5, {"+UCGED: 2", "6,4,001,01"}, None, {}},
        CellCase{"SaraR5HasNoGsmRow",
                 kSaraR5,
                 {"+UCGED: 2", "2,222,1", "1009,0,5265,11,d5bd,00,36,-1,30,30,1,1"},
                 None,
                 {}},
        // LARA-R6 LTE, the manual's example: the levels are index codes (67 is -74 dBm).
        CellCase{"LaraR6Lte",
                 kLaraR6,
                 {"+UCGED: 2", "4,0,001,01",
                  "2525,5,25,50,2b67,69f6bc7,111,00000000,ffff,ff,67,19,0.00,255,255,255,67,11,"
                  "255,0,255,255,0,0"},
                 Lte,
                 Cell(Lte)
                     .Ch(2525)
                     .Band(5)
                     .Pci(111)
                     .Area(0x2B67)
                     .Id(0x69F6BC7)
                     .Plmn(1, 1, 2)
                     .Rsrp(-74)
                     .Rsrq(-10.5)
                     .Sinr(0)},
        // LARA-R6 GSM: "2,<MCC>,<MNC> / <arfcn>,<band1900>,<GcellId>,<BSIC>,<Glac>,<Grac>,
        // <RxLev>,<t_adv>,<C1>,<C2>,<NMO>,<channel_type>", the manual's example.
        CellCase{
            "LaraR6Gsm",
            kLaraR6,
            {"+UCGED: 2", "2,222,1", "1009,0,5265,11,d5bd,00,36,-1,30,30,1,1"},
            Gsm,
            Cell(Gsm).Ch(1009).Band(900).Pci(11).Area(0xD5BD).Id(0x5265).Plmn(222, 1).Rssi(-75)},
        // LARA-R6 UMTS: "3,<svc>,<MCC>,<MNC> / <uarfcn>,<Wband>,<WcellId>,<Wlac>,<Wrac>,
        // <scrambling_code>,<Wrrc>,<rssi>,<ecn0_lev>,<Wspeech_mode>", the manual's example.
        CellCase{"LaraR6Umts",
                 kLaraR6,
                 {"+UCGED: 2", "3,4,001,01", "4400,5,0000000,0000,80,9,4,62,42,255"},
                 Umts,
                 Cell(Umts).Ch(4400).Band(5).Pci(9).Area(0).Plmn(1, 1, 2)},
        // SARA-R422 mode 2: "<rat>,<MCC>,<MNC> / <EARFCN>,<Lband>,<ul_BW>,<dl_BW>,<TAC>,
        // <P-CID>,<RSRP_value>,<RSRQ_value>,<NBMsinr>,...", levels in dBm and dB.
        CellCase{"SaraR422ManualExample",
                 kSaraR422,
                 {"+UCGED: 2", "6,310,410",
                  "5110,12,10,10,830e,162,-86,-14,131,-1,3,255,128,\"FB306E02\""},
                 Lte,
                 Cell(Lte)
                     .Ch(5110)
                     .Band(12)
                     .Pci(162)
                     .Area(0x830E)
                     .Plmn(310, 410, 3)
                     .Rsrp(-86)
                     .Rsrq(-14)},
        // SARA-R4 mode 5: "+RSRP: <PhysCellID>,<EARFCN>,"<RSRP>",..." and "+RSRQ: ...".
        CellCase{"SaraR4Mode5",
                 kSaraR4,
                 {"+RSRP: 162,5110,\"-086.60\",", "+RSRQ: 162,5110,\"-14.20\","},
                 Lte,
                 Cell(Lte).Ch(5110).Pci(162).Rsrp(-86.6).Rsrq(-14.2)},
        // Values ours: further cells of the lists are the neighbours, their RSRQ found by
        // PCI and EARFCN.
        CellCase{"SaraR4Mode5Neighbours",
                 kSaraR4,
                 {"+RSRP: 162,5110,\"-086.60\",55,5110,\"-101.00\",",
                  "+RSRQ: 55,5110,\"-18.00\",162,5110,\"-14.20\","},
                 Lte,
                 Cell(Lte).Ch(5110).Pci(162).Rsrp(-86.6).Rsrq(-14.2),
                 std::nullopt,
                 {Cell(Lte).Ch(5110).Pci(55).Rsrp(-101).Rsrq(-18)}},
        // The SARA-R4 does not tell LTE-M from NB-IoT; +COPS's <AcT> 9 did.
        CellCase{"SaraR4Mode5KeepsNbIot",
                 kSaraR4,
                 {"+RSRP: 162,5110,\"-086.60\","},
                 NbIot,
                 Cell(NbIot).Ch(5110).Pci(162).Rsrp(-86.6),
                 std::nullopt,
                 {},
                 NbIot},
        CellCase{"SaraR4Mode5Malformed",
                 kSaraR4,
                 {"+RSRP: 162,5110,\"-0x6.60\",", "+RSRQ: 999,5110,\"-14.20\""},
                 Lte,
                 Cell(Lte).Ch(5110).Pci(162)}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Fibocom AT+GTCCINFO? ------------------------------------------------------------------
// "<IsServiceCell>,<rat>,<mcc>,<mnc>,<tac>,<cellid>,<earfcn>,<physicalcellId>,<band>,
// <bandwidth>,<rssnr_value>,<rxlev>,<rsrp>,<rsrq>" for a serving LTE or NR cell; an LTE
// neighbour "...,<physicalcellId>,<bandwidth>,<rxlev>,<rsrp>,<rsrq>", an NR one
// "...,<physicalcellId>,<ss-sinr>,<rxlev>,<ss-rsrp>,<ss-rsrq>". <rat> 2 WCDMA, 4 LTE, 9 NR.
INSTANTIATE_TEST_SUITE_P(
    Fibocom, UbloxFibocomCells,
    ::testing::Values(
        // FM350-GL, from the OpenWrt forum.
        CellCase{"Fm350Lte",
                 kFm350,
                 {"+GTCCINFO:", "1,4,262,1,05D5,0019BF801,1300,358,103,100,13,60,60,22"},
                 Lte,
                 Cell(Lte)
                     .Ch(1300)
                     .Band(3)
                     .Pci(358)
                     .Area(0x5D5)
                     .Id(0x19BF801)
                     .Plmn(262, 1)
                     .Rsrp(-81)
                     .Rsrq(-9)
                     .Sinr(6.5)},
        // FM350-GL with neighbours ("FFFF", "00FFFFFFF" and empty fields of no value), and an
        // empty <band> of the serving cell; the negative <rssnr_value> is -3.5 dB.
        CellCase{"Fm350Neighbours",
                 kFm350,
                 {"+GTCCINFO: ", "1,4,262,2,1A2B,0012345AB,100,42,,,-7,29,29,4", "",
                  "2,4,,,FFFF,00FFFFFFF,9460,71,,43,43,10",
                  "2,4,,,FFFF,00FFFFFFF,6300,207,,42,42,15"},
                 Lte,
                 Cell(Lte)
                     .Ch(100)
                     .Pci(42)
                     .Area(0x1A2B)
                     .Id(0x12345AB)
                     .Plmn(262, 2)
                     .Rsrp(-112)
                     .Rsrq(-18)
                     .Sinr(-3.5),
                 std::nullopt,
                 {Cell(Lte).Ch(9460).Pci(71).Rsrp(-98).Rsrq(-15),
                  Cell(Lte).Ch(6300).Pci(207).Rsrp(-99).Rsrq(-12.5)}},
        // EN-DC: two serving rows, the LTE anchor and the NR leg (band 5078 = n78); the
        // neighbour's <rsrq> 71 is beyond LTE's 0..34.
        CellCase{"Fm350EnDc",
                 kFm350,
                 {"+GTCCINFO:", "1,4,001,01,ABCD,00ABCDEF0,1850,123,103,100,4,44,44,13",
                  "1,9,,,FFFFFFF,00FFFFFFF,645312,130,5078,400,2,49,49,69",
                  "2,4,,,FFFF,00FFFFFFF,1850,137,,41,41,71"},
                 NrNsa,
                 Cell(Lte)
                     .Ch(1850)
                     .Band(3)
                     .Pci(123)
                     .Area(0xABCD)
                     .Id(0xABCDEF0)
                     .Plmn(1, 1, 2)
                     .Rsrp(-97)
                     .Rsrq(-13.5)
                     .Sinr(2),
                 Cell(NrNsa).Ch(645312).Band(78).Pci(130).Rsrp(-108).Rsrq(-9).Sinr(-22.5),
                 {Cell(Lte).Ch(1850).Pci(137).Rsrp(-100)}},
        // FM160-CN, captured: labelled rows, EARFCN and PCI in hex (0x672 = 1650 beside band
        // 103 = B3, PCI 0x1E4 = 484).
        CellCase{"Fm160HexChannelAndPci",
                 kFm160,
                 {"+GTCCINFO:", "LTE service cell:",
                  "1,4,460,01,4F50,52BF337,672,1E4,103,100,44,63,63,24", "LTE neighbor cell:"},
                 Lte,
                 Cell(Lte)
                     .Ch(1650)
                     .Band(3)
                     .Pci(484)
                     .Area(0x4F50)
                     .Id(0x52BF337)
                     .Plmn(460, 1, 2)
                     .Rsrp(-78)
                     .Rsrq(-8)
                     .Sinr(22)},
        // The same row read by a model that writes decimal: "1E4" is no PCI, 672 a channel.
        CellCase{"Fm160RowReadAsDecimal",
                 kFm350,
                 {"+GTCCINFO:", "1,4,460,01,4F50,52BF337,672,1E4,103,100,44,63,63,24"},
                 Lte,
                 Cell(Lte)
                     .Ch(672)
                     .Band(3)
                     .Area(0x4F50)
                     .Id(0x52BF337)
                     .Plmn(460, 1, 2)
                     .Rsrp(-78)
                     .Rsrq(-8)
                     .Sinr(22)},
        // Values ours, 5G SA in the NR layout, each row with "+GTCCINFO: " before it as some
        // firmware writes; an NR neighbour's <ss-sinr> stands where LTE has <bandwidth>.
        CellCase{"NrSaEveryRowPrefixed",
                 kFm350,
                 {"+GTCCINFO: 1,9,262,03,1A2B3C,01A2D1011,643296,301,5078,100,60,70,70,80",
                  "+GTCCINFO: 2,9,,,FFFFFF,FFFFFFFFF,643296,302,50,60,60,70"},
                 NrSa,
                 Cell(NrSa)
                     .Ch(643296)
                     .Band(78)
                     .Pci(301)
                     .Area(0x1A2B3C)
                     .Id(0x1A2D1011)
                     .Plmn(262, 3, 2)
                     .Rsrp(-87)
                     .Rsrq(-3.5)
                     .Sinr(6.5),
                 std::nullopt,
                 {Cell(NrSa).Ch(643296).Pci(302).Rsrp(-97).Rsrq(-8.5).Sinr(1.5)}},
        // Values ours: "<rsrp> 0: rsrp < -140 dBm or not detectable", 255 "not known" for the
        // levels and <rssnr_value>, <band> 0 BAND_INVALID.
        CellCase{"NoValueMarks",
                 kFm350,
                 {"+GTCCINFO:", "1,4,262,01,FFFF,00FFFFFFF,1300,358,0,100,255,0,0,255"},
                 Lte,
                 Cell(Lte).Ch(1300).Pci(358).Plmn(262, 1, 2)},
        // The header alone (no cell found): what the standard queries found stays.
        CellCase{"HeaderOnly", kFm350, {"+GTCCINFO:", ""}, Lte, Cell(Lte), std::nullopt, {}, Lte},
        CellCase{"RowsOfAnotherReplyAreNotRead",
                 kFm350,
                 {"+CESQ: 99,99,255,255,20,45", "1,4,262,1,05D5,0019BF801,1300,358,103,100,13,"
                                                "60,60,22"},
                 None,
                 {}}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Fibocom AT+GTCAINFO? ------------------------------------------------------------------
// "PCC:<band>,<pci>,<earfcn>,<dl_bandwidth>,..." and "SCC <n>:<scell_state>,<ul_configured>,
// <band>,<pci>,<earfcn>,<dl_bandwidth>,...", the LTE bandwidth in resource blocks.
TCarrier Carrier(TCarrierRole role, TAccessTech tech, int band, int channel, int pci,
                 std::optional<double> mhz = std::nullopt) {
    TCarrier c;
    c.Role = role;
    c.Tech = tech;
    c.Band = band;
    c.Channel = channel;
    c.PhysicalId = pci;
    c.BandwidthMhz = mhz;
    return c;
}
// What a failing row read: "PCC LTE B3 ch=1850 pci=123 20MHz | ...".
std::string CarriersText(const std::vector<TCarrier>& carriers) {
    std::ostringstream out;
    for (const TCarrier& c : carriers) {
        out << (c.Role == TCarrierRole::Primary ? "PCC " : " | SCC ") << AccessTechName(c.Tech)
            << " B" << c.Band.value_or(-1) << " ch=" << c.Channel.value_or(-1)
            << " pci=" << c.PhysicalId.value_or(-1);
        if (c.BandwidthMhz)
            out << " " << *c.BandwidthMhz << "MHz";
    }
    return out.str();
}
constexpr TCarrierRole P = TCarrierRole::Primary;
constexpr TCarrierRole S = TCarrierRole::Secondary;

TEST(FibocomCarriers, ReadAsTheManualLaysThemOut) {
    struct TRow {
        const char* Name;
        bool Hex;
        TReplyLines Lines;
        std::vector<TCarrier> Carriers;
    };
    const TRow rows[] = {
        // FM350-GL, captured: EN-DC with two LTE secondaries; the NR "PCC" is the leg's.
        {"EN-DC with aggregation",
         false,
         {"+GTCAINFO:", "PCC:5078,130,645312,400,400,2,1,1,3,-107",
          "PCC:103,123,1850,100,100,1,1,3,1,-95", "SCC 1:2,1,101,144,525,75,50,1,1,3,3,-95",
          "SCC 2:2,0,107,151,3025,75,255,1,255,3,255,-95"},
         {Carrier(P, Lte, 3, 1850, 123, 20), Carrier(S, NrNsa, 78, 645312, 130),
          Carrier(S, Lte, 1, 525, 144, 15), Carrier(S, Lte, 7, 3025, 151, 15)}},
        // FM350-GL, captured on 5G SA.
        {"5G SA",
         false,
         {"+GTCAINFO:", "PCC:5078,940,641760,450,2,1,1,3,19,-1,-80"},
         {Carrier(P, NrSa, 78, 641760, 940)}},
        {"the PCC on the header's line",
         false,
         {"+GTCAINFO: PCC:103,123,1850,100,100,1,1,3,1,-95"},
         {Carrier(P, Lte, 3, 1850, 123, 20)}},
        // Values ours: a slot not in use (band 0) is no carrier; a bandwidth of no RB count.
        {"unused slot and odd bandwidth",
         false,
         {"+GTCAINFO:", "PCC:120,7,6300,42,50", "SCC 1:0,0,0,0,0,0,255,0,255,0"},
         {Carrier(P, Lte, 20, 6300, 7)}},
        // FM160: channel and PCI in hex, as its +GTCCINFO writes them.
        {"hex channel and PCI",
         true,
         {"+GTCAINFO:", "PCC:103,1E4,672,100,100", "SCC 1:2,0,101,9,20D,50"},
         {Carrier(P, Lte, 3, 1650, 484, 20), Carrier(S, Lte, 1, 525, 9, 10)}},
        {"secondaries without a primary", false, {"+GTCAINFO:", "SCC 1:2,1,101,144,525,75"}, {}},
    };
    for (const TRow& row : rows) {
        TModemStatus status;
        AddCarrier(status.Radio, Carrier(P, Lte, 20, 6300, 1)); // last cycle's
        ParseFibocomCarriers(row.Lines, status, {row.Hex});
        EXPECT_EQ(status.Radio.Carriers, row.Carriers)
            << row.Name << ": " << CarriersText(status.Radio.Carriers);
    }
}

TEST(FibocomCarriers, AnotherRepliesLinesLeaveThemAlone) {
    TModemStatus status;
    AddCarrier(status.Radio, Carrier(P, Lte, 20, 6300, 1));
    const TRadioStatus before = status.Radio;
    ParseFibocomCarriers({"+GTCCINFO:", "PCC:103,123,1850,100"}, status, {});
    EXPECT_EQ(status.Radio, before);
}

// ---- Which models are read how -------------------------------------------------------------
TEST(UbloxLayouts, EveryModelAsItAnswersCgmm) {
    const std::pair<const char*, TUcgedLayout> rows[] = {
        {"SARA-R404M", TUcgedLayout::SaraR4Mode5},
        {"SARA-R410M-02B", TUcgedLayout::SaraR4Mode5},
        {"SARA-R410M-63B", TUcgedLayout::SaraR4Mode5},
        {"SARA-R412M-02B", TUcgedLayout::SaraR4Mode5},
        {"SARA-R422M8S", TUcgedLayout::SaraR422},
        {"SARA-R500S", TUcgedLayout::SaraR5},
        {"SARA-R510M8S", TUcgedLayout::SaraR5},
        {"sara-r510s", TUcgedLayout::SaraR5},
        {"u-blox SARA-R500S", TUcgedLayout::SaraR5},
        {"LARA-R6001D", TUcgedLayout::LaraR6},
        {"LARA-R6401", TUcgedLayout::LaraR6},
        {"TOBY-L210", TUcgedLayout::None},
        {"", TUcgedLayout::None},
    };
    for (const auto& [model, layout] : rows)
        EXPECT_EQ(UbloxLayoutFor(model), layout) << model;
}

TEST(FibocomQuirks, EveryModelAsItAnswersCgmm) {
    const std::pair<const char*, bool> rows[] = {
        {"FM160-CN", true},  {"FM160-EAU", true}, {"Fibocom FM160-NA", true},
        {"FM350-GL", false}, {"FM150-AE", false}, {"L860-GL", false},
    };
    for (const auto& [model, hex] : rows)
        EXPECT_EQ(FibocomQuirksFor(model).ChannelAndPciInHex, hex) << model;
}

TEST(UbloxFibocomQueries, TheVendorIsFoundAndTheModeSetOnTheQueryLine) {
    struct TRow {
        const char* Maker;
        const char* Model;
        std::vector<std::string> VendorCommands;
    };
    const TRow rows[] = {
        {"u-blox", "SARA-R410M-02B", {"AT+UCGED=5;+UCGED?\r"}},
        {"u-blox", "SARA-R500S", {"AT+UCGED=2;+UCGED?\r"}},
        {"u-blox", "LARA-R6001D", {"AT+UCGED=2;+UCGED?\r"}},
        {"ublox", "SARA-R422M8S", {"AT+UCGED=2;+UCGED?\r"}},
        {"u-blox", "TOBY-L210", {}},
        {"Fibocom Wireless Inc.", "FM350-GL", {"AT+GTCCINFO?\r", "AT+GTCAINFO?\r"}},
        {"Fibocom", "FM160-CN", {"AT+GTCCINFO?\r", "AT+GTCAINFO?\r"}},
        {"", "Fibocom FM150-AE", {"AT+GTCCINFO?\r", "AT+GTCAINFO?\r"}},
    };
    const std::size_t standard = RadioQueriesFor("", "").size();
    for (const TRow& row : rows) {
        std::vector<std::string> vendor;
        const std::vector<TRadioQuery> queries = RadioQueriesFor(row.Maker, row.Model);
        for (std::size_t i = standard; i < queries.size(); ++i)
            vendor.push_back(queries[i].Command);
        EXPECT_EQ(vendor, row.VendorCommands) << row.Maker << " " << row.Model;
    }
}

TEST(UbloxFibocomQueries, TheBoundParsersKeepTheModelsLayout) {
    TModemStatus r4;
    RadioQueriesFor("u-blox", "SARA-R410M-02B").back().Parse({"+RSRP: 162,5110,\"-086.60\","}, r4);
    EXPECT_EQ(r4.Radio.Serving.Rsrp, -86.6);

    TModemStatus fm160;
    const std::vector<TRadioQuery> queries = RadioQueriesFor("Fibocom", "FM160-CN");
    queries[queries.size() - 2].Parse(
        {"+GTCCINFO:", "1,4,460,01,4F50,52BF337,672,1E4,103,100,44,63,63,24"}, fm160);
    EXPECT_EQ(fm160.Radio.Serving.PhysicalId, 484);
}

} // namespace
} // namespace celdara
