#include "records/RecordFormat.h"

#include "modem/Registration.h"
#include "modem/StatusDisplay.h"
#include "records/RecordFields.h"

#include <cstdio>
#include <optional>
#include <vector>

namespace celdara {

namespace {

// A control character (C0, DEL or C1) at the start of UTF-8 text: its code and its length in
// bytes, 0 for any other character. C1 comes as C2 80..C2 9F; 8-bit terminals take 9B as CSI.
struct TControl {
    unsigned Code = 0;
    std::size_t Bytes = 0;
};

TControl ControlAt(std::string_view utf8) {
    const auto c = static_cast<unsigned char>(utf8[0]);
    if (c < 0x20 || c == 0x7F)
        return {c, 1};
    const auto next = utf8.size() > 1 ? static_cast<unsigned char>(utf8[1]) : 0u;
    if (c == 0xC2 && next >= 0x80 && next <= 0x9F)
        return {next, 2};
    return {};
}

} // namespace

namespace recordfields {

// ---- JSON ------------------------------------------------------------------------------

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const TControl control = ControlAt(std::string_view(utf8).substr(i));
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (control.Bytes > 0) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", control.Code);
            out += escaped;
            i += control.Bytes - 1;
        } else {
            out += c;
        }
    }
    return out + '"';
}

namespace {

std::string JsonValue(const TField& field) {
    if (!field.Content)
        return "null";
    return field.IsText ? JsonString(*field.Content) : *field.Content;
}

} // namespace

std::string JsonObject(const std::vector<TField>& fields) {
    std::string out = "{";
    for (const TField& f : fields) {
        if (out.size() > 1)
            out += ',';
        out += JsonString(f.Name) + ':' + JsonValue(f);
    }
    return out + '}';
}

} // namespace recordfields

