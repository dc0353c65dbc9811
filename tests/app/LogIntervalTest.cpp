// The window's log writes at most one row per chosen interval; the interval is chosen in the
// log's file dialog, stored with the file and restored at the next start.
#include "AppTestSupport.h"
#include "app/LogThrottle.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

namespace celdara::testing {
namespace {

using namespace std::chrono_literals;

TEST(LogThrottle, WritesTheCycleThatEndsEachInterval) {
    struct Row {
        const char* name;
        int seconds;
        std::vector<std::chrono::milliseconds> cycles;
        std::vector<bool> written;
    };
    const Row rows[] = {
        {"every cycle", 0, {0ms, 100ms, 100ms, 200ms}, {true, true, true, true}},
        {"1 s",
         1,
         {0ms, 100ms, 999ms, 1000ms, 1500ms, 2100ms},
         {true, false, false, true, false, true}},
        {"10 s at ten cycles a second",
         10,
         {0ms, 100ms, 9900ms, 10000ms, 19900ms, 20000ms},
         {true, false, false, true, false, true}},
        {"60 s", 60, {0ms, 59999ms, 60000ms, 119999ms}, {true, false, true, false}},
    };
    const TLogThrottle::Clock::time_point start{};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TLogThrottle throttle;
        throttle.SetInterval(row.seconds);
        std::vector<bool> written;
        for (auto at : row.cycles)
            written.push_back(throttle.Due(start + at));
        EXPECT_EQ(written, row.written);
    }
}

TEST(LogThrottle, ARestartedLogTakesTheNextCycle) {
    const TLogThrottle::Clock::time_point start{};
    TLogThrottle throttle;
    throttle.SetInterval(60);
    ASSERT_TRUE(throttle.Due(start));
    ASSERT_FALSE(throttle.Due(start + 1s));
    throttle.Restart();
    EXPECT_TRUE(throttle.Due(start + 2s));
    throttle.SetInterval(10); // a new interval starts afresh too
    EXPECT_TRUE(throttle.Due(start + 3s));
}

TEST(LogThrottle, AStoredIntervalIsOneOfTheOfferedOrTheDefault) {
    struct Row {
        const char* stored;
        int seconds;
    };
    const Row rows[] = {{"0", 0},  {"1", 1},   {"10", 10}, {"60", 60},         {"5", 1},
                        {"-1", 1}, {"abc", 1}, {"", 1},    {"99999999999", 1}, {" 10", 1}};
    for (const Row& row : rows)
        EXPECT_EQ(ParseLogInterval(row.stored), row.seconds) << '"' << row.stored << '"';
}

// Chooses the log's file and interval in the dialog of Settings → Log to file, as the user does.
void ChooseLog(TfrmMain& w, const QString& path, int seconds) {
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* interval = dialog->findChild<QComboBox*>("cmbLogInterval");
        // Typed into the name box: the whole path, as one may.
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (interval && name) {
            interval->setCurrentIndex(interval->findData(seconds));
            name->setText(path);
            static_cast<QDialog*>(dialog)->accept(); // as its Save button does
        }
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog took no interval and file";
            dialog->reject();
        }
    });
    answer.start(20);
    w.mnuLogToFile->trigger();
}

TEST_F(AppTest, TheLogIntervalIsChosenStoredRestoredAndKept) {
    const QString path = QDir(configDir.path()).filePath("minute.csv");
    auto rows = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts).size() - 1
                   : -1;
    };
    {
        TfrmMain& w = OpenWindow();
        EXPECT_EQ(w.LogInterval(), kDefaultLogInterval);
        ChooseLog(w, path, 60);
        ASSERT_TRUE(w.Logging());
        EXPECT_EQ(w.LogInterval(), 60);
        PickPort(kVirtualModemPort);
        ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= 5; }, 15000));
        EXPECT_EQ(rows(), 1) << "one row in the minute's first five cycles";
        CloseWindow();
    }
    QFile settings(ConfigFile("registry.ini"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("Interval=60"));

    TfrmMain& w = OpenWindow();
    EXPECT_EQ(w.LogInterval(), 60);
    EXPECT_TRUE(w.Logging());
    // Every cycle: the log follows the poll again.
    ChooseLog(w, path, 0);
    const int before = rows();
    ASSERT_TRUE(WaitFor([&] { return rows() >= before + 5; }, 15000));
}

} // namespace
} // namespace celdara::testing
