#include "terminal/TerminalLog.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace celdara {

namespace {

constexpr std::int64_t kFourGiB = std::int64_t{1} << 32;

} // namespace

TerminalLog::~TerminalLog() {
    Close();
}

bool TerminalLog::Open(const std::string& fileName) {
    Close();
    if (fileName.empty())
        return false;
    // No lock and no O_EXCL: other programs may read and write the log while it is open.
    const int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    WriteAll("\r\n\r\n");
    return true;
}

void TerminalLog::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool TerminalLog::WriteAll(std::string_view bytes) {
    // Always at the current end: after a cut that failed, or after another program wrote to
    // the shared file, nothing already logged is overwritten.
    if (::lseek(fd_, 0, SEEK_END) < 0)
        return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void TerminalLog::Write(std::string_view bytes, bool checkSize) {
    if (fd_ < 0)
        return;
    WriteAll(bytes);
    if (checkSize)
        TrimIfTooLarge();
}

bool TerminalLog::TrimIfTooLarge() {
    if (fd_ < 0 || maxLen_ < 1)
        return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return false;
    const std::int64_t size = st.st_size;
    if (size <= maxLen_ && size < kFourGiB)
        return false;
    const std::int64_t keep = 9 * (maxLen_ / 10);
    if (keep > size)
        return false;
    std::vector<char> tail(static_cast<std::size_t>(keep));
    std::int64_t got = 0;
    while (got < keep) {
        const ssize_t n = ::pread(fd_, tail.data() + got, static_cast<std::size_t>(keep - got),
                                  static_cast<off_t>(size - keep + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false; // the file stays whole; the next write tries again
        got += n;
    }
    std::int64_t put = 0;
    while (put < keep) {
        const ssize_t n = ::pwrite(fd_, tail.data() + put, static_cast<std::size_t>(keep - put),
                                   static_cast<off_t>(put));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        put += n;
    }
    return ::ftruncate(fd_, static_cast<off_t>(keep)) == 0;
}

} // namespace celdara
