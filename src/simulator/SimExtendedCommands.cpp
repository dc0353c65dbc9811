// The simulated modem's extended commands (+ and ^): identification, signal quality,
// phone activity, registration and error reporting, operator selection.
#include "simulator/SimModem.h"
#include "simulator/SimModemDetail.h"
#include "util/TextConvert.h"

namespace celdara {

using namespace simmodem;

namespace {

// Splits the arguments of an extended command at commas outside quotes. Quoted fields
// keep their quotes so that a caller can tell "" from an empty field.
std::vector<std::string> SplitArgs(const std::string& args) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : args) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

bool Unquote(const std::string& field, std::string& text) {
    if (field.size() < 2 || field.front() != '"' || field.back() != '"')
        return false;
    text = field.substr(1, field.size() - 2);
    return true;
}

} // namespace

TSimModem::Outcome TSimModem::Execute(const Command& cmd) {
    const std::string& n = cmd.name;
    if (n[0] != '+' && n[0] != '^' && n[0] != '#' && n[0] != '!')
        return ExecuteBasic(cmd);
    if (n == "+COPS")
        return ExecuteCops(cmd);
    const bool siemens = dialect_->SiemensMonitor();
    if (n == "+CREG" || n == "+CMEE" || (!siemens && n == "+CEREG") ||
        (!siemens && nr_ && n == "+C5GREG"))
        return ExecuteReporting(cmd);
    if (n == "^MONI" || n == "^MONP")
        return siemens ? ExecuteCellMonitor(cmd) : Fail();
    return ExecuteQuery(cmd);
}

TSimDialectContext TSimModem::DialectContext() const {
    return {network_, ModelName(), nr_, cregMode_, ceregMode_, c5gregMode_, imsi_, clock_ / 1000};
}

std::string_view TSimModem::ManufacturerName() const {
    return options_.Manufacturer.empty() ? dialect_->Manufacturer()
                                         : std::string_view(options_.Manufacturer);
}

std::string_view TSimModem::ModelName() const {
    return options_.Model.empty() ? dialect_->Model() : std::string_view(options_.Model);
}

// A command of the dialect's own, or one it answers in its own way.
TSimModem::Outcome TSimModem::AskDialect(const Command& cmd) {
    std::vector<std::string> lines;
    if (dialect_->Answer({cmd.name, cmd.kind, cmd.args}, DialectContext(), lines) !=
        TSimDialectResult::Ok)
        return Fail();
    for (const std::string& line : lines)
        Info(line);
    return Ok();
}

int TSimModem::CregState() const {
    return dialect_->CregState(DialectContext());
}

// A command that answers one line when run, OK when tested, and refuses to be set or read.
TSimModem::Outcome TSimModem::AnswerLine(const Command& cmd, const std::string& line) {
    if (cmd.kind == Kind::Test)
        return Ok();
    if (cmd.kind != Kind::Action)
        return Fail();
    Info(line);
    return Ok();
}

TSimModem::Outcome TSimModem::ExecuteQuery(const Command& cmd) {
    const std::string& n = cmd.name;
    if (n == "+CGMI" || n == "+GMI")
        return AnswerLine(cmd, std::string(ManufacturerName()));
    if (n == "+CGMM" || n == "+GMM")
        return AnswerLine(cmd, std::string(ModelName()));
    if (n == "+CGMR" || n == "+GMR")
        return AnswerLine(cmd, options_.Revision);
    if (n == "+CGSN" || n == "+GSN")
        return AnswerLine(cmd, imei_);
    if (n == "+CSQ") {
        if (cmd.kind == Kind::Test) {
            Info("+CSQ: (0-31,99),(0-7,99)");
            return Ok();
        }
        return AnswerLine(cmd, dialect_->CsqLine(DialectContext()));
    }
    if (n == "+CPAS") {
        if (cmd.kind == Kind::Test) {
            Info("+CPAS: (0-5)");
            return Ok();
        }
        return AnswerLine(cmd, "+CPAS: " + std::to_string(PhoneActivity()));
    }
    return AskDialect(cmd); // "ERROR" unless the dialect knows the command
}

// +CREG, +CMEE, +CEREG and +C5GREG: a setting of 0 to 2 each.
TSimModem::Outcome TSimModem::ExecuteReporting(const Command& cmd) {
    const std::string& n = cmd.name;
    int& value = n == "+CREG"    ? cregMode_
                 : n == "+CMEE"  ? cmee_
                 : n == "+CEREG" ? ceregMode_
                                 : c5gregMode_;
    switch (cmd.kind) {
    case Kind::Test:
        Info(n + ": (0-2)");
        return Ok();
    case Kind::Read:
        if (n != "+CREG" && n != "+CMEE")
            return AskDialect(cmd);
        Info(n == "+CREG" ? CregLine() : "+CMEE: " + std::to_string(cmee_));
        return Ok();
    case Kind::Set: {
        const int v = TextToInt(cmd.args, -1);
        if (v < 0 || v > 2)
            return Fail(50);
        value = v;
        return Ok();
    }
    case Kind::Action:
        value = 0;
        return Ok();
    }
    return Fail();
}

