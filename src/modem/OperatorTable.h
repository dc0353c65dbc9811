// The operator table "mccmnc.ini": operators the user can force the modem onto, kept in the
// user's settings folder and written with defaults when missing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

inline constexpr const char* kOperatorTableFile = "mccmnc.ini";
inline constexpr const char* kAutoSelectItem = "Auto select";

// The default table, byte for byte.
inline constexpr std::string_view kDefaultOperatorTable = ";Definition of available operators\r\n"
                                                          "[General]\r\n"
                                                          "23001=T-Mobile\r\n"
                                                          "23002=O2\r\n"
                                                          "23003=Vodafone\r\n";

// $XDG_CONFIG_HOME (or ~/.config) followed by "/" and the application's name.
std::string SettingsFolder(const std::string& appName);

bool OperatorTableExists(const std::string& folder);
// Creates the folder (and its parents) and the default table. On failure `error` says why.
bool WriteDefaultOperatorTable(const std::string& folder, std::string& error);
// The items of the operator group: "Auto select", then "name (code)" for each entry of the
// section "General" in file order, code and name trimmed around "=". Always holds "Auto
// select"; `error` says in one line why the table could not be read, or names the lines that
// were skipped (no "=", a code not of 5 or 6 digits, no name); empty when all was read.
std::vector<std::string> LoadOperatorTable(const std::string& folder, std::string& error);

// The raw "key=value" lines of one section of a sectioned text file, in file order
// (section names compared ignoring case; ";" comment lines and blank lines left out).
std::vector<std::string> ReadIniSection(std::string_view fileText, std::string_view section);

// A code and name of the table, both trimmed.
struct TOperatorEntry {
    std::string Code;
    std::string Name;
};

// The entry of a line "code=name" (spaces around "=" allowed, as INI editors write them), or
// nothing when the code is not 5 or 6 digits or the name is empty.
std::optional<TOperatorEntry> OperatorEntryOf(std::string_view entry);

// True for a numeric operator code: MCC and MNC, 5 or 6 digits.
bool IsOperatorCode(std::string_view code);

// "name (code)" for an entry line "code=name", or empty when OperatorEntryOf reads none.
std::string OperatorItemOfEntry(std::string_view entry);

// Adds "code=name" to the section "General" of the user's table (writing the default table
// first when there is none). Refuses a code that is not 5 or 6 digits, an empty name, and a
// code the table already holds; `error` then says which.
bool AddOperatorToTable(const std::string& settingsFolder, const std::string& code,
                        const std::string& name, std::string& error);

} // namespace celdara
