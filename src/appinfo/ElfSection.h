// Finds a named section in an ELF file (32 or 64 bit, either byte order).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

// The name of the section that holds Celdara's version-information block.
inline constexpr std::string_view kVersionInfoSection = ".celdara.version";

// The contents of the section, or nothing when the file cannot be read, is not ELF, is
// truncated or malformed, has no such section, or the section is larger than `maxSize`.
std::optional<std::vector<std::uint8_t>> ReadElfSection(const std::string& path,
                                                        std::string_view sectionName,
                                                        std::size_t maxSize = 1 << 20);

} // namespace celdara
