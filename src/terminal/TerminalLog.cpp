#include "terminal/TerminalLog.h"

#include <QFile>
#include <vector>

namespace celdara {

namespace {

constexpr std::int64_t kFourGiB = std::int64_t{1} << 32;

} // namespace

TerminalLog::TerminalLog() = default;

TerminalLog::~TerminalLog() {
    Close();
}

bool TerminalLog::Open(const std::string& fileName) {
    Close();
    if (fileName.empty())
        return false;
    // No lock: other programs may read and write the log while it is open. Unbuffered, so
    // that every write is in the file at once and the size read back is the file's own.
    auto file = std::make_unique<QFile>(QString::fromLocal8Bit(fileName));
    if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    // Only a plain file: a device or a pipe has no end to seek to and cannot be cut.
    if (file->isSequential())
        return false;
    file_ = std::move(file);
    WriteAll("\r\n\r\n");
    return true;
}

void TerminalLog::Close() {
    file_.reset();
}

bool TerminalLog::IsOpen() const {
    return file_ != nullptr;
}

bool TerminalLog::WriteAll(std::string_view bytes) {
    // Always at the current end: after a cut that failed, or after another program wrote to
    // the shared file, nothing already logged is overwritten.
    if (!file_->seek(file_->size()))
        return false;
    return file_->write(bytes.data(), static_cast<qint64>(bytes.size())) ==
           static_cast<qint64>(bytes.size());
}

void TerminalLog::Write(std::string_view bytes, bool checkSize) {
    if (!file_)
        return;
    WriteAll(bytes);
    if (checkSize)
        TrimIfTooLarge();
}

bool TerminalLog::TrimIfTooLarge() {
    if (!file_ || maxLen_ < 1)
        return false;
    const std::int64_t size = file_->size();
    if (size <= maxLen_ && size < kFourGiB)
        return false;
    const std::int64_t keep = 9 * (maxLen_ / 10);
    if (keep > size)
        return false;
    std::vector<char> tail(static_cast<std::size_t>(keep));
    // The file stays whole when its tail cannot be read; the next write tries again.
    if (!file_->seek(size - keep) || file_->read(tail.data(), keep) != keep)
        return false;
    if (!file_->seek(0) || file_->write(tail.data(), keep) != keep)
        return false;
    return file_->resize(keep);
}

} // namespace celdara
