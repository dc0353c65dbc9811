#include "modem/OperatorTable.h"

#include "modem/TableFile.h"
#include "util/SystemError.h"
#include "util/TextConvert.h"
#include "util/UserFolders.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace celdara {

namespace fs = std::filesystem;

namespace {

std::string TablePath(const std::string& folder) {
    return folder + "/" + kOperatorTableFile;
}

// "Cannot read the operator table "<path>": <reason>." and its "write" twin.
std::string TableError(const char* verb, const std::string& path, std::error_code ec) {
    return std::string("Cannot ") + verb + " the operator table \"" + path +
           "\": " + SystemErrorText(ec.value()) + ".";
}

bool CreateFolder(const std::string& folder, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "Cannot create the settings folder \"" + folder + "\": " + ec.message() + ".";
        return false;
    }
    return true;
}

// One line of a section with its line number in the file (counted from 1), for messages.
struct TIniLine {
    std::size_t Number = 0;
    std::string Text;
};

// Walks the lines of a sectioned text file; `visit(number, line, end)` gets each trimmed
// line with the offset just past its line end.
template <typename Visit>
void ForEachLine(std::string_view fileText, Visit visit) {
    std::size_t begin = fileText.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    std::size_t number = 0;
    while (begin < fileText.size()) {
        // A line ends at LF, CR LF or a lone CR.
        std::size_t end = fileText.find_first_of("\r\n", begin);
        if (end == std::string_view::npos)
            end = fileText.size();
        else
            end += fileText.substr(end, 2) == "\r\n" ? 2 : 1;
        ++number;
        visit(number, Trim(fileText.substr(begin, end - begin)), end);
        begin = end;
    }
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    return Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
}

std::vector<TIniLine> IniSectionLines(std::string_view fileText, std::string_view section) {
    std::vector<TIniLine> lines;
    bool inSection = false;
    ForEachLine(fileText, [&](std::size_t number, std::string_view line, std::size_t) {
        if (line.empty() || line.front() == ';')
            return;
        if (const std::optional<std::string_view> name = SectionName(line))
            inSection = EqualIgnoringCase(*name, section);
        else if (inSection)
            lines.push_back({number, std::string(line)});
    });
    return lines;
}

// Puts `entry` after the last entry of the first section "General", or at the end of the
// file under a new "[General]" when there is none, in the file's CR LF lines.
void InsertIntoGeneral(std::string& text, const std::string& entry) {
    std::optional<std::size_t> at;
    bool inSection = false;
    ForEachLine(text, [&](std::size_t, std::string_view line, std::size_t end) {
        if (const std::optional<std::string_view> name = SectionName(line)) {
            inSection = !at && EqualIgnoringCase(*name, "General");
            if (inSection)
                at = end;
        } else if (inSection && !line.empty() && line.front() != ';') {
            at = end;
        }
    });
    std::string block = entry + "\r\n";
    if (!at) {
        block = "[General]\r\n" + block;
        at = text.size();
    }
    if (*at > 0 && text[*at - 1] != '\n' && text[*at - 1] != '\r')
        block = "\r\n" + block;
    text.insert(*at, block);
}

} // namespace

std::string SettingsFolder(const std::string& appName) {
    return UserConfigHome() + "/" + appName;
}

bool OperatorTableExists(const std::string& folder) {
    std::error_code ec;
    return fs::exists(TablePath(folder), ec);
}

bool WriteDefaultOperatorTable(const std::string& folder, std::string& error) {
    error.clear();
    if (!CreateFolder(folder, error))
        return false;
    const std::string path = TablePath(folder);
    if (const std::error_code ec = WriteTableFile(path, kDefaultOperatorTable)) {
        error = TableError("write", path, ec);
        return false;
    }
    return true;
}

std::vector<std::string> ReadIniSection(std::string_view fileText, std::string_view section) {
    std::vector<std::string> lines;
    for (const TIniLine& line : IniSectionLines(fileText, section))
        lines.push_back(line.Text);
    return lines;
}

std::optional<TOperatorEntry> OperatorEntryOf(std::string_view entry) {
    const std::size_t p = entry.find('=');
    if (p == std::string_view::npos)
        return std::nullopt;
    TOperatorEntry result{std::string(Trim(entry.substr(0, p))),
                          std::string(Trim(entry.substr(p + 1)))};
    if (!IsOperatorCode(result.Code) || result.Name.empty())
        return std::nullopt;
    return result;
}

bool IsOperatorCode(std::string_view code) {
    return (code.size() == 5 || code.size() == 6) &&
           std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string OperatorItemOfEntry(std::string_view entry) {
    const std::optional<TOperatorEntry> parsed = OperatorEntryOf(entry);
    return parsed ? parsed->Name + " (" + parsed->Code + ")" : std::string();
}

std::vector<std::string> LoadOperatorTable(const std::string& folder, std::string& error) {
    error.clear();
    std::vector<std::string> items{kAutoSelectItem};
    if (!CreateFolder(folder, error))
        return items;
    const std::string path = TablePath(folder);
    std::string text;
    if (const std::error_code ec = ReadTableFile(path, text)) {
        error = TableError("read", path, ec);
        return items;
    }
    std::string skipped;
    for (const TIniLine& line : IniSectionLines(text, "General")) {
        std::string item = OperatorItemOfEntry(line.Text);
        if (!item.empty())
            items.push_back(std::move(item));
        else
            skipped += (skipped.empty() ? "" : ", ") + std::string("line ") +
                       std::to_string(line.Number) + " \"" + line.Text + "\"";
    }
    if (!skipped.empty())
        error = "The operator table \"" + path + "\" skips " + skipped +
                ": an entry is \"code=name\" with a code of 5 or 6 digits.";
    return items;
}

bool AddOperatorToTable(const std::string& settingsFolder, const std::string& code,
                        const std::string& name, std::string& error) {
    error.clear();
    const std::string_view trimmedCode = Trim(code);
    const std::string_view trimmedName = Trim(name);
    if (!IsOperatorCode(trimmedCode)) {
        error = "The operator code \"" + code + "\" is not 5 or 6 digits.";
        return false;
    }
    if (trimmedName.empty() || trimmedName.find_first_of("\r\n") != std::string_view::npos) {
        error = "The operator name \"" + name + "\" is empty or spans lines.";
        return false;
    }
    if (!OperatorTableExists(settingsFolder) && !WriteDefaultOperatorTable(settingsFolder, error))
        return false;
    const std::string path = TablePath(settingsFolder);
    std::string text;
    if (const std::error_code ec = ReadTableFile(path, text)) {
        error = TableError("read", path, ec);
        return false;
    }
    for (const TIniLine& line : IniSectionLines(text, "General")) {
        const std::optional<TOperatorEntry> entry = OperatorEntryOf(line.Text);
        if (entry && entry->Code == trimmedCode) {
            error = "The operator " + entry->Code + " is already in the table as \"" + entry->Name +
                    "\".";
            return false;
        }
    }
    InsertIntoGeneral(text, std::string(trimmedCode) + "=" + std::string(trimmedName));
    if (const std::error_code ec = WriteTableFile(path, text)) {
        error = TableError("write", path, ec);
        return false;
    }
    return true;
}

} // namespace celdara
