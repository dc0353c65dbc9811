// UTF-8 and UTF-16 texts into each other, for the version-information block, which keeps
// its keys and texts in UTF-16. Broken sequences become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace celdara {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(const std::u16string& text);

} // namespace celdara
