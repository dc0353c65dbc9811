#include "util/Debug.h"

#include <stdexcept>
#include <string>

namespace celdara {

std::atomic<bool> DebugStopEnabled{true};

namespace {
// A distinct type, so a debugger can be told to stop on exactly these.
class DebugStopException : public std::logic_error {
public:
    using std::logic_error::logic_error;
};
} // namespace

void DebugRaise(std::string_view message) {
    try {
        throw DebugStopException(std::string(message));
    } catch (const DebugStopException&) {
        // Swallowed on purpose: ordinary runs must not notice.
    }
}

void DebugStop(std::string_view message) {
    if (DebugStopEnabled.load(std::memory_order_relaxed))
        DebugRaise(message);
}

int DebugTrace(std::string_view, std::string_view) {
    return 0;
}

} // namespace celdara
