// How the simulated modem of one vendor words what it sees. The radio world decides the
// technology, the cells and their levels; a dialect only formats them, in the reply layouts
// of that vendor's public AT manual, with the vendor's "no value" marks and quirks. The
// shared 27.007 answers (+CSQ, +CREG, +CESQ, +CEREG, +C5GREG) are the base class's, so a
// vendor overrides only where its firmware differs. Dialects hold no state: the AT engine
// keeps the settings and hands them over with every command.
#pragma once

#include "simulator/SimNetwork.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

enum class TSimCommandKind { Action, Set, Read, Test };

struct TSimDialectCommand {
    std::string_view Name; // "+CESQ", "^SMONI": upper case, as the engine parsed it
    TSimCommandKind Kind = TSimCommandKind::Action;
    std::string_view Args; // of a set command; quoted text keeps its case and quotes
};

// What a dialect may look at when it answers.
struct TSimDialectContext {
    const TSimNetwork& Network;
    std::string_view Model; // what +CGMM answers
    bool Nr = false;        // the model has NR: Rel-15 +CESQ, +C5GREG, 5G forms
    int CregMode = 0;
    int CeregMode = 0;
    int C5gregMode = 0;
    std::string_view Imsi;
    std::uint64_t UptimeSeconds = 0;
};

enum class TSimDialectResult { Unknown, Ok, Error };

class TSimDialect {
public:
    virtual ~TSimDialect() = default;

    virtual std::string_view Name() const = 0;
    virtual std::string_view Manufacturer() const = 0; // the default +CGMI
    virtual std::string_view Model() const = 0;        // the default +CGMM

    // The Siemens heritage: ^MONI / ^MONP, a GSM-only world, no <AcT> anywhere and
    // nothing of 27.007 beyond +CSQ and +CREG.
    virtual bool SiemensMonitor() const { return false; }
    // Whether this vendor's model `model` has NR.
    virtual bool HasNr(std::string_view model) const;

    // The +CSQ line.
    virtual std::string CsqLine(const TSimDialectContext& c) const;
    // The <stat> of +CREG. Modems with a combined attach report the EPS registration there.
    virtual int CregState(const TSimDialectContext& c) const;
    // Commands the engine does not know itself; `lines` gets the information lines.
    // Unknown lets the engine answer "ERROR" as to any unknown command.
    virtual TSimDialectResult Answer(const TSimDialectCommand& cmd, const TSimDialectContext& c,
                                     std::vector<std::string>& lines) const;
};

// The dialect called `name` ("gsm", "3gpp", "quectel", ...), or nullptr.
const TSimDialect* FindSimDialect(std::string_view name);
// Every dialect's name, "gsm" (the default) first.
const std::vector<std::string_view>& SimDialectNames();

// The +CREG <stat> of a modem without a combined attach: served by LTE or NR alone it is
// not registered for circuit-switched services (0; 2 while it searches).
int SimCsRegState(const TSimDialectContext& c);

// The <AcT> of +COPS / +CREG for a technology, 27.007 7.3.
int SimAct(TSimRat rat);

// Each dialect's instance, defined in its own SimDialect<Name>.cpp.
const TSimDialect& SimGsmDialect();
const TSimDialect& Sim3gppDialect();
const TSimDialect& SimQuectelDialect();
const TSimDialect& SimSimcomDialect();
const TSimDialect& SimHuaweiDialect();
const TSimDialect& SimCinterionDialect();
const TSimDialect& SimTelitDialect();
const TSimDialect& SimSierraDialect();
const TSimDialect& SimFibocomDialect();
const TSimDialect& SimUbloxDialect();

namespace simdialect {

// Fields joined with commas.
std::string Join(const std::vector<std::string>& fields);
std::string Hex(std::int64_t value, int digits = 0); // upper case, at least `digits` wide
std::string Num(long long value);
std::string TwoDigits(int value); // an MNC: 01
// One decimal: -11.0, -7.5 (from half units when `half`).
std::string Decimal(int value, bool half = false);
int Clamp(int v, int lo, int hi);
// A quoted set-command argument equals `word`, case-insensitively.
bool ArgIs(std::string_view args, std::string_view word);
// Camped with a registration (1 or 5), camped without one (3), or not camped at all.
enum class TSimService { Registered, Limited, None };
TSimService Service(const TSimNetwork& n);

} // namespace simdialect

} // namespace celdara
