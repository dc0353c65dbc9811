// The C library's message texts for error numbers.
#pragma once

#include <string>

namespace celdara {

// The message of `code` (an errno value), with trailing CR, LF and full stops trimmed to
// at most one full stop. Without a message: "Error " and the code as 8 hexadecimal digits.
std::string SystemErrorText(int code);

} // namespace celdara
