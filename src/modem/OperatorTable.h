// The operator table "mccmnc.ini": operators the user can force the modem onto, kept in the
// user's settings folder and written with defaults when missing.
#pragma once

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
// section "General" in file order. Always holds "Auto select"; `error` says why the table
// could not be read, empty when it could.
std::vector<std::string> LoadOperatorTable(const std::string& folder, std::string& error);

// The raw "key=value" lines of one section of a sectioned text file, in file order
// (section names compared ignoring case; ";" comment lines and blank lines left out).
std::vector<std::string> ReadIniSection(std::string_view fileText, std::string_view section);

// "name (code)" for an entry line "code=name", or empty when the line has no key.
std::string OperatorItemOfEntry(std::string_view entry);

} // namespace celdara