TSimModem::Outcome TSimModem::ExecuteCops(const Command& cmd) {
    if (cmd.kind == Kind::Read) {
        Info(CopsReadLine());
        return Ok();
    }
    if (cmd.kind == Kind::Test)
        return ScanNetworks();
    if (cmd.kind == Kind::Action)
        return Fail();
    std::vector<std::string> f = SplitArgs(cmd.args);
    const int mode = TextToInt(f[0], -1);
    if (mode < 0 || mode > 4 || f.size() > 3)
        return Fail(50);
    int format = copsFormat_;
    if (f.size() >= 2) {
        format = TextToInt(f[1], -1);
        if (format < 0 || format > 2)
            return Fail(50);
    }
    std::string name;
    if (f.size() == 3 && !Unquote(f[2], name))
        return Fail(50);
    switch (mode) {
    case 0:
        copsFormat_ = format;
        if (!network_.AutomaticWouldMove() && network_.Selection() == TSimSelection::Automatic)
            return Ok();
        return Later(static_cast<std::uint32_t>(modemRng_.Range(800, 1800)), [this] {
            network_.SelectAutomatic();
            return Ok();
        });
    case 2:
        return Later(static_cast<std::uint32_t>(modemRng_.Range(500, 1500)), [this] {
            network_.Deregister();
            return Ok();
        });
    case 3:
        if (f.size() != 2)
            return Fail(50);
        copsFormat_ = format;
        return Ok();
    default: // 1 manual, 4 manual falling back to automatic
        if (f.size() != 3 || name.empty())
            return Fail(50);
        copsFormat_ = format;
        return SelectOperator(mode, format, name);
    }
}

// Registration on a chosen network is a search of the band and a location update: it
// takes seconds, longer when the network is not found at all.
TSimModem::Outcome TSimModem::SelectOperator(int mode, int format, const std::string& name) {
    const TSimOperator* op = TSimNetwork::FindOperator(name, format);
    bool reachable = op != nullptr && network_.IsVisible(*op);
    auto ms = static_cast<std::uint32_t>(reachable ? modemRng_.Range(2500, 6000)
                                                   : modemRng_.Range(5000, 9000));
    return Later(ms, [this, op, mode] {
        bool fallback = mode == 4;
        if (op != nullptr && network_.SelectManual(*op, fallback))
            return Ok();
        if (fallback) {
            network_.SelectAutomatic();
            return Ok();
        }
        return Fail(30);
    });
}

std::string TSimModem::CopsReadLine() const {
    int mode = network_.Selection() == TSimSelection::Automatic ? 0
               : network_.Selection() == TSimSelection::Manual  ? 1
                                                                : 2;
    const TSimOperator* op = network_.Registered();
    if (op == nullptr)
        return "+COPS: " + std::to_string(mode);
    const std::string& name = copsFormat_ == 0   ? op->LongName
                              : copsFormat_ == 1 ? op->ShortName
                                                 : op->Code;
    std::string line = Printf("+COPS: %d,%d,\"%s\"", mode, copsFormat_, name.c_str());
    if (!dialect_->SiemensMonitor())
        line += "," + std::to_string(SimAct(network_.Technology()));
    return line;
}

// A scan goes through every band of every technology the module has: real modules take
// from ten seconds to minutes (the manuals give up to 180 s). Meanwhile the modem takes no
// command; a character aborts the scan (AbortScan).
TSimModem::Outcome TSimModem::ScanNetworks() {
    scanning_ = true;
    scanStart_ = at_;
    return Later(static_cast<std::uint32_t>(modemRng_.Range(8000, 20000)), [this] {
        scanning_ = false;
        Info(CopsTestLine());
        return Ok();
    });
}

// 27.007 7.3: "+COPS: [list of supported (<stat>,long alphanumeric <oper>,short
// alphanumeric <oper>,numeric <oper>[,<AcT>])s][,,(list of supported <mode>s),(list of
// supported <format>s)]". The GSM-only modem writes no <AcT>, as GSM-era modules did. The
// foreign network is on the SIM's forbidden list (<stat> 3); 23.122 still lets the user
// choose it by hand.
std::string TSimModem::CopsTestLine() const {
    std::string line = "+COPS: ";
    const TSimOperator* current = network_.Registered();
    const bool withAct = !dialect_->SiemensMonitor();
    for (const TSimOperator& op : SimOperators()) {
        if (!network_.IsVisible(op))
            continue;
        const bool serving = current != nullptr && current->Code == op.Code;
        const int stat = serving ? 2 : op.Code.compare(0, 3, imsi_, 0, 3) != 0 ? 3 : 1;
        line += Printf("(%d,\"%s\",\"%s\",\"%s\"", stat, op.LongName.c_str(), op.ShortName.c_str(),
                       op.Code.c_str());
        if (withAct)
            line += "," + std::to_string(serving ? SimAct(network_.Technology()) : 7);
        line += "),";
    }
    return line + ",(0-4),(0-2)";
}

std::string TSimModem::CregLine() const {
    const int state = CregState();
    std::string line = Printf("+CREG: %d,%d", cregMode_, state);
    if (cregMode_ == 2 && network_.Registered() != nullptr && state != 0)
        line += CregLocation();
    return line;
}

// The Siemens-type modem gives a GSM cell's LAC and CI; the others also the cell of the
// technology that serves and its <AcT>.
std::string TSimModem::CregLocation() const {
    auto serving = network_.Serving();
    if (!serving)
        return {};
    if (dialect_->SiemensMonitor())
        return Printf(",\"%04X\",\"%04X\"", serving->Lac, serving->CellId);
    const TSimRat rat = network_.Technology();
    auto cell = network_.RadioServing();
    if (rat == TSimRat::Gsm || !cell)
        return Printf(",\"%04X\",\"%04X\",%d", serving->Lac, serving->CellId, SimAct(rat));
    return Printf(",\"%04X\",\"%08llX\",%d", cell->Area,
                  static_cast<unsigned long long>(cell->CellId), SimAct(rat));
}

int TSimModem::PhoneActivity() const {
    switch (network_.CallState()) {
    case TSimCallState::Ringing:
        return 3;
    case TSimCallState::Voice:
    case TSimCallState::Data:
        return 4;
    case TSimCallState::Idle:
        break;
    }
    // While the network state is unknown, so is whether the phone could take a call.
    return network_.RegState() == 4 ? 2 : 0;
}

} // namespace celdara
