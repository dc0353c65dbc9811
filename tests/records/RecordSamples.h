// What the record tests share: a full GSM record, and readers of CSV and JSON that check
// what they read.
#pragma once

#include "records/RecordFormat.h"

#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

namespace celdara::recordtests {

// A cycle as the poll of a Siemens-style modem fills it (+CSQ: 16,0; +COPS; +CREG: 0,1;
// +CPAS: 0; ^MONI and two ^MONP rows).
inline TPollRecord FullRecord() {
    TPollRecord r;
    r.Time = std::chrono::system_clock::from_time_t(1'765'290'000) + std::chrono::milliseconds(250);
    r.Port = "ttyUSB2";
    r.Manufacturer = "SIEMENS";
    r.Model = "MC35i";
    TModemStatus& s = r.Status;
    s.Level = 50, s.LevelValid = true, s.SignalRaw = 16;
    s.BitErrors = 0, s.BitErrorsValid = true, s.BitErrorsRaw = 0;
    s.RegState = 1, s.RegStateValid = true;
    s.Activity = 0, s.ActivityValid = true;
    s.OperatorName = "T-Mobile CZ", s.OperatorNameValid = true;
    s.OperatorCode = "23001", s.OperatorCodeValid = true;
    s.Cells[0] = {true, 23, 35, -76, 31, 230, 1};
    s.Cells[1] = {true, 60, 28, -83, 22, 230, 1};
    s.Cells[2] = {true, 700, 20, -91, 14, 230, 1};
    return r;
}

// The fields of one CSV line, quotes undone (RFC 4180).
inline std::vector<std::string> SplitCsv(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

inline std::string Column(const std::vector<std::string>& row, const std::string& name) {
    const auto& columns = CsvColumns();
    for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i)
        if (columns[i] == name)
            return row[i];
    ADD_FAILURE() << "no column " << name;
    return {};
}

// Whether one JSON value starts at `at` (moved past it). The records have no white space.
inline bool JsonValueAt(const std::string& t, std::size_t& at) {
    static const std::regex scalar(
        R"re("([^"\\\x01-\x1f]|\\.)*"|-?(0|[1-9][0-9]*)(\.[0-9]+)?|true|false|null)re");
    const char open = at < t.size() ? t[at] : '\0';
    if (open == '{' || open == '[') {
        const char close = open == '{' ? '}' : ']';
        if (++at < t.size() && t[at] == close)
            return ++at, true;
        do {
            const bool key = open != '{' || (t[at] == '"' && JsonValueAt(t, at) && at < t.size() &&
                                             t[at++] == ':');
            if (!key || !JsonValueAt(t, at))
                return false;
        } while (at < t.size() && t[at] == ',' && ++at < t.size());
        return at < t.size() && t[at++] == close;
    }
    std::smatch m;
    if (!std::regex_search(t.begin() + static_cast<long>(at), t.end(), m, scalar,
                           std::regex_constants::match_continuous))
        return false;
    at += static_cast<std::size_t>(m.length(0));
    return true;
}

inline bool IsJson(const std::string& text) {
    std::size_t at = 0;
    return JsonValueAt(text, at) && at == text.size();
}

} // namespace celdara::recordtests
