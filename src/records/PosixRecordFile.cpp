// The record file on Linux: open with O_APPEND, so that lines of several writers never
// overwrite each other, and fstat to see the size and whether the file still has a name.
#include "records/RecordFile.h"
#include "util/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace celdara {

TRecordFile::~TRecordFile() {
    Close();
}

bool TRecordFile::Open(const std::string& path, TRecordFormat format) {
    Close();
    error_.clear();
    path_ = path;
    format_ = format;
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        Fail("Cannot open", SystemErrorText(errno));
        return false;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        Fail("Cannot open", SystemErrorText(errno));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        Fail("Cannot log to", "it is not a regular file");
        return false;
    }
    const std::string header = RecordHeader(format);
    if (info.st_size == 0 && !header.empty())
        return WriteLine(header);
    return true;
}

void TRecordFile::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool TRecordFile::Append(const TPollRecord& record) {
    if (fd_ < 0)
        return false;
    return WriteLine(FormatRecord(format_, record));
}

std::int64_t TRecordFile::Size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

bool TRecordFile::WriteLine(const std::string& line) {
    const std::string bytes = line + "\n";
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Fail("Cannot write", SystemErrorText(n < 0 ? errno : ENOSPC));
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    // Lines written into a file that was deleted meanwhile reach nobody.
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && info.st_nlink == 0) {
        Fail("Cannot write", "the file was deleted");
        return false;
    }
    return true;
}

void TRecordFile::Fail(const std::string& what, const std::string& reason) {
    error_ = what + " \"" + path_ + "\": " + reason + ".";
    Close();
}

} // namespace celdara
