#include "appinfo/ElfSection.h"

#include <fstream>

namespace celdara {

namespace {

class ElfFile {
public:
    explicit ElfFile(const std::string& path) : in_(path, std::ios::binary) {
        if (in_) {
            in_.seekg(0, std::ios::end);
            size_ = static_cast<std::uint64_t>(in_.tellg());
        }
    }

    bool Read(std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out) {
        if (!in_ || offset > size_ || count > size_ - offset)
            return false;
        out.resize(count);
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(count));
        return static_cast<std::size_t>(in_.gcount()) == count;
    }

    std::uint64_t Size() const { return size_; }

private:
    std::ifstream in_;
    std::uint64_t size_ = 0;
};

// Reads unsigned fields of either byte order out of a header buffer.
struct Fields {
    const std::vector<std::uint8_t>& bytes;
    bool bigEndian;

    std::uint64_t Get(std::size_t at, std::size_t width) const {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i) {
            std::size_t index = bigEndian ? at + i : at + width - 1 - i;
            v = v << 8 | bytes[index];
        }
        return v;
    }
};

struct SectionHeader {
    std::uint64_t name, type, offset, size, link;
};

constexpr std::uint32_t kNoBits = 8;             // SHT_NOBITS: occupies no file space
constexpr std::uint64_t kExtendedIndex = 0xFFFF; // SHN_XINDEX

} // namespace

std::optional<std::vector<std::uint8_t>>
ReadElfSection(const std::string& path, std::string_view sectionName, std::size_t maxSize) {
    ElfFile file(path);
    std::vector<std::uint8_t> ident;
    if (!file.Read(0, 64, ident) && !file.Read(0, 52, ident))
        return std::nullopt;
    if (ident[0] != 0x7F || ident[1] != 'E' || ident[2] != 'L' || ident[3] != 'F')
        return std::nullopt;
    const bool wide = ident[4] == 2;
    if (ident[4] != 1 && ident[4] != 2)
        return std::nullopt;
    if (ident[5] != 1 && ident[5] != 2)
        return std::nullopt;
    Fields header{ident, ident[5] == 2};
    // A 64-bit header needs all 64 bytes; only a 32-bit one fits in 52.
    if (ident.size() < (wide ? 64u : 52u))
        return std::nullopt;

    const std::uint64_t shoff = wide ? header.Get(0x28, 8) : header.Get(0x20, 4);
    const std::uint64_t shentsize = header.Get(wide ? 0x3A : 0x2E, 2);
    std::uint64_t shnum = header.Get(wide ? 0x3C : 0x30, 2);
    std::uint64_t shstrndx = header.Get(wide ? 0x3E : 0x32, 2);
    const std::uint64_t minEntry = wide ? 64 : 40;
    if (shoff == 0 || shentsize < minEntry)
        return std::nullopt;

    auto readSection = [&](std::uint64_t index) -> std::optional<SectionHeader> {
        std::vector<std::uint8_t> raw;
        if (shentsize > 4096 || index > file.Size() / shentsize ||
            !file.Read(shoff + index * shentsize, static_cast<std::size_t>(shentsize), raw))
            return std::nullopt;
        Fields f{raw, header.bigEndian};
        if (wide)
            return SectionHeader{f.Get(0, 4), f.Get(4, 4), f.Get(0x18, 8), f.Get(0x20, 8),
                                 f.Get(0x28, 4)};
        return SectionHeader{f.Get(0, 4), f.Get(4, 4), f.Get(0x10, 4), f.Get(0x14, 4),
                             f.Get(0x18, 4)};
    };

    // Files with very many sections keep the real counts in section 0.
    if (shnum == 0 || shstrndx == kExtendedIndex) {
        auto first = readSection(0);
        if (!first)
            return std::nullopt;
        if (shnum == 0)
            shnum = first->size;
        if (shstrndx == kExtendedIndex)
            shstrndx = first->link;
    }
    if (shnum == 0 || shstrndx >= shnum || shnum > file.Size() / shentsize)
        return std::nullopt;

    auto names = readSection(shstrndx);
    std::vector<std::uint8_t> nameTable;
    if (!names || names->type == kNoBits || names->size > (1u << 24) ||
        !file.Read(names->offset, static_cast<std::size_t>(names->size), nameTable))
        return std::nullopt;

    for (std::uint64_t i = 0; i < shnum; ++i) {
        auto section = readSection(i);
        if (!section)
            return std::nullopt;
        if (section->name >= nameTable.size())
            continue;
        std::string_view name(reinterpret_cast<const char*>(nameTable.data()) + section->name,
                              nameTable.size() - section->name);
        name = name.substr(0, name.find('\0'));
        if (name != sectionName)
            continue;
        std::vector<std::uint8_t> contents;
        if (section->type == kNoBits || section->size > maxSize ||
            !file.Read(section->offset, static_cast<std::size_t>(section->size), contents))
            return std::nullopt;
        return contents;
    }
    return std::nullopt;
}

} // namespace celdara
