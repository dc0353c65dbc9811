#include "util/SystemError.h"

#include <cstdio>
#include <cstring>

namespace celdara {

namespace {
// The GNU strerror_r returns the text (maybe not in buf); the XSI one fills buf.
[[maybe_unused]] const char* MessageOf(int ret, const char* buf) {
    return ret == 0 ? buf : nullptr;
}
[[maybe_unused]] const char* MessageOf(const char* text, const char*) {
    return text;
}
} // namespace

std::string SystemErrorText(int code) {
    char buf[256] = {};
    const char* text = MessageOf(strerror_r(code, buf, sizeof buf), buf);
    std::string message = text ? text : "";
    // glibc makes up "Unknown error N" for codes it has no text for: that is no message.
    if (message.empty() || message.rfind("Unknown error", 0) == 0) {
        if (code == 632)
            return "Parameter dwSize of the passed structure is not filled.";
        char hex[32];
        std::snprintf(hex, sizeof hex, "Error %08X", static_cast<unsigned>(code));
        return hex;
    }
    bool stopRemoved = false;
    while (!message.empty()) {
        char last = message.back();
        if (last == '\r' || last == '\n') {
            message.pop_back();
        } else if (last == '.' && !stopRemoved) {
            message.pop_back();
            stopRemoved = true;
        } else {
            break;
        }
    }
    if (stopRemoved)
        message += '.';
    return message;
}

} // namespace celdara
