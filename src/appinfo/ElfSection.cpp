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

// Where the section headers of a file lie, from its ELF header.
struct SectionTable {
    ElfFile& file;
    bool wide = false; // 64-bit
    bool bigEndian = false;
    std::uint64_t shoff = 0, shentsize = 0, shnum = 0, shstrndx = 0;

    std::optional<SectionHeader> Read(std::uint64_t index) {
        std::vector<std::uint8_t> raw;
        if (shentsize > 4096 || index > file.Size() / shentsize ||
            !file.Read(shoff + index * shentsize, static_cast<std::size_t>(shentsize), raw))
            return std::nullopt;
        Fields f{raw, bigEndian};
        if (wide)
            return SectionHeader{f.Get(0, 4), f.Get(4, 4), f.Get(0x18, 8), f.Get(0x20, 8),
                                 f.Get(0x28, 4)};
        return SectionHeader{f.Get(0, 4), f.Get(4, 4), f.Get(0x10, 4), f.Get(0x14, 4),
                             f.Get(0x18, 4)};
    }
};

// The section table from the ELF header; false for anything that is not an ELF file with
// sections.
bool ReadHeader(SectionTable& table) {
    std::vector<std::uint8_t> ident;
    if (!table.file.Read(0, 64, ident) && !table.file.Read(0, 52, ident))
        return false;
    if (ident[0] != 0x7F || ident[1] != 'E' || ident[2] != 'L' || ident[3] != 'F')
        return false;
    if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2))
        return false;
    const bool wide = ident[4] == 2;
    // A 64-bit header needs all 64 bytes; only a 32-bit one fits in 52.
    if (ident.size() < (wide ? 64u : 52u))
        return false;
    Fields header{ident, ident[5] == 2};
    table.wide = wide;
    table.bigEndian = header.bigEndian;
    table.shoff = wide ? header.Get(0x28, 8) : header.Get(0x20, 4);
    table.shentsize = header.Get(wide ? 0x3A : 0x2E, 2);
    table.shnum = header.Get(wide ? 0x3C : 0x30, 2);
    table.shstrndx = header.Get(wide ? 0x3E : 0x32, 2);
    return table.shoff != 0 && table.shentsize >= (wide ? 64u : 40u);
}

// Files with very many sections keep the real counts in section 0.
bool ReadSectionCounts(SectionTable& table) {
    if (table.shnum == 0 || table.shstrndx == kExtendedIndex) {
        auto first = table.Read(0);
        if (!first)
            return false;
        if (table.shnum == 0)
            table.shnum = first->size;
        if (table.shstrndx == kExtendedIndex)
            table.shstrndx = first->link;
    }
    return table.shnum != 0 && table.shstrndx < table.shnum &&
           table.shnum <= table.file.Size() / table.shentsize;
}

// The name of a section from the name table; empty when it lies outside.
std::string_view SectionName(const std::vector<std::uint8_t>& nameTable, std::uint64_t at) {
    if (at >= nameTable.size())
        return {};
    std::string_view name(reinterpret_cast<const char*>(nameTable.data()) + at,
                          nameTable.size() - at);
    return name.substr(0, name.find('\0'));
}

} // namespace

std::optional<std::vector<std::uint8_t>>
ReadElfSection(const std::string& path, std::string_view sectionName, std::size_t maxSize) {
    ElfFile file(path);
    SectionTable table{file};
    if (!ReadHeader(table) || !ReadSectionCounts(table))
        return std::nullopt;

    auto names = table.Read(table.shstrndx);
    std::vector<std::uint8_t> nameTable;
    if (!names || names->type == kNoBits || names->size > (1u << 24) ||
        !file.Read(names->offset, static_cast<std::size_t>(names->size), nameTable))
        return std::nullopt;

    for (std::uint64_t i = 0; i < table.shnum; ++i) {
        auto section = table.Read(i);
        if (!section)
            return std::nullopt;
        if (section->name >= nameTable.size() ||
            SectionName(nameTable, section->name) != sectionName)
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
