// Diagnostic hooks: visible to a debugger that stops on exceptions, silent otherwise.
#pragma once

#include <atomic>
#include <string_view>

namespace celdara {

// On at start. While on, DebugStop raises an exception and catches it on the spot.
extern std::atomic<bool> DebugStopEnabled;

void DebugStop(std::string_view message);
// Raises and swallows an exception whatever the switch says (used by self-checks).
void DebugRaise(std::string_view message);
// Discards its input; returns 0.
int DebugTrace(std::string_view text, std::string_view caption = {});

} // namespace celdara
