#include "appinfo/TFileVersionInfo.h"

#include "appinfo/ElfSection.h"
#include "appinfo/VersionInfoBlock.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace celdara {

TFileVersionInfo::TFileVersionInfo(TComponent* owner) : TComponent(owner) {
    SetExecutableFile(RunningProgramPath());
}

std::string TFileVersionInfo::RunningProgramPath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

void TFileVersionInfo::SetExecutableFile(const std::string& file) {
    ExecutableFile_ = file;
    Clear();
    Read();
}

void TFileVersionInfo::Clear() {
    for (std::string* text : {&CompanyName_, &FileDescription_, &FileVersion_, &InternalName_,
                              &LegalCopyright_, &LegalTradeMarks_, &OriginalFilename_,
                              &ProductName_, &ProductVersion_, &Comments_, &CountryCode_})
        text->clear();
}

void TFileVersionInfo::Read() {
    if (ExecutableFile_.empty())
        return;
    auto block = ReadElfSection(ExecutableFile_, kVersionInfoSection);
    if (!block || block->empty())
        return;

    auto translation = QueryVersionValue(*block, "\\VarFileInfo\\Translation");
    if (translation && translation->size() >= 4) {
        const unsigned language = (*translation)[0] | (*translation)[1] << 8;
        const unsigned codePage = (*translation)[2] | (*translation)[3] << 8;
        char key[9];
        std::snprintf(key, sizeof key, "%04X%04X", language, codePage);
        CountryCode_ = key;
    } else if (auto first = FirstStringTableKey(*block)) {
        // Without a translation entry the only string table there is still names itself.
        CountryCode_ = *first;
    } else {
        return;
    }

    const std::pair<const char*, std::string*> keys[] = {
        {"CompanyName", &CompanyName_},           {"FileDescription", &FileDescription_},
        {"FileVersion", &FileVersion_},           {"InternalName", &InternalName_},
        {"LegalCopyright", &LegalCopyright_},     {"LegalTradeMarks", &LegalTradeMarks_},
        {"OriginalFilename", &OriginalFilename_}, {"ProductName", &ProductName_},
        {"ProductVersion", &ProductVersion_},     {"Comments", &Comments_}};
    const std::string table = "\\StringFileInfo\\" + CountryCode_ + "\\";
    for (auto [key, property] : keys) {
        if (auto text = QueryVersionText(*block, table + key))
            *property = *text;
    }
}

} // namespace celdara
