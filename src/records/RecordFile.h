// A file that poll records are appended to, as the window's log and celdara-monitor --output
// keep them: a CSV file gets its header only when it is new or empty, so that runs append
// to one table. A write that fails (disk full, no permission, the file deleted meanwhile)
// closes the file and says why; nothing is retried, so the caller reports it once.
#pragma once

#include "records/RecordFormat.h"

#include <cstdint>
#include <string>

namespace celdara {

class TRecordFile {
public:
    TRecordFile() = default;
    ~TRecordFile();
    TRecordFile(const TRecordFile&) = delete;
    TRecordFile& operator=(const TRecordFile&) = delete;

    // Opens `path` for appending in `format` (closing any file open before); false with the
    // reason in Error().
    bool Open(const std::string& path, TRecordFormat format);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Appends one record as one line; false with the reason in Error(), the file closed.
    bool Append(const TPollRecord& record);

    const std::string& Path() const { return path_; }
    // Bytes in the file, -1 when none is open.
    std::int64_t Size() const;
    const std::string& Error() const { return error_; }

private:
    bool WriteLine(const std::string& line);
    void Fail(const std::string& what, const std::string& reason);

    int fd_ = -1;
    TRecordFormat format_ = TRecordFormat::Csv;
    std::string path_;
    std::string error_;
};

} // namespace celdara
