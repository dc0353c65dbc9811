#include "modem/LineFraming.h"

#include <algorithm>

namespace celdara {

TLineFraming::TClaim TLineFraming::Next(std::string_view buffer) {
    // A buffer shorter than what was searched was emptied or cut by someone else (a closed
    // port): search it afresh.
    if (searched_ > buffer.size())
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
        return {};
    }
    // No line end within the bound: the line is cut there, and what lies behind the cut up
    // to `end` is known to hold no line end either.
    searched_ = end - kMaxLineBytes;
    return {kMaxLineBytes, true};
}

} // namespace celdara