namespace {

using namespace recordfields;

Value Number(bool valid, long value) {
    return valid ? Value(std::to_string(value)) : std::nullopt;
}

Value Text(bool valid, const std::string& text) {
    return valid ? Value(TextAsUtf8(text)) : std::nullopt;
}

// What one record says, as named values in column order.
struct TCellFields {
    bool Valid = false;
    std::vector<TField> Fields;
};

TCellFields CellFields(const TCellInfo& cell) {
    TCellFields out;
    out.Valid = cell.Valid;
    const bool v = cell.Valid;
    out.Fields = {
        {"channel", Number(v, cell.Channel)},
        {"band",
         v && BandOfChannel(cell.Channel) != "?" ? Value(BandOfChannel(cell.Channel))
                                                 : std::nullopt,
         true},
        {"rxlev", Number(v, cell.Rssi)},
        {"dbm", Number(v, cell.Dbm)},
        {"c1", Number(v, cell.C1)},
        {"mcc", Number(v, cell.Mcc)},
        {"mnc", Number(v, cell.Mnc)},
    };
    return out;
}

// The level of the window's bar, no value where nothing measured one (the bar shows none).
Value ShownSignalLevel(const TModemStatus& s) {
    const std::optional<int> level = MeasuredSignalLevelOf(s);
    return Number(level.has_value(), level.value_or(0));
}

// Registered in any domain, +CREG's, +CGREG's (GPRS), +CEREG's (EPS) or +C5GREG's (5GS):
// home or roaming, for SMS only or CSFB not preferred too (IsRegisteredState); attached for
// emergency bearer services or RLOS only is not registered. No value when none of them told
// a state of 0..11.
Value RegisteredValue(const TModemStatus& s) {
    const std::optional<int> states[] = {
        s.RegStateValid ? std::optional<int>(s.RegState) : std::nullopt,
        s.Radio.PsRegState,
        s.Radio.EpsRegState,
        s.Radio.NrRegState,
    };
    bool told = false;
    for (const std::optional<int>& state : states) {
        if (state && IsRegisteredState(*state))
            return "true";
        told = told || (state && *state >= 0);
    }
    return told ? Value("false") : std::nullopt;
}

// The values of the record after the radio and its carriers.
std::vector<TField> TailFields(const TPollRecord& r) {
    return {{"registered", RegisteredValue(r.Status)}};
}

// The values of the record before the cells.
std::vector<TField> HeadFields(const TPollRecord& r) {
    const TModemStatus& s = r.Status;
    // 99 is 27.007's "not known": no value, not a measurement.
    const bool rssiGiven = s.LevelValid && s.SignalRaw != 99;
    const bool berGiven = s.BitErrorsValid && s.BitErrorsRaw != 99;
    const std::string registration =
        s.RegStateValid ? RegistrationStateText(s.RegState) : std::string();
    const std::string activity = ActivityText(s);
    return {
        {"time", IsoTimeText(r.Time), true},
        {"port", Text(true, r.Port), true},
        {"manufacturer", Text(!r.Manufacturer.empty(), r.Manufacturer), true},
        {"model", Text(!r.Model.empty(), r.Model), true},
        {"operator_name", Text(s.OperatorNameValid, s.OperatorName), true},
        {"operator_code", Text(s.OperatorCodeValid, s.OperatorCode), true},
        {"registration", Text(!registration.empty(), registration), true},
        {"registration_state", Number(s.RegStateValid && s.RegState >= 0, s.RegState)},
        {"activity", Text(!activity.empty(), activity), true},
        {"activity_state", Number(s.ActivityValid && s.Activity >= 0, s.Activity)},
        {"signal_percent", ShownSignalLevel(s)},
        {"signal_rssi", Number(rssiGiven, s.SignalRaw)},
        {"bit_errors", Number(berGiven, s.BitErrorsRaw)},
    };
}

std::string CellPrefix(int row) {
    return row == kServingCellRow ? std::string("serving") : "neighbour" + std::to_string(row);
}

// ---- CSV -------------------------------------------------------------------------------

// A control character from the modem shows as its escape, so that a line break can no more
// split a row than an ESC can reach the terminal of someone who prints the file.
std::string CsvField(const Value& value) {
    if (!value)
        return {};
    const std::string text = VisibleText(*value);
    if (text.find_first_of(",\"") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvRow(const TPollRecord& record) {
    std::string row;
    bool first = true;
    auto field = [&](const Value& value) {
        if (!first)
            row += ',';
        first = false;
        row += CsvField(value);
    };
    for (const TField& f : HeadFields(record))
        field(f.Content);
    for (const TCellInfo& cell : record.Status.Cells)
        for (const TField& f : CellFields(cell).Fields)
            field(f.Content);
    for (const TField& f : RadioCsvFields(record.Status.Radio))
        field(f.Content);
    for (const TField& f : CarrierCsvFields(record.Status.Radio))
        field(f.Content);
    for (const TField& f : TailFields(record))
        field(f.Content);
    return row;
}

// ---- JSON ------------------------------------------------------------------------------

std::string JsonLine(const TPollRecord& record) {
    std::string line = JsonObject(HeadFields(record));
    line.pop_back(); // the cells follow inside the same object
    const TCellFields serving = CellFields(record.Status.Cells[kServingCellRow]);
    line += ",\"serving_cell\":" + (serving.Valid ? JsonObject(serving.Fields) : "null");
    line += ",\"neighbour_cells\":[";
    bool first = true;
    for (int row = 1; row < kCellRowCount; ++row) {
        const TCellFields cell = CellFields(record.Status.Cells[row]);
        if (!cell.Valid)
            continue;
        if (!first)
            line += ',';
        first = false;
        line += JsonObject(cell.Fields);
    }
    std::string tail = JsonObject(TailFields(record));
    tail.front() = ',';
    return line + "]" + RadioJsonMembers(record.Status.Radio) +
           CarrierJsonMembers(record.Status.Radio) + tail;
}

// ---- text ------------------------------------------------------------------------------

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string RightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// The operator as the window's status bar names it. Blanks around a name or code are no part
// of it, and a name of blanks alone is no name.
std::string OperatorText(const TModemStatus& s) {
    auto trimmed = [](const std::string& text) {
        const std::size_t first = text.find_first_not_of(' ');
        return first == std::string::npos
                   ? std::string()
                   : text.substr(first, text.find_last_not_of(' ') + 1 - first);
    };
    TModemStatus shown = s;
    shown.OperatorName = trimmed(s.OperatorName);
    shown.OperatorNameValid = s.OperatorNameValid && !shown.OperatorName.empty();
    shown.OperatorCode = trimmed(s.OperatorCode);
    shown.OperatorCodeValid = s.OperatorCodeValid && !shown.OperatorCode.empty();
    return TextAsUtf8(OperatorPanelText(shown));
}

// The GSM serving cell of ^MONI and the count of its neighbours, with the leading separator;
// empty when the modem listed no GSM cell.
std::string GsmCellText(const TModemStatus& s) {
    const TCellInfo& serving = s.Cells[kServingCellRow];
    std::string text;
    if (serving.Valid)
        text = "cell " + std::to_string(serving.Channel) + " (" + BandOfChannel(serving.Channel) +
               ") " + std::to_string(serving.Dbm) + " dBm";
    int neighbours = 0;
    for (int row = 1; row < kCellRowCount; ++row)
        neighbours += s.Cells[row].Valid ? 1 : 0;
    if (neighbours > 0)
        text += (text.empty() ? "" : ", ") + std::to_string(neighbours) +
                (neighbours == 1 ? " neighbour" : " neighbours");
    return text.empty() ? text : "  " + text;
}

std::string TextLine(const TPollRecord& record) {
    const TModemStatus& s = record.Status;
    const auto head = HeadFields(record);
    // A value of the record, "?" where the modem gave none.
    auto value = [&](const char* name) {
        for (const TField& f : head)
            if (f.Name == name)
                return f.Content.value_or("?");
        return std::string("?");
    };
    std::string line = value("time") + "  " + Padded(value("port"), 14);
    line += "  signal " + RightAligned(value("signal_percent"), 3) + "%";
    line += "  " + Padded("rssi " + value("signal_rssi"), 7);
    line += "  " + Padded("ber " + value("bit_errors"), 5);
    line += "  " + OperatorText(s) + GsmCellText(s) + RadioText(s.Radio) + CarrierText(s.Radio);
    const std::string activity = value("activity");
    if (activity != "?" && activity != "ready")
        line += "  [" + activity + "]";
    // Whatever the modem wrote, nothing of it may drive the terminal the line is printed on.
    return VisibleText(line);
}

} // namespace

std::optional<TRecordFormat> RecordFormatOfName(std::string_view name) {
    if (name == "text")
        return TRecordFormat::Text;
    if (name == "csv")
        return TRecordFormat::Csv;
    if (name == "jsonl")
        return TRecordFormat::JsonLines;
    return std::nullopt;
}

const std::vector<std::string>& CsvColumns() {
    static const std::vector<std::string> columns = [] {
        std::vector<std::string> names;
        TPollRecord empty;
        for (const TField& f : HeadFields(empty))
            names.push_back(f.Name);
        for (int row = 0; row < kCellRowCount; ++row)
            for (const TField& f : CellFields(empty.Status.Cells[row]).Fields)
                names.push_back(CellPrefix(row) + "_" + f.Name);
        for (const TField& f : RadioCsvFields(empty.Status.Radio))
            names.push_back(f.Name);
        for (const TField& f : CarrierCsvFields(empty.Status.Radio))
            names.push_back(f.Name);
        for (const TField& f : TailFields(empty))
            names.push_back(f.Name);
        return names;
    }();
    return columns;
}

std::string RecordHeader(TRecordFormat format) {
    if (format != TRecordFormat::Csv)
        return {};
    std::string header;
    for (const std::string& name : CsvColumns())
        header += (header.empty() ? "" : ",") + name;
    return header;
}

std::string FormatRecord(TRecordFormat format, const TPollRecord& record) {
    switch (format) {
    case TRecordFormat::Csv:
        return CsvRow(record);
    case TRecordFormat::JsonLines:
        return JsonLine(record);
    case TRecordFormat::Text:
        return TextLine(record);
    }
    return {};
}

std::string VisibleText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const TControl control = ControlAt(utf8.substr(i));
        if (control.Bytes == 0) {
            out += utf8[i];
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", control.Code);
        out += escaped;
        i += control.Bytes - 1;
    }
    return out;
}

std::string TextAsUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        // The length of a well-formed sequence starting here (RFC 3629), or 0.
        std::size_t length = 0;
        if (c < 0x80)
            length = 1;
        else if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            length = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            length = 4;
        bool wellFormed = length > 0 && i + length <= bytes.size();
        for (std::size_t k = 1; wellFormed && k < length; ++k)
            wellFormed = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (wellFormed && length >= 3) {
            const auto c1 = static_cast<unsigned char>(bytes[i + 1]);
            // No overlong forms, no surrogates, nothing past U+10FFFF.
            wellFormed = !(c == 0xE0 && c1 < 0xA0) && !(c == 0xED && c1 >= 0xA0) &&
                         !(c == 0xF0 && c1 < 0x90) && !(c == 0xF4 && c1 >= 0x90);
        }
        if (wellFormed) {
            out.append(bytes.substr(i, length));
            i += length;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
            ++i;
        }
    }
    return out;
}

} // namespace celdara
