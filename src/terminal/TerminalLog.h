// The terminal's log file: every character the view receives, opened for shared use and
// cut back to its newest 90 % when it outgrows its limit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QFile;

namespace celdara {

class TerminalLog {
public:
    TerminalLog();
    ~TerminalLog();
    TerminalLog(const TerminalLog&) = delete;
    TerminalLog& operator=(const TerminalLog&) = delete;

    // Opens (or creates) the file without locking it, keeping its content, and starts a
    // new session after a blank line. False when it cannot be opened; logging stays off.
    bool Open(const std::string& fileName);
    void Close();
    bool IsOpen() const;

    // Appends `bytes`; with `checkSize` the file is then cut back if it is too large.
    void Write(std::string_view bytes, bool checkSize);

    // Limit in bytes; below 1 means no limit.
    void SetMaxLen(std::int64_t maxLen) { maxLen_ = maxLen; }
    std::int64_t MaxLen() const { return maxLen_; }

    // Cuts the file to its newest 9/10 of the limit when it is larger than the limit (or
    // 4 GiB or more). A cut that cannot read all it keeps leaves the file as it is.
    // Returns true when the file was cut.
    bool TrimIfTooLarge();

private:
    bool WriteAll(std::string_view bytes);

    std::unique_ptr<QFile> file_;
    std::int64_t maxLen_ = 1000000;
};

} // namespace celdara
