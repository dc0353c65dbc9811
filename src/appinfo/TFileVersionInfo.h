// Reads the string table of a program file's version-information block into ten texts.
#pragma once

#include "core/Component.h"

#include <string>

namespace celdara {

class TFileVersionInfo : public TComponent {
public:
    // Points itself at the running program and reads it at once.
    explicit TFileVersionInfo(TComponent* owner);

    const std::string& CompanyName() const { return CompanyName_; }
    const std::string& FileDescription() const { return FileDescription_; }
    const std::string& FileVersion() const { return FileVersion_; }
    const std::string& InternalName() const { return InternalName_; }
    const std::string& LegalCopyright() const { return LegalCopyright_; }
    const std::string& LegalTradeMarks() const { return LegalTradeMarks_; }
    const std::string& OriginalFilename() const { return OriginalFilename_; }
    const std::string& ProductName() const { return ProductName_; }
    const std::string& ProductVersion() const { return ProductVersion_; }
    const std::string& Comments() const { return Comments_; }
    // Language and code page of the string table read, as eight hexadecimal digits.
    const std::string& CountryCode() const { return CountryCode_; }

    const std::string& ExecutableFile() const { return ExecutableFile_; }
    // Clears every text, then reads `file`. A file without the block (or not ELF, or
    // damaged) leaves them empty.
    void SetExecutableFile(const std::string& file);

    // The full path of the running program.
    static std::string RunningProgramPath();

private:
    void Clear();
    void Read();

    std::string CompanyName_, FileDescription_, FileVersion_, InternalName_, LegalCopyright_,
        LegalTradeMarks_, OriginalFilename_, ProductName_, ProductVersion_, Comments_, CountryCode_,
        ExecutableFile_;
};

} // namespace celdara
