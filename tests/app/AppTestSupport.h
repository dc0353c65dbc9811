// The main window against the built-in simulated modem, with its settings in a folder of
// the test's own, driven by Qt's real event loop.
#pragma once

#include "app/MainWindow.h"
#include "app/PortComboBox.h"
#include "app/QtPlatform.h"
#include "core/Application.h"
#include "simulator/SimSerialDevice.h"

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace celdara::testing {

class AppTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InstallQtPlatform();
        RegisterSimulatedModems();
    }

    AppTest() {
        EXPECT_TRUE(configDir.isValid());
        qputenv("XDG_CONFIG_HOME", configDir.path().toUtf8());
    }
    ~AppTest() override { CloseWindow(); }

    TfrmMain& OpenWindow() {
        CloseWindow();
        window = new TfrmMain(&Application());
        window->show();
        QCoreApplication::processEvents();
        return *window;
    }
    void CloseWindow() {
        if (!window)
            return;
        window->close();
        delete window;
        window = nullptr;
        QCoreApplication::processEvents();
    }

    // Picks a port in the box as the user does.
    void PickPort(const QString& port) {
        PortComboBox* box = window->cmbPort;
        int index = box->findText(port);
        ASSERT_GE(index, 0) << port.toStdString() << " is not listed";
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    bool WaitFor(const std::function<bool()>& done, int ms) { return QTest::qWaitFor(done, ms); }

    // One keystroke too many in the port box, committed with Enter: a port that does not
    // exist. Returns once the machine tries it and the display has refreshed meanwhile.
    void CommitMistypedPort() {
        QLineEdit& edit = *window->cmbPort->lineEdit();
        edit.setFocus();
        edit.end(false);
        QTest::keyClicks(&edit, "s");
        QTest::keyClick(&edit, Qt::Key_Return);
        ASSERT_TRUE(WaitFor([&] { return window->Monitor().State() == msOpen; }, 3000));
        QTest::qWait(3 * window->tmrShow->Interval() + 1100);
    }

    QString ConfigFile(const QString& name) const {
        return QDir(configDir.path()).filePath("Celdara/" + name);
    }

    QTemporaryDir configDir;
    TfrmMain* window = nullptr;
};

} // namespace celdara::testing
