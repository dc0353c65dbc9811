#include "modem/OperatorTable.h"

#include "modem/TableFile.h"
#include "util/SystemError.h"
#include "util/TextConvert.h"
#include "util/UserFolders.h"

#include <filesystem>

namespace celdara {

namespace fs = std::filesystem;

namespace {

std::string TablePath(const std::string& folder) {
    return folder + "/" + kOperatorTableFile;
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
        error = "Cannot write the operator table \"" + path + "\": " + SystemErrorText(ec.value()) +
                ".";
        return false;
    }
    return true;
}

std::vector<std::string> ReadIniSection(std::string_view fileText, std::string_view section) {
    if (fileText.substr(0, 3) == "\xEF\xBB\xBF")
        fileText.remove_prefix(3);
    std::vector<std::string> lines;
    bool inSection = false;
    while (!fileText.empty()) {
        std::size_t end = fileText.find_first_of("\r\n");
        std::string_view line = Trim(fileText.substr(0, end));
        fileText.remove_prefix(end == std::string_view::npos ? fileText.size() : end + 1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            std::string_view name =
                line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1);
            inSection = EqualIgnoringCase(Trim(name), section);
            continue;
        }
        if (inSection)
            lines.emplace_back(line);
    }
    return lines;
}

std::string OperatorItemOfEntry(std::string_view entry) {
    std::size_t p = entry.find('=');
    if (p == std::string_view::npos || p == 0)
        return {};
    return std::string(entry.substr(p + 1)) + " (" + std::string(entry.substr(0, p)) + ")";
}

std::vector<std::string> LoadOperatorTable(const std::string& folder, std::string& error) {
    error.clear();
    std::vector<std::string> items{kAutoSelectItem};
    if (!CreateFolder(folder, error))
        return items;
    const std::string path = TablePath(folder);
    std::string text;
    if (const std::error_code ec = ReadTableFile(path, text)) {
        error =
            "Cannot read the operator table \"" + path + "\": " + SystemErrorText(ec.value()) + ".";
        return items;
    }
    for (const std::string& entry : ReadIniSection(text, "General")) {
        std::string item = OperatorItemOfEntry(entry);
        if (!item.empty())
            items.push_back(std::move(item));
    }
    return items;
}

} // namespace celdara
