// The 19 output kinds of the terminal: marker, how the bytes are drawn, colours and which
// diagnostic time field a kind feeds.
#pragma once

#include <cstdint>
#include <string_view>

namespace celdara {

struct TerminalRgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const TerminalRgb&, const TerminalRgb&) = default;
};

enum class TerminalDisplay { Text, Hex, Raw };

// Which of the two diagnostic fields a kind updates.
enum class TerminalTimeField { None, In, Out };

struct TerminalKindInfo {
    std::string_view marker;
    TerminalDisplay display;
    TerminalRgb base;
    TerminalRgb escape; // text display only
    TerminalTimeField timeField;
    // What the program sent: every output of it is a send of its own and starts a line.
    bool sent;
};

inline constexpr int kTerminalKindCount = 19;
// The last kind, "? ", also takes every kind outside 0..18.
inline constexpr int kTerminalUnknownKind = 18;

// Kinds outside 0..18 are treated as kind 18.
int NormalTerminalKind(int kind);
const TerminalKindInfo& TerminalKind(int kind);

} // namespace celdara
