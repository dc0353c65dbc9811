// The dialects' registry, the 27.007 answers every dialect but the Siemens one shares, and
// the small formatting helpers of the vendors' files.
#include "simulator/SimDialect.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace celdara {

using namespace simdialect;

namespace simdialect {

std::string Join(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i == 0 ? "" : ",") + fields[i];
    return line;
}

std::string Hex(std::int64_t value, int digits) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buffer;
}

std::string Num(long long value) {
    return std::to_string(value);
}

std::string Decimal(int value, bool half) {
    const int tenths = half ? value * 5 : value * 10;
    const int whole = tenths / 10;
    const int frac = tenths < 0 ? -(tenths % 10) : tenths % 10;
    return std::string(tenths < 0 && whole == 0 ? "-" : "") + std::to_string(whole) + "." +
           std::to_string(frac);
}

std::string TwoDigits(int value) {
    return (value >= 0 && value < 10 ? "0" : "") + std::to_string(value);
}

int Clamp(int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
}

bool ArgIs(std::string_view args, std::string_view word) {
    if (args.size() != word.size() + 2 || args.front() != '"' || args.back() != '"')
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(args[i + 1])) !=
            std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    }
    return true;
}

TSimService Service(const TSimNetwork& n) {
    if (!n.Serving())
        return TSimService::None;
    const int reg = n.RegState();
    return reg == 1 || reg == 5 || reg == 4 ? TSimService::Registered : TSimService::Limited;
}

} // namespace simdialect

namespace {

bool IsEutran(TSimRat rat) {
    return rat == TSimRat::Lte || rat == TSimRat::LteNr;
}

// +CESQ, 27.007 8.69: each technology's own fields, 99 or 255 for the others'.
std::string CesqLine(const TSimDialectContext& c) {
    const TSimNetwork& n = c.Network;
    int f[9] = {99, 99, 255, 255, 255, 255, 255, 255, 255};
    const TSimRat rat = n.Technology();
    const auto cell = n.RadioServing();
    if (rat == TSimRat::Gsm) {
        if (auto s = n.Serving()) {
            f[0] = Clamp(s->Dbm + 111, 0, 63);
            f[1] = n.CsqBer();
        }
    } else if (rat == TSimRat::Umts && cell) {
        f[2] = Clamp(cell->Rscp + 121, 0, 96);
        f[3] = Clamp(cell->EcIo2 + 49, 0, 49);
    } else if (IsEutran(rat) && cell) {
        f[4] = Clamp(2 * cell->Rsrq + 40, 0, 34);
        f[5] = Clamp(cell->Rsrp + 141, 0, 97);
    }
    const auto nr = rat == TSimRat::NrSa ? cell : n.NrLeg();
    if (nr) {
        f[6] = Clamp(2 * nr->Rsrq + 87, 0, 127);
        f[7] = Clamp(nr->Rsrp + 157, 0, 126);
        f[8] = Clamp(2 * nr->Sinr + 47, 0, 127);
    }
    std::vector<std::string> fields;
    for (int i = 0; i < (c.Nr ? 9 : 6); ++i)
        fields.push_back(Num(f[i]));
    return "+CESQ: " + Join(fields);
}

bool IsRegistered(int stat) {
    return stat == 1 || stat == 5;
}

// +CEREG / +C5GREG read, 27.007 10.1.22 / 10.1.23: the location only with <n> 2 and a
// registration on that system.
std::string EpsLine(const TSimDialectContext& c, bool fiveG) {
    const TSimNetwork& n = c.Network;
    const int mode = fiveG ? c.C5gregMode : c.CeregMode;
    const int stat = fiveG ? n.NrRegState() : n.EpsRegState();
    std::string line = (fiveG ? "+C5GREG: " : "+CEREG: ") + Num(mode) + "," + Num(stat);
    const auto cell = n.RadioServing();
    if (mode == 2 && IsRegistered(stat) && cell) {
        line += fiveG ? ",\"" + Hex(cell->Area, 6) + "\",\"" + Hex(cell->CellId, 10) + "\",11"
                      : ",\"" + Hex(cell->Area, 4) + "\",\"" + Hex(cell->CellId, 8) + "\",7";
    }
    return line;
}

TSimDialectResult OneLine(std::vector<std::string>& lines, std::string line) {
    lines.push_back(std::move(line));
    return TSimDialectResult::Ok;
}

} // namespace

int SimAct(TSimRat rat) {
    switch (rat) {
    case TSimRat::Gsm:
        return 0;
    case TSimRat::Umts:
        return 2;
    case TSimRat::Lte:
        return 7;
    case TSimRat::LteNr:
        return 13;
    case TSimRat::NrSa:
        return 11;
    }
    return 0;
}

bool TSimDialect::HasNr(std::string_view) const {
    return false;
}

// Levels beyond GSM come from the carrier RSSI of the serving cell; BER is GSM's only.
std::string TSimDialect::CsqLine(const TSimDialectContext& c) const {
    const TSimNetwork& n = c.Network;
    if (n.Technology() == TSimRat::Gsm)
        return "+CSQ: " + Num(n.CsqRssi()) + "," + Num(n.CsqBer());
    const auto cell = n.RadioServing();
    if (!cell)
        return "+CSQ: 99,99";
    return "+CSQ: " + Num(Clamp((cell->Rssi + 113) / 2, 0, 31)) + ",99";
}

int TSimDialect::CregState(const TSimDialectContext& c) const {
    return c.Network.RegState();
}

TSimDialectResult TSimDialect::Answer(const TSimDialectCommand& cmd, const TSimDialectContext& c,
                                      std::vector<std::string>& lines) const {
    using K = TSimCommandKind;
    if (cmd.Name == "+CESQ") {
        if (cmd.Kind == K::Test)
            return OneLine(lines, c.Nr ? "+CESQ: (0-63,99),(0-7,99),(0-96,255),(0-49,255),"
                                         "(0-34,255),(0-97,255),(0-127,255),(0-126,255),(0-127,255)"
                                       : "+CESQ: (0-63,99),(0-7,99),(0-96,255),(0-49,255),"
                                         "(0-34,255),(0-97,255)");
        if (cmd.Kind != K::Action)
            return TSimDialectResult::Error;
        return OneLine(lines, CesqLine(c));
    }
    if (cmd.Kind == K::Read && cmd.Name == "+CEREG")
        return OneLine(lines, EpsLine(c, false));
    if (cmd.Kind == K::Read && cmd.Name == "+C5GREG" && c.Nr)
        return OneLine(lines, EpsLine(c, true));
    return TSimDialectResult::Unknown;
}

// In the order the tool's help lists them.
static std::vector<const TSimDialect*> AllDialects() {
    return {&SimGsmDialect(),     &Sim3gppDialect(),      &SimQuectelDialect(), &SimSimcomDialect(),
            &SimHuaweiDialect(),  &SimCinterionDialect(), &SimTelitDialect(),   &SimSierraDialect(),
            &SimFibocomDialect(), &SimUbloxDialect()};
}

const std::vector<std::string_view>& SimDialectNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> list;
        for (const TSimDialect* d : AllDialects())
            list.push_back(d->Name());
        return list;
    }();
    return names;
}

const TSimDialect* FindSimDialect(std::string_view name) {
    for (const TSimDialect* d : AllDialects()) {
        if (d->Name() == name)
            return d;
    }
    return nullptr;
}

} // namespace celdara
