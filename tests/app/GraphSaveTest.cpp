// A graph that cannot be saved says why, as the history does.
#include "AppTestSupport.h"

namespace celdara::testing {
namespace {

TEST_F(AppTest, AGraphThatCannotBeSavedSaysWhy) {
    TfrmMain& w = OpenWindow();
    struct Row {
        const char* name;
        QString path;
    };
    const Row rows[] = {
        {"a folder that does not exist", QDir(configDir.path()).filePath("no/such/dir/g.png")},
        {"sysfs, where no file can be made", "/sys/g.png"},
        {"a folder in the file's place", configDir.path()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        ASSERT_FALSE(w.SaveGraphImage(row.path, error));
        const QString start = "Cannot save the graph to " + row.path + ": ";
        EXPECT_TRUE(error.startsWith(start)) << error.toStdString();
        EXPECT_GT(error.size(), start.size() + 1) << "a reason follows";
    }
}

} // namespace
} // namespace celdara::testing
