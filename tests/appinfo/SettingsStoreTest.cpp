#include "appinfo/SettingsStore.h"

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace celdara {
namespace {

class IniSettingsStoreTest : public ::testing::Test {
protected:
    std::string File(const char* name = "registry.ini") const {
        return dir_.filePath(QString::fromLatin1(name)).toStdString();
    }

    std::string FileText() const {
        std::ifstream in(File());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    QTemporaryDir dir_;
};

const std::string kKey = "Software\\Tolm\\Celdara\\Connection";

TEST_F(IniSettingsStoreTest, ValuesKeepTheirKindAcrossStoreObjects) {
    {
        TIniSettingsStore store(File());
        EXPECT_TRUE(store.WriteString(kKey, "COMPort", "ttyUSB0"));
        EXPECT_TRUE(store.WriteInteger(kKey, "Speed", -1));
        EXPECT_TRUE(store.WriteInteger(kKey, "Big", 8388609));
    }
    TIniSettingsStore store(File());
    EXPECT_EQ(store.ValueKind(kKey, "COMPort"), TSettingKind::skString);
    EXPECT_EQ(store.ValueKind(kKey, "Speed"), TSettingKind::skInteger);
    EXPECT_EQ(store.ValueKind(kKey, "Missing"), TSettingKind::skNone);
    EXPECT_EQ(store.ReadString(kKey, "COMPort", "x"), "ttyUSB0");
    EXPECT_EQ(store.ReadInteger(kKey, "Speed", 0), -1);
    EXPECT_EQ(store.ReadInteger(kKey, "Big", 0), 8388609);
    // A value of the other kind reads as the default: its kind is part of what is stored.
    EXPECT_EQ(store.ReadInteger(kKey, "COMPort", 42), 42);
    EXPECT_EQ(store.ReadString(kKey, "Speed", "def"), "def");
}

TEST_F(IniSettingsStoreTest, TextsThatLookLikeTheEncodingComeBackUnchanged) {
    TIniSettingsStore store(File());
    const std::vector<std::string> texts = {"dword:00000001",
                                            "sz:abc",
                                            "sz:",
                                            "dword:",
                                            "@at",
                                            "a, b, c",
                                            "  spaced  ",
                                            "",
                                            "100%",
                                            "\"quoted\"",
                                            std::string("\xE8\xE1\x01\xFF", 4)};
    for (std::size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(store.WriteString(kKey, "T" + std::to_string(i), texts[i]));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(store.ValueKind(kKey, "T" + std::to_string(i)), TSettingKind::skString) << i;
        EXPECT_EQ(store.ReadString(kKey, "T" + std::to_string(i), "?"), texts[i]) << i;
    }
}

TEST_F(IniSettingsStoreTest, NamesWithSeparatorsStayOneValueAndKeysAreNested) {
    TIniSettingsStore store(File());
    store.WriteString(kKey, "a/b", "slash");
    store.WriteString(kKey, "a\\b", "backslash");
    store.WriteString(kKey, "a%2Fb", "percent");
    store.WriteString(kKey, "", "unnamed");
    store.WriteString(kKey + "\\a", "b", "nested");
    EXPECT_EQ(store.ReadString(kKey, "a/b", ""), "slash");
    EXPECT_EQ(store.ReadString(kKey, "a\\b", ""), "backslash");
    EXPECT_EQ(store.ReadString(kKey, "a%2Fb", ""), "percent");
    EXPECT_EQ(store.ReadString(kKey, "", ""), "unnamed");
    EXPECT_EQ(store.ReadString(kKey + "\\a", "b", ""), "nested");
    // Doubled or trailing separators name the same key.
    EXPECT_EQ(store.ReadString("Software\\\\Tolm\\Celdara\\Connection\\", "a/b", ""), "slash");
}

TEST_F(IniSettingsStoreTest, WritesOfAnUpdateAreSeenAtOnceAndStoredAtItsEnd) {
    TIniSettingsStore store(File());
    TIniSettingsStore other(File());
    store.WriteInteger(kKey, "Left", 1);
    {
        TSettingsUpdate outer(store);
        {
            TSettingsUpdate inner(store);
            EXPECT_TRUE(store.WriteInteger(kKey, "Left", 2));
            EXPECT_TRUE(store.WriteString(kKey, "COMPort", "ttyUSB1"));
        }
        EXPECT_EQ(store.ReadInteger(kKey, "Left", 0), 2);
        EXPECT_EQ(FileText().find("Left=dword:00000002"), std::string::npos); // not yet on disk
    }
    EXPECT_NE(FileText().find("Left=dword:00000002"), std::string::npos);
    EXPECT_EQ(other.ReadInteger(kKey, "Left", 0), 2);
    EXPECT_EQ(other.ReadString(kKey, "COMPort", ""), "ttyUSB1");
}

TEST_F(IniSettingsStoreTest, AMissingFileGivesDefaultsAndIsCreatedByAWrite) {
    const std::string file = File("sub/dir/registry.ini");
    TIniSettingsStore store(file);
    EXPECT_EQ(store.ReadString(kKey, "COMPort", "none"), "none");
    EXPECT_EQ(store.ReadInteger(kKey, "Speed", 7), 7);
    EXPECT_TRUE(store.WriteString(kKey, "COMPort", "ttyACM0"));
    EXPECT_TRUE(std::filesystem::exists(file));
}

TEST_F(IniSettingsStoreTest, AnUnreadableStoreGivesDefaultsAndRefusesWrites) {
    // A directory where the file should be cannot be read or written, even by root.
    std::filesystem::create_directory(File());
    TIniSettingsStore store(File());
    EXPECT_EQ(store.ValueKind(kKey, "COMPort"), TSettingKind::skNone);
    EXPECT_EQ(store.ReadString(kKey, "COMPort", "def"), "def");
    EXPECT_EQ(store.ReadInteger(kKey, "Speed", 5), 5);
    EXPECT_FALSE(store.WriteString(kKey, "COMPort", "x"));
    EXPECT_FALSE(store.WriteInteger(kKey, "Speed", 1));
}

TEST_F(IniSettingsStoreTest, GarbageFilesGiveDefaultsAndAreRepairedByAWrite) {
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        {
            std::ofstream f(File(), std::ios::binary | std::ios::trunc);
            if (round % 2)
                f << "[Software]\nTolm\\Celdara\\Connection\\COMPort=ttyS1\n";
            std::size_t n = rng() % 400;
            for (std::size_t i = 0; i < n; ++i)
                f << static_cast<char>(rng() % 4 == 0 ? "[]=\\\n\"@%,"[rng() % 10] : rng());
        }
        TIniSettingsStore store(File());
        std::string port = store.ReadString(kKey, "COMPort", "def");
        // A file the parser gives up on reads as defaults.
        if (round % 2)
            EXPECT_TRUE(port == "ttyS1" || port == "def") << round;
        else
            EXPECT_EQ(port, "def") << round;
        store.ReadInteger(kKey, "Speed", 0);
        // Writing repairs the file.
        EXPECT_TRUE(store.WriteInteger(kKey, "Speed", round));
        EXPECT_EQ(TIniSettingsStore(File()).ReadInteger(kKey, "Speed", -5), round) << round;
    }
}

TEST(SettingIntegerTextTest, EncodesAndDecodesTheFullRange) {
    for (std::int32_t v : {0, 1, -1, 8388609, INT32_MIN, INT32_MAX}) {
        std::int32_t back = 0;
        ASSERT_TRUE(DecodeSettingInteger(EncodeSettingInteger(v), back)) << v;
        EXPECT_EQ(back, v);
    }
    EXPECT_EQ(EncodeSettingInteger(8388609), "dword:00800001");
    std::int32_t v = 0;
    EXPECT_TRUE(DecodeSettingInteger("dword:FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    for (const char* bad : {"dword:1", "dword:000000001", "dword:0000000g", "DWORD:00000001",
                            " dword:00000001", "00000001"})
        EXPECT_FALSE(DecodeSettingInteger(bad, v)) << bad;
}

TEST(DefaultSettingsFileTest, FollowsXdgConfigHomeAndFallsBackToHome) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = oldXdg ? oldXdg : "";
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(DefaultSettingsFile(), "/tmp/cfg/Celdara/registry.ini");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(DefaultSettingsFile(), "/home/u/.config/Celdara/registry.ini");
    setenv("HOME", savedHome.c_str(), 1);
    if (oldXdg)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace celdara
