// What the parts of the simulated modem's AT engine share: the S-registers with a meaning,
// the longest command line, and formatting of reply lines.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace celdara::simmodem {

inline constexpr std::size_t kMaxLine = 256; // longer command lines are refused, as modems do

// S-registers that carry meaning here: line end, line feed, backspace.
inline constexpr int kS3 = 3;
inline constexpr int kS4 = 4;
inline constexpr int kS5 = 5;

// A reply line formatted as printf does (reply lines are short).
std::string Printf(const char* format, auto... args) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

} // namespace celdara::simmodem
