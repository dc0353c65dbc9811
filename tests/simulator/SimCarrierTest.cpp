// The carriers the simulated modems tell: every dialect's carrier lines, decoded here from the
// vendors' layouts, carry the world's carriers field by field, and the program's own radio
// queries read them back as the world has them.
#include "SimHarness.h"
#include "modem/ModemStatus.h"
#include "modem/RadioDialect.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <regex>

namespace celdara::test {
namespace {

using Lines = std::vector<std::string>;

TSimModemOptions CarrierOptions(const char* dialect, const char* model, TSimRat rat,
                                std::uint64_t seed) {
    TSimModemOptions o = QuietOptions(seed);
    o.Echo = false;
    o.Dialect = dialect;
    o.Model = model;
    o.Phases = {{rat, 36000}};
    return o;
}

// A carrier as a reply tells it; what the layout lacks stays empty.
struct Told {
    TSimRat rat = TSimRat::Lte;
    int band = 0;
    int channel = 0;
    std::optional<int> mhz, pci, rsrp, rsrq, rssi, sinr;
};

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

int Int(const std::string& text) {
    return std::stoi(text);
}

// RG50xQ&RM5xxQ Series AT Commands Manual, AT+QCAINFO: LTE lines of 10 or 13 fields with the
// bandwidth in resource blocks; NR lines with the bandwidth index of AT+QENG, the PCI fifth on
// the EN-DC leg and SA's primary (5 or 8 fields), sixth on SA's secondary (9 or 12).
std::vector<Told> DecodeQcainfo(const Lines& lines) {
    static const int nrMhz[] = {5, 10, 15, 20, 25, 30, 40, 50, 60, 70, 80, 90, 100, 200, 400};
    std::vector<Told> told;
    for (const std::string& line : lines) {
        if (line.rfind("+QCAINFO: ", 0) != 0)
            continue; // a RING, say
        const auto f = Split(line.substr(10), ',');
        Told t;
        const bool nr = f.at(3).find("NR5G BAND ") != std::string::npos;
        t.rat = nr ? TSimRat::NrSa : TSimRat::Lte;
        t.band = Int(f[3].substr(f[3].rfind(' ') + 1));
        t.channel = Int(f[1]);
        t.mhz = nr ? nrMhz[Int(f[2])] : Int(f[2]) / 5;
        const std::size_t at = !nr ? 5 : f.size() == 5 || f.size() == 8 ? 4 : 5;
        t.pci = Int(f.at(at));
        const std::size_t levels = !nr ? 6 : f.size() == 8 ? 5 : 9;
        if (f.size() > levels + 2) {
            t.rsrp = Int(f[levels]);
            t.rsrq = Int(f[levels + 1]);
            if (!nr)
                t.rssi = Int(f[levels + 2]);
            t.sinr = Int(f[nr ? levels + 2 : levels + 3]);
        }
        told.push_back(t);
    }
    return told;
}

// AirPrime EM74xx/MC74xx AT Command Reference, !GSTATUS, with the EM7455's CA lines: label and
// value pairs parted by tabs; a line's second "RSRP (dBm)" belongs to its first label.
std::vector<Told> DecodeGstatus(const Lines& lines) {
    std::map<std::string, std::string> v;
    for (const std::string& line : lines) {
        std::string first;
        for (const std::string& part : Split(line, '\t')) {
            const auto colon = part.find(':');
            if (part.empty() || colon == std::string::npos)
                continue;
            const std::string label = part.substr(0, colon);
            v[(label == "RSRP (dBm)" ? first + " " : "") + label] =
                std::string(Trim(part.substr(colon + 1)));
            first = first.empty() ? label : first;
        }
    }
    std::vector<Told> told;
    if (v.count("LTE band") == 0)
        return told; // not on LTE
    const auto carrier = [&](const std::string& band, const std::string& bw,
                             const std::string& chan, const std::string& antenna) {
        Told t;
        t.band = Int(v.at(band).substr(1));
        t.mhz = Int(v.at(bw));
        t.channel = Int(v.at(chan));
        t.rssi = Int(v.at(antenna));
        t.rsrp = Int(v.at(antenna + " RSRP (dBm)"));
        told.push_back(t);
    };
    carrier("LTE band", "LTE bw", "LTE Rx chan", "PCC RxM RSSI");
    if (v["LTE CA state"] == "ACTIVE")
        carrier("LTE Scell band", "LTE Scell bw", "LTE Scell chan", "SCC RxM RSSI");
    return told;
}

// FM350 AT Commands User Manual / FG150 & FM150 Series AT Commands, +GTCCINFO: the serving
// rows (IsServiceCell 1) of LTE and NR, levels as 36.133 / 38.133 indexes, bands coded
// 100 + n (LTE) and "50" + n (NR), the LTE bandwidth in resource blocks.
std::vector<Told> DecodeRows(const Lines& lines, int radix) {
    std::vector<Told> told;
    for (const std::string& line : lines) {
        if (line.rfind("1,", 0) != 0)
            continue; // labels, neighbours, a RING
        const auto f = Split(line, ',');
        Told t;
        const bool nr = f.at(1) == "9";
        t.rat = nr ? TSimRat::NrSa : TSimRat::Lte;
        t.channel = std::stoi(f.at(6), nullptr, radix);
        t.pci = std::stoi(f.at(7), nullptr, radix);
        t.band = nr ? Int(f.at(8).substr(2)) : Int(f.at(8)) - 100;
        t.mhz = nr ? Int(f.at(9)) : Int(f.at(9)) / 5;
        t.sinr = nr ? (Int(f.at(10)) - 47) / 2 : Int(f.at(10)) / 2;
        t.rsrp = Int(f.at(12)) - (nr ? 157 : 141);
        t.rsrq = (Int(f.at(13)) - (nr ? 87 : 40)) / 2;
        told.push_back(t);
    }
    return told;
}

std::vector<Told> DecodeGtccinfo(const Lines& lines) {
    return DecodeRows(lines, 10);
}

// The FM160 writes the channel and the PCI in hex.
std::vector<Told> DecodeGtccinfoHex(const Lines& lines) {
    return DecodeRows(lines, 16);
}

// FM350 AT Commands User Manual, +GTCAINFO: "PCC:<band>,<pci>,<earfcn>,<dl_bandwidth>,..." and
// "SCC <n>:<scell_state>,<ul_configured>,<band>,..."; EN-DC's NR primary comes first, the
// world lists the leg last. The last field carries the RSRP, as captures suggest.
std::vector<Told> DecodeGtcainfo(const Lines& lines) {
    std::vector<Told> told;
    for (const std::string& line : lines) {
        const auto colon = line.find(':');
        const bool primary = line.rfind("PCC:", 0) == 0;
        if (!primary && line.rfind("SCC ", 0) != 0)
            continue; // the header, a RING
        const auto f = Split(line.substr(colon + 1), ',');
        const std::size_t o = primary ? 0 : 2;
        Told t;
        const bool nr = f.at(o).rfind("50", 0) == 0;
        t.rat = nr ? TSimRat::NrSa : TSimRat::Lte;
        t.band = nr ? Int(f[o].substr(2)) : Int(f[o]) - 100;
        t.pci = Int(f.at(o + 1));
        t.channel = Int(f.at(o + 2));
        t.mhz = nr ? Int(f.at(o + 3)) : Int(f.at(o + 3)) / 5;
        t.rsrp = Int(f.back());
        told.push_back(t);
    }
    std::stable_partition(told.begin(), told.end(),
                          [](const Told& t) { return t.rat == TSimRat::Lte; });
    return told;
}

// LARA-R6 / SARA-R5 AT commands manuals, +UCGED (mode 2): the LTE serving cell's line.
std::vector<Told> DecodeUcged(const Lines& lines) {
    std::vector<Told> told;
    const auto mode = std::find(lines.begin(), lines.end(), "+UCGED: 2");
    if (lines.end() - mode < 3)
        return told;
    const auto f = Split(mode[2], ',');
    Told t;
    t.channel = Int(f.at(0));
    t.band = Int(f.at(1));
    t.mhz = Int(f.at(3)) / 5;
    t.pci = Int(f.at(6));
    t.rsrp = Int(f.at(10)) - 141;
    t.rsrq = (Int(f.at(11)) - 40) / 2;
    t.sinr = Int(f.at(12).substr(0, f.at(12).find('.')));
    told.push_back(t);
    return told;
}

// Which of the world's carriers a dialect's command tells.
enum class TTells { All, ServingAndLeg, Primary };

struct CarrierCase {
    const char* name;
    const char* dialect;
    const char* model;
    TSimRat rat;
    const char* command;
    std::function<std::vector<Told>(const Lines&)> decode;
    TTells tells = TTells::All;
};

std::vector<TSimRadioCell> Expected(const TSimNetwork& n, TTells tells) {
    std::vector<TSimRadioCell> all = n.Carriers();
    if (tells == TTells::All || all.empty())
        return all;
    std::vector<TSimRadioCell> some = {all.front()};
    if (auto leg = n.NrLeg(); leg && tells == TTells::ServingAndLeg)
        some.push_back(*leg);
    return some;
}

void ExpectSame(const Told& t, const TSimRadioCell& w, const std::string& what) {
    EXPECT_EQ(t.rat, w.Rat) << what;
    EXPECT_EQ(t.band, w.Band) << what;
    EXPECT_EQ(t.channel, w.Channel) << what;
    EXPECT_EQ(t.mhz.value_or(w.BandwidthMhz), w.BandwidthMhz) << what << " MHz";
    EXPECT_EQ(t.pci.value_or(w.Pci), w.Pci) << what << " PCI";
    EXPECT_EQ(t.rsrp.value_or(w.Rsrp), w.Rsrp) << what << " RSRP";
    EXPECT_EQ(t.rsrq.value_or(w.Rsrq), w.Rsrq) << what << " RSRQ";
    EXPECT_EQ(t.rssi.value_or(w.Rssi), w.Rssi) << what << " RSSI";
    EXPECT_EQ(t.sinr.value_or(w.Sinr), w.Sinr) << what << " SINR";
}

class SimCarrierLinesTest : public ::testing::TestWithParam<CarrierCase> {};

// Over ten minutes of drift, every carrier line is the world's carrier of its place, and the
// world aggregated at least once while the dialect was asked.
TEST_P(SimCarrierLinesTest, LinesCarryTheWorldsCarriers) {
    const CarrierCase& c = GetParam();
    SimHarness h(CarrierOptions(c.dialect, c.model, c.rat, 5));
    int aggregated = 0;
    for (int i = 0; i < 40; ++i) {
        h.Run(15000 - h.now % 1000 + 10); // just past a world step: one moment per reply
        const auto told = c.decode(Info(h, c.command));
        const auto world = Expected(h.modem.Network(), c.tells);
        ASSERT_EQ(told.size(), world.size()) << c.name << " at " << i;
        for (std::size_t k = 0; k < told.size(); ++k)
            ExpectSame(told[k], world[k], std::string(c.name) + " carrier " + std::to_string(k));
        aggregated += h.modem.Network().Carriers().size() > 1 ? 1 : 0;
    }
    EXPECT_GT(aggregated, 10);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Dialects, SimCarrierLinesTest, ::testing::Values(
    CarrierCase{"quectel_rm500q_lte", "quectel", "RM500Q-GL", TSimRat::Lte, "AT+QCAINFO", DecodeQcainfo},
    CarrierCase{"quectel_rm500q_nsa", "quectel", "RM500Q-GL", TSimRat::LteNr, "AT+QCAINFO", DecodeQcainfo},
    CarrierCase{"quectel_rm500q_sa", "quectel", "RM500Q-GL", TSimRat::NrSa, "AT+QCAINFO", DecodeQcainfo},
    CarrierCase{"quectel_rm520n_nsa", "quectel", "RM520N-GL", TSimRat::LteNr, "AT+QCAINFO", DecodeQcainfo},
    CarrierCase{"quectel_rm520n_sa", "quectel", "RM520N-GL", TSimRat::NrSa, "AT+QCAINFO", DecodeQcainfo},
    CarrierCase{"quectel_eg06_lte", "quectel", "EG06-E", TSimRat::Lte, "AT+QCAINFO", DecodeQcainfo},
    // An LTE-only module on an EN-DC anchor aggregates its LTE carriers alone.
    CarrierCase{"sierra_lte", "sierra", "", TSimRat::Lte, "AT!GSTATUS?", DecodeGstatus},
    CarrierCase{"sierra_on_nsa", "sierra", "", TSimRat::LteNr, "AT!GSTATUS?", DecodeGstatus},
    CarrierCase{"fibocom_ca_lte", "fibocom", "FM350-GL", TSimRat::Lte, "AT+GTCAINFO?", DecodeGtcainfo},
    CarrierCase{"fibocom_ca_nsa", "fibocom", "FM350-GL", TSimRat::LteNr, "AT+GTCAINFO?", DecodeGtcainfo},
    CarrierCase{"fibocom_ca_sa", "fibocom", "FM350-GL", TSimRat::NrSa, "AT+GTCAINFO?", DecodeGtcainfo},
    CarrierCase{"fibocom_nsa", "fibocom", "FM350-GL", TSimRat::LteNr, "AT+GTCCINFO?", DecodeGtccinfo, TTells::ServingAndLeg},
    CarrierCase{"fibocom_fm160_nsa", "fibocom", "FM160-CN", TSimRat::LteNr, "AT+GTCCINFO?", DecodeGtccinfoHex, TTells::ServingAndLeg},
    CarrierCase{"fibocom_sa", "fibocom", "FM350-GL", TSimRat::NrSa, "AT+GTCCINFO?", DecodeGtccinfo, TTells::ServingAndLeg},
    CarrierCase{"ublox_lara_r6", "ublox", "LARA-R6001D", TSimRat::Lte, "AT+UCGED?", DecodeUcged, TTells::Primary},
    CarrierCase{"ublox_sara_r5", "ublox", "SARA-R510M8S", TSimRat::Lte, "AT+UCGED?", DecodeUcged, TTells::Primary}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

struct CellInfoCase {
    const char* name;
    const char* model;
    TSimRat rat;
    const char* reply; // the whole reply as a pattern, its lines joined by "\n"
};

// FIBOCOM FG150 & FM150 Series AT Commands and FM350 AT Commands User Manual, +GTCCINFO: the
// section labels and the rows of each kind (LTE serving 14 fields, LTE neighbour 12 with the
// bandwidth in resource blocks, NR serving 14 with the band as "50" + n, NR neighbour 12, UMTS
// serving 15); the FM160 writes channel and PCI in hex.
#define ROW(serving, rat, area) serving "," rat R"(,\d{3},\d{2},[0-9A-F]{)" area R"(},[0-9A-F]{9},)"
#define LTE_SERVING ROW("1", "4", "4") R"(\d+,\d+,1\d\d,(25|50|75|100),-?\d+,\d+,\d+,\d+)"
#define LTE_NEIGHBOUR ROW("2", "4", "4") R"(\d+,\d+,(25|50|75|100),\d+,\d+,\d+)"
#define NR_SERVING ROW("1", "9", "6") R"(\d+,\d+,50\d+,\d+,\d+,\d+,\d+,\d+)"
#define NR_NEIGHBOUR ROW("2", "9", "6") R"(\d+,\d+,\d+,\d+,\d+,\d+)"
// clang-format off
const CellInfoCase kCellInfoCases[] = {
    {"lte", "FM350-GL", TSimRat::Lte, R"(\+GTCCINFO:\nLTE service cell:\n)" LTE_SERVING R"((\nLTE neighbor cell:(\n)" LTE_NEIGHBOUR ")+)?"},
    {"endc", "FM350-GL", TSimRat::LteNr, R"(\+GTCCINFO:\nLTE-NR EN-DC service cell:\n)" LTE_SERVING "\n" NR_SERVING R"((\nLTE neighbor cell:(\n)" LTE_NEIGHBOUR ")+)?"},
    {"sa", "FM350-GL", TSimRat::NrSa, R"(\+GTCCINFO:\nNR service cell:\n)" NR_SERVING R"((\nNR neighbor cell:(\n)" NR_NEIGHBOUR ")+)?"},
    {"umts", "FM350-GL", TSimRat::Umts, R"(\+GTCCINFO:\nUMTS service cell:\n)" ROW("1", "2", "4") R"(\d+,\d+,[18],\d+,\d+,0,\d+,,\d+)"},
    {"fm160_hex", "FM160-CN", TSimRat::Lte, R"(\+GTCCINFO:\nLTE service cell:\n)" ROW("1", "4", "4") R"([0-9A-F]+,[0-9A-F]+,1\d\d,(25|50|75|100),-?\d+,\d+,\d+,\d+(\n.*)*)"},
    {"l850_on_endc", "L850-GL", TSimRat::LteNr, R"(\+GTCCINFO:\nLTE service cell:\n)" LTE_SERVING R"((\nLTE neighbor cell:(\n)" LTE_NEIGHBOUR ")+)?"},
};
// clang-format on
#undef ROW
#undef LTE_SERVING
#undef LTE_NEIGHBOUR
#undef NR_SERVING
#undef NR_NEIGHBOUR

TEST(SimCarrierTest, FibocomCellInfoHasTheManualsSections) {
    for (const CellInfoCase& c : kCellInfoCases) {
        SimHarness h(CarrierOptions("fibocom", c.model, c.rat, 9));
        int served = 0;
        for (int i = 0; i < 10; ++i) {
            h.Run(30000);
            std::string reply;
            for (const std::string& line : Info(h, "AT+GTCCINFO?"))
                reply += (reply.empty() ? "" : "\n") + line;
            if (reply == "+GTCCINFO:")
                continue; // no service
            ++served;
            EXPECT_TRUE(std::regex_match(reply, std::regex(c.reply))) << c.name << ":\n" << reply;
        }
        EXPECT_GT(served, 5) << c.name;
    }
}

// What a module's manual does not document it refuses, as the engine refuses any unknown
// command; what it documents it answers in other forms too.
TEST(SimCarrierTest, UndocumentedCarrierCommandsAnswerError) {
    struct Row {
        const char* dialect;
        const char* model;
        const char* command;
        const char* last; // the final line
    };
    const Row rows[] = {
        {"quectel", "EG25", "AT+QCAINFO", "ERROR"}, // the EC2x/EG25 manual has no AT+QCAINFO
        {"quectel", "RM500Q-GL", "AT+QCAINFO?", "ERROR"},
        {"quectel", "RM500Q-GL", "AT+QCAINFO=?", "OK"},
        {"fibocom", "FM350-GL", "AT+GTCAINFO", "ERROR"},
        {"fibocom", "FM350-GL", "AT+GTCCINFO", "ERROR"},
        {"fibocom", "FM350-GL", "AT+GTCCINFO=?", "OK"},
        {"fibocom", "FM350-GL", "AT+QCAINFO", "ERROR"},
        {"ublox", "LARA-R6001D", "AT+UCGED=5", "ERROR"},
        {"ublox", "LARA-R6001D", "AT+UCGED", "ERROR"},
        {"ublox", "LARA-R6001D", "AT+UCGED=2", "OK"},
        {"ublox", "LARA-R6001D", "AT+GTCCINFO?", "ERROR"},
        {"sierra", "", "AT+QCAINFO", "ERROR"},
        {"3gpp", "", "AT+UCGED?", "ERROR"},
    };
    for (const Row& r : rows) {
        SimHarness h(CarrierOptions(r.dialect, r.model, TSimRat::Lte, 3));
        h.Run(3000);
        const Lines reply = h.Command(std::string(r.command) + "\r");
        ASSERT_FALSE(reply.empty()) << r.dialect << " " << r.command;
        EXPECT_EQ(reply.back(), r.last) << r.dialect << " " << r.model << " " << r.command;
    }
}

TCarrier AsCarrier(const TSimRadioCell& c, bool primary, bool leg) {
    TCarrier w;
    w.Role = primary ? TCarrierRole::Primary : TCarrierRole::Secondary;
    w.Tech = c.Rat == TSimRat::Lte ? TAccessTech::Lte
             : leg                 ? TAccessTech::NrNsa
                                   : TAccessTech::NrSa;
    w.Band = c.Band;
    w.Channel = c.Channel;
    w.BandwidthMhz = c.BandwidthMhz;
    w.PhysicalId = c.Pci;
    w.Rsrp = c.Rsrp;
    w.Rsrq = c.Rsrq;
    w.Rssi = c.Rssi;
    w.Sinr = c.Sinr;
    return w;
}

// Every value the program read is the world's; role, technology, band and channel are there.
void ExpectReadAsTheWorldHasIt(const TCarrier& got, const TCarrier& world,
                               const std::string& what) {
    EXPECT_EQ(got.Role, world.Role) << what;
    EXPECT_EQ(got.Tech, world.Tech) << what;
    EXPECT_EQ(got.Band, world.Band) << what;
    EXPECT_EQ(got.Channel, world.Channel) << what;
    const auto same = [&](const auto& g, const auto& w, const char* name) {
        if (g) {
            EXPECT_EQ(*g, *w) << what << name;
        }
    };
    same(got.BandwidthMhz, world.BandwidthMhz, " MHz");
    same(got.PhysicalId, world.PhysicalId, " PCI");
    same(got.Rsrp, world.Rsrp, " RSRP");
    same(got.Rsrq, world.Rsrq, " RSRQ");
    same(got.Rssi, world.Rssi, " RSSI");
    same(got.Sinr, world.Sinr, " SINR");
}

// The program's own radio queries, chosen by the modem's +CGMI / +CGMM, read the carriers in
// use as the world has them, in every aggregating phase; what a dialect's commands do not tell
// (u-blox's secondary carriers) the program does not invent.
TEST(SimCarrierTest, ProgramReadsTheCarriersBack) {
    struct Modem {
        const char* dialect;
        const char* model;
        TTells tells;
    };
    const Modem modems[] = {
        {"quectel", "RM500Q-GL", TTells::All},     {"quectel", "RM520N-GL", TTells::All},
        {"quectel", "EG06-E", TTells::All},        {"sierra", "", TTells::All},
        {"fibocom", "FM350-GL", TTells::All},      {"ublox", "LARA-R6001D", TTells::Primary},
        {"ublox", "SARA-R510M8S", TTells::Primary}};
    int aggregated = 0;
    for (const Modem& m : modems) {
        for (TSimRat rat : {TSimRat::Lte, TSimRat::LteNr, TSimRat::NrSa}) {
            SimHarness h(CarrierOptions(m.dialect, m.model, rat, 12));
            const auto queries =
                RadioQueriesFor(Info(h, "AT+CGMI").at(0), Info(h, "AT+CGMM").at(0));
            for (int i = 0; i < 6; ++i) {
                h.Run(20000 - h.now % 1000 + 10);
                TModemStatus status;
                for (const TRadioQuery& q : queries)
                    q.Parse(Info(h, q.Command), status);
                auto world = Expected(h.modem.Network(), m.tells);
                auto got = CarriersInUse(status.Radio);
                // The secondaries in no particular order: Fibocom names EN-DC's leg first.
                if (got.size() > 1) {
                    std::sort(got.begin() + 1, got.end(),
                              [](const TCarrier& a, const TCarrier& b) { return a.Band < b.Band; });
                    std::sort(world.begin() + 1, world.end(),
                              [](const TSimRadioCell& a, const TSimRadioCell& b) {
                                  return a.Band < b.Band;
                              });
                }
                const std::string what = std::string(m.dialect) + " " + m.model + " " +
                                         std::to_string(static_cast<int>(rat)) + " at " +
                                         std::to_string(i);
                ASSERT_EQ(got.size(), world.size()) << what;
                aggregated += got.size() > 1 ? 1 : 0;
                for (std::size_t k = 0; k < got.size(); ++k)
                    ExpectReadAsTheWorldHasIt(
                        got[k],
                        AsCarrier(world[k], k == 0,
                                  rat == TSimRat::LteNr && world[k].Rat != TSimRat::Lte),
                        what + " carrier " + std::to_string(k));
            }
        }
    }
    EXPECT_GT(aggregated, 40);
}
} // namespace
} // namespace celdara::test
