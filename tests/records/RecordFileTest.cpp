// Appending records to a file: the CSV header once per file, and failures that close it
// with a reason.
#include "records/RecordFile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <stdlib.h>

namespace celdara {
namespace {

namespace fs = std::filesystem;

struct RecordFileTest : ::testing::Test {
    RecordFileTest() {
        std::string tmpl = (fs::temp_directory_path() / "celdara-records-XXXXXX").string();
        if (mkdtemp(tmpl.data()))
            dir = tmpl;
    }
    ~RecordFileTest() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Read(const fs::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static int Lines(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
    fs::path dir;
    TPollRecord record;
};

TEST_F(RecordFileTest, ACsvFileGetsItsHeaderOnceAcrossRuns) {
    record.Port = "virtual-modem";
    const fs::path path = dir / "log.csv";
    {
        TRecordFile file;
        ASSERT_TRUE(file.Open(path.string(), TRecordFormat::Csv)) << file.Error();
        ASSERT_TRUE(file.Append(record));
        EXPECT_EQ(file.Size(), static_cast<std::int64_t>(fs::file_size(path)));
    }
    {
        TRecordFile again;
        ASSERT_TRUE(again.Open(path.string(), TRecordFormat::Csv));
        ASSERT_TRUE(again.Append(record));
        ASSERT_TRUE(again.Append(record));
    }
    const std::string text = Read(path);
    EXPECT_EQ(Lines(text), 4);
    EXPECT_EQ(text.rfind(RecordHeader(TRecordFormat::Csv) + "\n", 0), 0u);
    EXPECT_EQ(text.find("time,port"), text.rfind("time,port")) << "one header only";
}

TEST_F(RecordFileTest, JsonLinesHaveNoHeader) {
    const fs::path path = dir / "log.jsonl";
    TRecordFile file;
    ASSERT_TRUE(file.Open(path.string(), TRecordFormat::JsonLines));
    ASSERT_TRUE(file.Append(record));
    const std::string text = Read(path);
    EXPECT_EQ(Lines(text), 1);
    EXPECT_EQ(text.front(), '{');
}

TEST_F(RecordFileTest, FailuresSayWhyAndCloseTheFile) {
    TRecordFile file;
    EXPECT_FALSE(file.Open((dir / "missing" / "log.csv").string(), TRecordFormat::Csv));
    EXPECT_NE(file.Error().find("No such file or directory"), std::string::npos) << file.Error();
    EXPECT_FALSE(file.IsOpen());

    EXPECT_FALSE(file.Open(dir.string(), TRecordFormat::Csv));
    EXPECT_FALSE(file.Error().empty());

    // A file deleted while it is logged to: the next line reaches nobody, and says so.
    const fs::path path = dir / "gone.csv";
    ASSERT_TRUE(file.Open(path.string(), TRecordFormat::Csv));
    fs::remove(path);
    EXPECT_FALSE(file.Append(record));
    EXPECT_NE(file.Error().find("deleted"), std::string::npos) << file.Error();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Append(record));
    EXPECT_EQ(file.Size(), -1);
}

TEST_F(RecordFileTest, ADeviceIsNoLogFile) {
    // Appending to /dev/full would "work" until the first write; a log is a regular file.
    TRecordFile file;
    EXPECT_FALSE(file.Open("/dev/full", TRecordFormat::Csv));
    EXPECT_NE(file.Error().find("not a regular file"), std::string::npos) << file.Error();
}

} // namespace
} // namespace celdara
