#include "appinfo/ElfSection.h"
#include "appinfo/TFileVersionInfo.h"
#include "appinfo/VersionInfoBlock.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace celdara {
namespace {

namespace fs = std::filesystem;

TVersionInfoSource CzechSource() {
    TVersionInfoSource source;
    source.Language = 0x0405;
    source.CodePage = 1250;
    source.Version[0] = 1;
    source.Version[1] = 2;
    source.Strings = {{"CompanyName", "Firma"},
                      {"FileVersion", "1.2.3.4"},
                      {"LegalTradeMarks", ""},
                      {"ProductName", "Celdara"},
                      {"Comments", "Žluťoučký kůň"}};
    return source;
}

TEST(VersionInfoBlockTest, TextsAndTranslationCanBeQueriedBack) {
    Bytes block = BuildVersionInfoBlock(CzechSource());
    auto translation = QueryVersionValue(block, "\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    EXPECT_EQ(*translation, (Bytes{0x05, 0x04, 0xE2, 0x04}));
    EXPECT_EQ(QueryVersionText(block, "\\StringFileInfo\\040504E2\\FileVersion"), "1.2.3.4");
    EXPECT_EQ(QueryVersionText(block, "\\stringfileinfo\\040504e2\\productname"), "Celdara");
    EXPECT_EQ(QueryVersionText(block, "\\StringFileInfo\\040504E2\\Comments"), "Žluťoučký kůň");
    EXPECT_EQ(QueryVersionText(block, "\\StringFileInfo\\040504E2\\LegalTradeMarks"), "");
    EXPECT_FALSE(QueryVersionText(block, "\\StringFileInfo\\040504E2\\InternalName"));
    EXPECT_FALSE(QueryVersionText(block, "\\StringFileInfo\\04090000\\FileVersion"));
    EXPECT_EQ(FirstStringTableKey(block), "040504E2");
}

TEST(VersionInfoBlockTest, EveryTruncationOrCorruptionIsRefusedSafely) {
    const Bytes block = BuildVersionInfoBlock(CzechSource());
    for (std::size_t n = 0; n < block.size(); ++n) {
        Bytes cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
        // The root's own length no longer fits, so nothing may be found.
        EXPECT_FALSE(QueryVersionValue(cut, "\\VarFileInfo\\Translation")) << n;
    }
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        Bytes bad = block;
        for (int k = 0; k < 4; ++k)
            bad[rng() % bad.size()] = static_cast<std::uint8_t>(rng());
        QueryVersionText(bad, "\\StringFileInfo\\040504E2\\Comments");
        QueryVersionValue(bad, "\\VarFileInfo\\Translation");
        FirstStringTableKey(bad);
    }
}

// A minimal ELF file with a section-name table and the given sections.
Bytes MakeElf(bool wide, bool bigEndian,
              const std::vector<std::pair<std::string, Bytes>>& sections) {
    Bytes names{0};
    std::vector<std::size_t> nameOffsets;
    for (const auto& [name, data] : sections) {
        nameOffsets.push_back(names.size());
        names.insert(names.end(), name.begin(), name.end());
        names.push_back(0);
    }
    const std::size_t shstrName = names.size();
    for (char c : std::string(".shstrtab"))
        names.push_back(static_cast<std::uint8_t>(c));
    names.push_back(0);

    const std::size_t headerSize = wide ? 64 : 52;
    const std::size_t entrySize = wide ? 64 : 40;
    Bytes file(headerSize, 0);
    auto put = [&](Bytes& b, std::size_t at, std::uint64_t v, int width) {
        if (b.size() < at + width)
            b.resize(at + width);
        for (int i = 0; i < width; ++i)
            b[at + (bigEndian ? width - 1 - i : i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    std::vector<std::pair<std::size_t, std::size_t>> placed; // offset, size
    for (const auto& [name, data] : sections) {
        placed.emplace_back(file.size(), data.size());
        file.insert(file.end(), data.begin(), data.end());
    }
    const std::size_t namesOffset = file.size();
    file.insert(file.end(), names.begin(), names.end());
    while (file.size() % 8)
        file.push_back(0);
    const std::size_t shoff = file.size();
    const std::size_t count = sections.size() + 2;
    file.resize(shoff + count * entrySize, 0);

    auto entry = [&](std::size_t index, std::size_t name, std::size_t offset, std::size_t size) {
        std::size_t at = shoff + index * entrySize;
        put(file, at, name, 4);
        put(file, at + 4, 1, 4); // SHT_PROGBITS
        put(file, at + (wide ? 0x18 : 0x10), offset, wide ? 8 : 4);
        put(file, at + (wide ? 0x20 : 0x14), size, wide ? 8 : 4);
    };
    for (std::size_t i = 0; i < sections.size(); ++i)
        entry(i + 1, nameOffsets[i], placed[i].first, placed[i].second);
    entry(count - 1, shstrName, namesOffset, names.size());

    file[0] = 0x7F, file[1] = 'E', file[2] = 'L', file[3] = 'F';
    file[4] = wide ? 2 : 1;
    file[5] = bigEndian ? 2 : 1;
    put(file, wide ? 0x28 : 0x20, shoff, wide ? 8 : 4);
    put(file, wide ? 0x3A : 0x2E, entrySize, 2);
    put(file, wide ? 0x3C : 0x30, count, 2);
    put(file, wide ? 0x3E : 0x32, count - 1, 2);
    return file;
}

class TempFile {
public:
    explicit TempFile(const Bytes& contents) {
        path_ = (fs::temp_directory_path() /
                 ("celdara-vi-" + std::to_string(getpid()) + "-" + std::to_string(counter_++)))
                    .string();
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(contents.data()),
                   static_cast<std::streamsize>(contents.size()));
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    static inline int counter_ = 0;
    std::string path_;
};

TEST(ElfSectionTest, FindsTheSectionInEveryClassAndByteOrder) {
    const Bytes payload{1, 2, 3, 4, 5};
    for (bool wide : {false, true}) {
        for (bool big : {false, true}) {
            TempFile file(
                MakeElf(wide, big, {{".text", Bytes(10, 0x90)}, {".celdara.version", payload}}));
            EXPECT_EQ(ReadElfSection(file.Path(), ".celdara.version"), payload) << wide << big;
            EXPECT_FALSE(ReadElfSection(file.Path(), ".missing")) << wide << big;
        }
    }
}

TEST(ElfSectionTest, NonElfTruncatedAndDamagedFilesGiveNothing) {
    EXPECT_FALSE(ReadElfSection("/nonexistent/celdara", ".celdara.version"));
    TempFile text(Bytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(ReadElfSection(text.Path(), ".celdara.version"));

    const Bytes elf = MakeElf(true, false, {{".celdara.version", Bytes(40, 7)}});
    for (std::size_t n = 0; n < elf.size(); n += 3) {
        TempFile cut(Bytes(elf.begin(), elf.begin() + static_cast<std::ptrdiff_t>(n)));
        EXPECT_FALSE(ReadElfSection(cut.Path(), ".celdara.version")) << n;
    }
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        Bytes bad = elf;
        for (int k = 0; k < 3; ++k)
            bad[rng() % bad.size()] = static_cast<std::uint8_t>(rng());
        TempFile damaged(bad);
        auto section = ReadElfSection(damaged.Path(), ".celdara.version");
        EXPECT_TRUE(!section || section->size() <= bad.size());
    }
}

TEST(FileVersionInfoTest, ReadsTheRunningProgramsOwnBlock) {
    TFileVersionInfo info(nullptr);
    EXPECT_EQ(info.ExecutableFile(), TFileVersionInfo::RunningProgramPath());
    EXPECT_EQ(info.CountryCode(), "040904B0");
    EXPECT_EQ(info.CompanyName(), "Celdara test");
    EXPECT_EQ(info.FileVersion(), "9.8.7.6");
    EXPECT_EQ(info.ProductName(), "Celdara");
    EXPECT_EQ(info.Comments(), "Příliš");
    EXPECT_EQ(info.InternalName(), "");
}

TEST(FileVersionInfoTest, AFileWithoutTheBlockClearsAnEarlierRead) {
    TFileVersionInfo info(nullptr);
    ASSERT_FALSE(info.ProductName().empty());
    TempFile plain(MakeElf(true, false, {{".text", Bytes(8, 0)}}));
    info.SetExecutableFile(plain.Path());
    EXPECT_EQ(info.ProductName(), "");
    EXPECT_EQ(info.CompanyName(), "");
    EXPECT_EQ(info.CountryCode(), "");
    info.SetExecutableFile("/nonexistent");
    EXPECT_EQ(info.FileVersion(), "");
}

TEST(FileVersionInfoTest, AStringTableUnderAnotherKeyYieldsOnlyTheCountryCode) {
    TVersionInfoSource source = CzechSource();
    source.TableKey = "040904B0";
    TempFile file(MakeElf(true, false, {{".celdara.version", BuildVersionInfoBlock(source)}}));
    TFileVersionInfo info(nullptr);
    info.SetExecutableFile(file.Path());
    EXPECT_EQ(info.CountryCode(), "040504E2");
    EXPECT_EQ(info.FileVersion(), "");
    EXPECT_EQ(info.ProductName(), "");
}

TEST(FileVersionInfoTest, ReadsACzechBlockFromAnotherFile) {
    TempFile file(
        MakeElf(false, true, {{".celdara.version", BuildVersionInfoBlock(CzechSource())}}));
    TFileVersionInfo info(nullptr);
    info.SetExecutableFile(file.Path());
    EXPECT_EQ(info.CountryCode(), "040504E2");
    EXPECT_EQ(info.CompanyName(), "Firma");
    EXPECT_EQ(info.Comments(), "Žluťoučký kůň");
}

} // namespace
} // namespace celdara
