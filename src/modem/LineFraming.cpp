#include "modem/LineFraming.h"

#include <algorithm>

namespace celdara {

namespace {
// Enough to tell a refilled buffer from the one searched, cheap enough for every chunk.
constexpr std::size_t kKnownBytes = 16;
} // namespace

void TLineFraming::Remember(std::string_view buffer) {
    const std::size_t n = std::min(kKnownBytes, searched_);
    head_.assign(buffer.substr(0, n));
    tail_.assign(buffer.substr(searched_ - n, n));
}

bool TLineFraming::StillSearched(std::string_view buffer) const {
    if (searched_ > buffer.size())
        return false;
    const std::size_t n = std::min(kKnownBytes, searched_);
    return buffer.substr(0, n) == head_ && buffer.substr(searched_ - n, n) == tail_;
}

TLineFraming::TClaim TLineFraming::Next(std::string_view buffer) {
    // A buffer that no longer begins with what was searched was emptied or cut by someone
    // else (a closed port, another decoder): search it afresh, or two lines could merge.
    if (!StillSearched(buffer))
        searched_ = 0;
    // A line feed at the very front belongs to the CR before it: it starts this line.
    std::size_t from =
        std::max<std::size_t>(searched_, buffer.empty() || buffer[0] != '\n' ? 0 : 1);
    from = std::min(from, buffer.size());
    const std::size_t found = buffer.find_first_of("\r\n", from);
    const std::size_t end = found == std::string_view::npos ? buffer.size() : found;
    scanned_ += std::min(end + 1, buffer.size()) - from;
    if (end < kMaxLineBytes && found != std::string_view::npos) {
        searched_ = 0;
        return {end + 1, false};
    }
    if (end < kMaxLineBytes) {
        searched_ = buffer.size();
        Remember(buffer);
        return {};
    }
    // No line end within the bound: the line is cut there, and what lies behind the cut up
    // to `end` is known to hold no line end either.
    searched_ = end - kMaxLineBytes;
    Remember(buffer.substr(kMaxLineBytes));
    return {kMaxLineBytes, true};
}

} // namespace celdara
