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
              (std::vector<std::string>{"Auto select", "Zed (23099)", "T-Mobile (23001)",
                                        "Again (23001)"}));
}

TEST(OperatorEntryTest, ReadsCodeAndNameTrimmedAndRefusesWhatIsNoOperator) {
    struct Case {
        const char* name;
        const char* line;
        const char* item; // "" when the line is skipped
    };
    const Case cases[] = {
        {"plain", "23001=T-Mobile", "T-Mobile (23001)"},
        {"spaces around = as INI editors write", "23001 = T-Mobile", "T-Mobile (23001)"},
        {"tabs around =", "23001\t=\tT-Mobile", "T-Mobile (23001)"},
        {"three-digit MNC", "310410=AT&T", "AT&T (310410)"},
        {"name with = and spaces inside", "26201 = Telekom = D1 ", "Telekom = D1 (26201)"},
        {"code of four digits", "2300=Short", ""},
        {"code of seven digits", "2300123=Long", ""},
        {"code with a letter", "2300A=Hex", ""},
        {"code with a space inside", "230 01=Split", ""},
        {"no code", "=nameless", ""},
        {"no name", "23001=", ""},
        {"only spaces as name", "23001 =  ", ""},
        {"no =", "23001", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OperatorItemOfEntry(c.line), c.item) << c.name;
        EXPECT_EQ(OperatorEntryOf(c.line).has_value(), *c.item != '\0') << c.name;
    }
}

TEST_F(OperatorTableTest, SpacesAroundTheEqualsSignGiveTheSameItems) {
    WriteTable("[General]\r\n23001=T-Mobile\r\n23002=O2\r\n");
    const std::vector<std::string> tight = LoadOperatorTable(folder, error);
    EXPECT_EQ(error, "");
    WriteTable("[ General ]\r\n 23001 = T-Mobile \r\n23002\t= O2\r\n");
    EXPECT_EQ(LoadOperatorTable(folder, error), tight);
    EXPECT_EQ(error, "");
}

TEST_F(OperatorTableTest, SkippedEntriesAreNamedByLineInOneMessage) {
    WriteTable("[General]\n23001=T-Mobile\n2300=Short\n; 1=comment\n\nabcde=Letters\n"
               "23002=O2\n");
    EXPECT_EQ(LoadOperatorTable(folder, error),
              (std::vector<std::string>{"Auto select", "T-Mobile (23001)", "O2 (23002)"}));
    EXPECT_EQ(error, "The operator table \"" + folder +
                         "/mccmnc.ini\" skips line 3 \"2300=Short\", line 6 \"abcde=Letters\": "
                         "an entry is \"code=name\" with a code of 5 or 6 digits.");
    EXPECT_EQ(error.find_first_of("\r\n"), std::string::npos);
}

TEST_F(OperatorTableTest, LinesEndingInCrOnlyAreCountedAsLines) {
    WriteTable("[General]\r23001=T-Mobile\rbad\r");
    EXPECT_EQ(LoadOperatorTable(folder, error),
              (std::vector<std::string>{"Auto select", "T-Mobile (23001)"}));
    EXPECT_NE(error.find("line 3 \"bad\""), std::string::npos) << error;
}

TEST_F(OperatorTableTest, AnAddedOperatorIsAppendedToTheGeneralSection) {
    struct Case {
        const char* name;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"after the last entry, before the next section",
         "[General]\r\n23001=T-Mobile\r\n\r\n[Other]\r\n1=x\r\n",
         "[General]\r\n23001=T-Mobile\r\n26201=Telekom\r\n\r\n[Other]\r\n1=x\r\n"},
        {"an empty section", "[General]\r\n", "[General]\r\n26201=Telekom\r\n"},
        {"a last line without its line end", "[General]\n23001=T-Mobile",
         "[General]\n23001=T-Mobile\r\n26201=Telekom\r\n"},
        {"no section yet", "; mine\r\n", "; mine\r\n[General]\r\n26201=Telekom\r\n"},
        {"an empty file", "", "[General]\r\n26201=Telekom\r\n"},
    };
    for (const Case& c : cases) {
        WriteTable(c.before);
        EXPECT_TRUE(AddOperatorToTable(folder, " 26201 ", " Telekom ", error)) << c.name << error;
        EXPECT_EQ(ReadTable(), c.after) << c.name;
        EXPECT_EQ(LoadOperatorTable(folder, error).back(), "Telekom (26201)") << c.name;
    }
}

TEST_F(OperatorTableTest, AddingWritesTheDefaultTableFirstWhenThereIsNone) {
    ASSERT_TRUE(AddOperatorToTable(folder, "26201", "Telekom", error)) << error;
    EXPECT_EQ(ReadTable(), std::string(kDefaultOperatorTable) + "26201=Telekom\r\n");
}

TEST_F(OperatorTableTest, AddingRefusesABadCodeAnEmptyNameAndACodeAlreadyThere) {
    struct Case {
        const char* name;
        const char* code;
        const char* operatorName;
        const char* error;
    };
    const Case cases[] = {
        {"four digits", "2620", "X", "The operator code \"2620\" is not 5 or 6 digits."},
        {"letters", "26A01", "X", "The operator code \"26A01\" is not 5 or 6 digits."},
        {"empty name", "26201", "  ", "The operator name \"  \" is empty or spans lines."},
        {"name over two lines", "26201", "a\nb",
         "The operator name \"a\nb\" is empty or spans lines."},
        {"already there, written with spaces", "23001", "Other",
         "The operator 23001 is already in the table as \"T-Mobile\"."},
    };
    const std::string table = "[General]\r\n23001 = T-Mobile\r\n";
    for (const Case& c : cases) {
        WriteTable(table);
        EXPECT_FALSE(AddOperatorToTable(folder, c.code, c.operatorName, error)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_EQ(ReadTable(), table) << c.name;
    }
}

TEST_F(OperatorTableTest, AddingToAnUnwritableTableSaysWhy) {
    fs::create_directories(folder + "/mccmnc.ini");
    EXPECT_FALSE(AddOperatorToTable(folder, "26201", "Telekom", error));
    EXPECT_NE(error.find("the operator table"), std::string::npos) << error;
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
