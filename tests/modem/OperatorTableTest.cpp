#include "modem/OperatorTable.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace celdara {
namespace {

namespace fs = std::filesystem;

class OperatorTableTest : public ::testing::Test {
protected:
    OperatorTableTest() {
        root = fs::temp_directory_path() /
               ("celdara-ops-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        folder = (root / "deep" / "Celdara").string();
    }
    ~OperatorTableTest() override {
        std::error_code ec;
        fs::permissions(root, fs::perms::owner_all, ec);
        fs::remove_all(root, ec);
    }
    void WriteTable(const std::string& text) {
        fs::create_directories(folder);
        std::ofstream(folder + "/mccmnc.ini", std::ios::binary) << text;
    }
    std::string ReadTable() {
        std::ifstream in(folder + "/mccmnc.ini", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path root;
    std::string folder;
    std::string error;
};

TEST_F(OperatorTableTest, TheDefaultTableIsWrittenByteForByteIntoANewFolder) {
    EXPECT_FALSE(OperatorTableExists(folder));
    ASSERT_TRUE(WriteDefaultOperatorTable(folder, error)) << error;
    EXPECT_TRUE(OperatorTableExists(folder));
    EXPECT_EQ(ReadTable(), ";Definition of available operators\r\n[General]\r\n"
                           "23001=T-Mobile\r\n23002=O2\r\n23003=Vodafone\r\n");
    EXPECT_EQ(LoadOperatorTable(folder, error),
              (std::vector<std::string>{"Auto select", "T-Mobile (23001)", "O2 (23002)",
                                        "Vodafone (23003)"}));
    EXPECT_EQ(error, "");
}

TEST_F(OperatorTableTest, OnlyTheGeneralSectionCountsInFileOrder) {
    WriteTable("; comment\n[Other]\n11111=Elsewhere\n[general]\n 23099 = Zed \n"
               "23001=T-Mobile\n=nameless\nnoequals\n23001=Again\n; 23003=Commented\n"
               "[Last]\n23004=Not this\n");
    EXPECT_EQ(LoadOperatorTable(folder, error),
              (std::vector<std::string>{"Auto select", " Zed (23099 )", "T-Mobile (23001)",
                                        "Again (23001)"}));
}

TEST_F(OperatorTableTest, AFileWithoutTheSectionGivesOnlyAutoSelect) {
    WriteTable("23001=T-Mobile\r\n");
    EXPECT_EQ(LoadOperatorTable(folder, error), std::vector<std::string>{"Auto select"});
    EXPECT_EQ(error, "");
}

TEST_F(OperatorTableTest, AnUnusableFolderStillGivesAutoSelectAndSaysWhy) {
    // A file where a parent folder should be stops even root.
    fs::create_directories(root);
    std::ofstream(root / "deep") << "not a folder";
    EXPECT_FALSE(WriteDefaultOperatorTable(folder, error));
    EXPECT_NE(error.find("Cannot create the settings folder"), std::string::npos) << error;
    EXPECT_EQ(LoadOperatorTable(folder, error), std::vector<std::string>{"Auto select"});
    EXPECT_FALSE(error.empty());
}

TEST_F(OperatorTableTest, AFolderInPlaceOfTheFileStillGivesAutoSelectAndSaysWhy) {
    fs::create_directories(folder + "/mccmnc.ini");
    EXPECT_FALSE(WriteDefaultOperatorTable(folder, error));
    EXPECT_NE(error.find("Cannot write the operator table"), std::string::npos) << error;
    std::vector<std::string> items = LoadOperatorTable(folder, error);
    EXPECT_EQ(items, std::vector<std::string>{"Auto select"});
}

TEST(SettingsFolderTest, FollowsXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    std::string keep = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(SettingsFolder("Celdara"), "/tmp/xdg/Celdara");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(SettingsFolder("Celdara"), "/home/u/.config/Celdara");
    if (saved)
        setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace celdara
