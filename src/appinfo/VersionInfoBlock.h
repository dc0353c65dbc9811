// The binary version-information block (the VS_VERSIONINFO layout): a tree of nodes, each
// a length, a value length, a type, a UTF-16 key and a value, aligned to four bytes.
// Celdara builds such a block for its own executable and reads it back from any file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace celdara {

using Bytes = std::vector<std::uint8_t>;

struct TVersionInfoSource {
    std::uint16_t Language = 0x0409; // US English
    std::uint16_t CodePage = 1200;   // Unicode
    std::uint16_t Version[4] = {0, 0, 0, 0};
    // The string table's key; empty gives the usual one, language and code page in hex.
    std::string TableKey;
    // Key and text of each string, in the order they are written.
    std::vector<std::pair<std::string, std::string>> Strings;
};

// Builds a block with the fixed file information, one string table keyed by language and
// code page, and the translation entry. Texts are UTF-8 and stored as UTF-16.
Bytes BuildVersionInfoBlock(const TVersionInfoSource& source);

// Looks up a value by a path such as "\VarFileInfo\Translation" or
// "\StringFileInfo\040904B0\FileVersion" (keys compared ignoring ASCII case). Gives the raw
// value bytes (for text nodes without their terminating zero), or nothing when the path
// does not exist or the block is malformed.
std::optional<Bytes> QueryVersionValue(const Bytes& block, std::string_view path);

// A text value of the block as UTF-8, cut at its first zero.
std::optional<std::string> QueryVersionText(const Bytes& block, std::string_view path);

// The key of the first string table, for blocks without a translation entry.
std::optional<std::string> FirstStringTableKey(const Bytes& block);

} // namespace celdara
