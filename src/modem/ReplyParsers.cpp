#include "modem/ReplyParsers.h"

#include "modem/Registration.h"
#include "util/TextConvert.h"
#include "util/TextCut.h"

#include <string>

namespace celdara {

namespace {

constexpr auto npos = std::string_view::npos;

// The integer written between two positions (exclusive), blanks around it ignored.
int NumberBetween(std::string_view line, std::size_t from, std::size_t to, int defaultValue) {
    return TextToInt(Trim(line.substr(from + 1, to - from - 1)), defaultValue);
}

// A reply line "+XXX: a,b,...", trimmed, with the positions of its colon and of the first
// comma behind it (npos where there is none).
struct TReplyLine {
    std::string_view text;
    std::size_t colon;
    std::size_t comma;
};

TReplyLine SplitReply(std::string_view line) {
    line = Trim(line);
    const std::size_t colon = line.find(':');
    const std::size_t comma = colon == npos ? npos : line.find(',', colon + 1);
    return {line, colon, comma};
}

// The operator is not known: both texts "?", valid only when the modem said so itself.
void SetOperatorUnknown(TModemStatus& status, bool valid) {
    status.OperatorName = "?";
    status.OperatorCode = "?";
    if (valid) {
        status.OperatorNameValid = true;
        status.OperatorCodeValid = true;
    }
}

constexpr int kMissingField = -9999;

int CutCellInteger(std::string& text) {
    int value = CutInteger(text, kMissingField);
    CutSpaces(text);
    return value;
}

void SkipCellToken(std::string& text) {
    CutToken(text, kTokenDelimiters);
    CutSpaces(text);
}

// Reads channel, rssi, dBm, MCC and MNC, skips `skipped` tokens and reads C1. The cell
// counts only when the first five numbers are all there.
void ParseCellLine(std::string_view line, int skipped, TCellInfo& cell) {
    std::string text(Trim(line));
    TCellInfo read;
    read.Channel = CutCellInteger(text);
    read.Rssi = CutCellInteger(text);
    read.Dbm = CutCellInteger(text);
    read.Mcc = CutCellInteger(text);
    read.Mnc = CutCellInteger(text);
    for (int i = 0; i < skipped; ++i)
        SkipCellToken(text);
    read.C1 = CutCellInteger(text);

    for (int v : {read.Channel, read.Rssi, read.Dbm, read.Mcc, read.Mnc}) {
        if (v == kMissingField) {
            cell.Valid = false;
            return;
        }
    }
    read.Valid = true;
    cell = read;
}

// 27.007 7.3, "Operator selection +COPS":
//   +COPS?  ->  +COPS: <mode>[,<format>,<oper>[,<AcT>]]
//   <mode>  0 automatic (<oper> field is ignored), 1 manual (<oper> field shall be present,
//           and <AcT> optionally), 2 deregister from network, 3 set only <format> (for read
//           command +COPS?), do not attempt registration/deregistration, 4 manual/automatic
//           (<oper> field shall be present); if manual selection fails, automatic mode
//           (<mode>=0) is entered.
// The mode is taken from every reply that has one, with or without an operator; a mode
// outside that table, or no number at all, leaves it unknown.
void ReadSelectionMode(std::string_view line, std::size_t colon, std::size_t comma,
                       TModemStatus& status) {
    const int mode = NumberBetween(line, colon, comma == npos ? line.size() : comma, -1);
    if (mode < 0 || mode > 4)
        return;
    status.SelectionMode = mode;
    status.SelectionModeValid = true;
}

} // namespace

void ParseSignalQuality(std::string_view reply, TModemStatus& status) {
    const auto [line, a, b] = SplitReply(reply);
    if (a == npos || b == npos)
        return;

    int rssi = NumberBetween(line, a, b, 99);
    // 0..31 is the 27.007 scale; 99 ("not known") and anything else show as no signal.
    status.Level = rssi >= 0 && rssi <= 31 ? rssi * 100 / 32 : 0;
    status.LevelValid = true;
    status.SignalRaw = rssi;

    int ber = NumberBetween(line, b, line.size(), 99);
    status.BitErrors = ber >= 0 && ber <= 7 ? ber : 0;
    status.BitErrorsRaw = ber;
    status.BitErrorsValid = true;
}

void ParseOperator(std::string_view reply, TModemStatus& status) {
    const auto [line, a, b] = SplitReply(reply);
    if (a == npos)
        return;
    ReadSelectionMode(line, a, b, status);
    if (b == npos) {
        // The mode alone: no operator is selected at all.
        SetOperatorUnknown(status, true);
        return;
    }
    std::size_t c = line.find(',', b + 1);
    if (c == npos)
        return;
    std::size_t d = line.find('"', c + 1);
    if (d == npos)
        return;
    std::size_t e = line.find('"', d + 1);
    if (e == npos)
        return;

    // The access technology behind the operator (27.007 7.3); a reply without it, or with
    // no number there, leaves the radio's technology alone.
    const std::size_t f = line.find(',', e + 1);
    if (f != npos) {
        const std::size_t g = line.find(',', f + 1);
        const int act = NumberBetween(line, f, g == npos ? line.size() : g, -1);
        if (act >= 0) {
            status.Radio.Act = act;
            status.Radio.Tech = AccessTechOfAct(act);
        }
    }

    int format = NumberBetween(line, b, c, -1);
    std::string name(line.substr(d + 1, e - d - 1));
    if (name.empty()) {
        SetOperatorUnknown(status, false);
    } else if (format == 0) {
        status.OperatorName = name;
        status.OperatorNameValid = true;
    } else if (format == 2) {
        status.OperatorCode = name;
        status.OperatorCodeValid = true;
    }
}

void ParseRegistration(std::string_view reply, TModemStatus& status) {
    const std::optional<TRegistration> registration = ParseRegistrationLine(reply);
    if (registration && registration->Domain == TRegDomain::Cs && !registration->Unsolicited)
        ApplyRegistration(*registration, status);
}

void ParsePhoneActivity(std::string_view reply, TModemStatus& status) {
    const TReplyLine r = SplitReply(reply);
    if (r.colon == npos)
        return;
    int activity = NumberBetween(r.text, r.colon, r.text.size(), -1);
    status.Activity = activity == 0 || activity == 3 || activity == 4 ? activity : -1;
    status.ActivityValid = true;
}

void ParseServingCell(std::string_view line, TModemStatus& status) {
    ParseCellLine(line, 6, status.Cells[kServingCellRow]);
}

void ParseNeighbourCell(std::string_view line, int index, TModemStatus& status) {
    if (index < 0 || index >= kNeighbourCellCount) {
        for (int i = 1; i <= kNeighbourCellCount; ++i)
            status.Cells[i].Valid = false;
        return;
    }
    ParseCellLine(line, 1, status.Cells[1 + index]);
}

bool IsFinalError(std::string_view reply) {
    const std::string_view line = Trim(reply);
    return line == "ERROR" || line.rfind("+CME ERROR:", 0) == 0 ||
           line.rfind("+CMS ERROR:", 0) == 0;
}

std::string ErrorResultText(std::string_view reply) {
    const std::string_view line = Trim(reply);
    // 27.007 9.2.1 (general) and 9.2.2 (GPRS): the ones an operator selection meets.
    static const struct {
        int code;
        const char* text;
    } kCmeErrors[] = {
        {0, "phone failure"},
        {3, "operation not allowed"},
        {4, "operation not supported"},
        {5, "PH-SIM PIN required"},
        {10, "SIM not inserted"},
        {11, "SIM PIN required"},
        {12, "SIM PUK required"},
        {13, "SIM failure"},
        {14, "SIM busy"},
        {15, "SIM wrong"},
        {30, "no network service"},
        {31, "network timeout"},
        {32, "network not allowed, emergency calls only"},
        {100, "unknown"},
        {103, "illegal MS"},
        {106, "illegal ME"},
        {107, "GPRS services not allowed"},
        {111, "PLMN not allowed"},
        {112, "location area not allowed"},
        {113, "roaming not allowed in this location area"},
    };
    constexpr std::string_view prefix = "+CME ERROR:";
    if (line.rfind(prefix, 0) == 0) {
        const int code = TextToInt(Trim(line.substr(prefix.size())), -1);
        for (const auto& error : kCmeErrors)
            if (error.code == code)
                return std::string(line) + " (" + error.text + ")";
    }
    return std::string(line);
}

} // namespace celdara
