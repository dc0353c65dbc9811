// The port box with descriptions and stable links, alone and in the window as ports come
// and go: the user's pick stays shown, is never taken again for a new pick, and what is
// opened and stored is the link that finds a modem back under another node.
#include "AppTestSupport.h"
#include "serial/LyrComm32.h"
#include "serial/SerialDevice.h"

#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalSpy>

namespace celdara::testing {
namespace {

const QString kById = "/dev/serial/by-id/usb-Quectel_EG25-G-if02-port0";
const QString kQuectelLine = QString::fromUtf8("ttyUSB2 \u2014 Quectel EG25 (if 02, option)");
const QString kQuectelBackLine = QString::fromUtf8("ttyUSB3 \u2014 Quectel EG25 (if 02, option)");

struct PortBox : ::testing::Test {
    PortComboBox box;
    using TItem = PortComboBox::TPortItem;
    const TItem quectel{kQuectelLine, kById, "ttyUSB2"};
    const TItem acm{"ttyACM0", "ttyACM0", "ttyACM0"};
    const TItem sim{kVirtualModemPort, kVirtualModemPort, kVirtualModemPort};
};

TEST_F(PortBox, APickedPortStaysShownWhenItGoesAndFollowsItsLinkWhenItComesBack) {
    box.SetPortItems({quectel, acm, sim});
    box.setCurrentIndex(0); // the user's pick
    emit box.activated(0);
    ASSERT_EQ(box.PortValue(), kById);

    box.SetPortItems({acm, sim});
    EXPECT_EQ(box.currentText(), kQuectelLine);
    EXPECT_EQ(box.PortValue(), kById) << "the lost port is still the one to open";
    // The shown text is the current entry's, so losing the focus picks nothing new.
    EXPECT_EQ(box.itemText(box.currentIndex()), kQuectelLine);
    EXPECT_EQ(box.count(), 3);

    box.SetPortItems({{kQuectelBackLine, kById, "ttyUSB3"}, acm, sim});
    EXPECT_EQ(box.currentText(), kQuectelBackLine);
    EXPECT_EQ(box.PortValue(), kById);
    EXPECT_EQ(box.count(), 3) << "the awaited entry gave way to the returned port";
}

TEST_F(PortBox, TypedTextStaysAsTypedWhereTheCursorWasAndBecomesNoEntry) {
    box.SetPortItems({acm, sim});
    box.lineEdit()->setText("ttyUSB");
    box.lineEdit()->setCursorPosition(3);
    box.SetPortItems({quectel, acm, sim});
    EXPECT_EQ(box.currentText(), "ttyUSB");
    EXPECT_EQ(box.lineEdit()->cursorPosition(), 3);
    EXPECT_EQ(box.findText("ttyUSB"), -1);
    EXPECT_EQ(box.ShownValue(), "ttyUSB");
}

TEST_F(PortBox, TheValueIsTheEntrysForItsExactLineElseTheTextItself) {
    box.SetPortItems({quectel, acm, sim});
    box.lineEdit()->setText(kQuectelLine);
    EXPECT_EQ(box.ShownValue(), kById);
    box.lineEdit()->setText("/dev/ttyUSB2");
    EXPECT_EQ(box.ShownValue(), "/dev/ttyUSB2");
    box.lineEdit()->setText(kQuectelLine + " ");
    EXPECT_EQ(box.ShownValue(), kQuectelLine + " ");
}

TEST_F(PortBox, AStoredPortIsShownByItsLinkOrItsOldNameOrAsItselfAndQuietly) {
    QSignalSpy activated(&box, &QComboBox::activated);
    QSignalSpy changed(&box, &QComboBox::currentIndexChanged);
    box.SetPortItems({quectel, acm, sim});
    box.ShowPortQuietly(kById);
    EXPECT_EQ(box.currentText(), kQuectelLine);
    box.ShowPortQuietly("ttyACM0");
    EXPECT_EQ(box.currentText(), "ttyACM0");
    // Stored before the port had a stable link: found by its name, opened by the link.
    box.ShowPortQuietly("ttyUSB2");
    EXPECT_EQ(box.currentText(), kQuectelLine);
    EXPECT_EQ(box.PortValue(), kById);
    box.ShowPortQuietly("/dev/serial/by-id/usb-gone-if00");
    EXPECT_EQ(box.currentText(), "/dev/serial/by-id/usb-gone-if00");
    EXPECT_EQ(box.PortValue(), "/dev/serial/by-id/usb-gone-if00");
    EXPECT_EQ(box.itemText(box.currentIndex()), box.currentText());
    EXPECT_EQ(activated.count(), 0);
    EXPECT_EQ(changed.count(), 0);
}

// ---- in the window, with udev's events given by the test ------------------------------

TPortEvent Plug(const std::string& node) {
    TPortEvent event;
    event.Port = {.Node = node,
                  .ById = kById.toStdString(),
                  .Vendor = "Quectel",
                  .Model = "EG25",
                  .Driver = "option",
                  .Interface = 2,
                  .Role = TMmPortRole::AtPrimary};
    return event;
}

TPortEvent Unplug(const std::string& node) {
    TPortEvent event{TPortAction::Remove, {}};
    event.Port.Node = node;
    return event;
}

class PortBoxWindow : public AppTest {
protected:
    // A machine with a UART and nothing else, so that the list is the test's own.
    TfrmMain& OpenOnUart() {
        EXPECT_TRUE(QDir(tty.path()).mkpath("ttyS0/device"));
        QFile type(QDir(tty.path()).filePath("ttyS0/type"));
        EXPECT_TRUE(type.open(QIODevice::WriteOnly));
        type.write("4\n");
        type.close();
        SetSysfsTtyRoot(tty.path().toStdString());
        TfrmMain& w = OpenWindow();
        SetSysfsTtyRoot({});
        return w;
    }
    void LoseFocus() {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(window->cmbPort->lineEdit(), &focusOut);
    }
    QByteArray Settings() {
        QFile file(ConfigFile("registry.ini"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir tty;
};

TEST_F(PortBoxWindow, APlugAndAnUnplugLeaveThePolledPortAloneAndShown) {
    TfrmMain& w = OpenOnUart();
    PickPort(kVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= 1; }, 15000));
    const int listed = w.cmbPort->count();
    QSignalSpy activated(w.cmbPort, &QComboBox::activated);

    w.ApplyPortEvents({Plug("/dev/ttyUSB2")});
    EXPECT_EQ(w.cmbPort->count(), listed + 1);
    EXPECT_EQ(w.cmbPort->findText(kQuectelLine), 0) << "the AT port comes first";
    EXPECT_EQ(w.cmbPort->currentText(), kVirtualModemPort);
    LoseFocus();
    w.ApplyPortEvents({Unplug("/dev/ttyUSB2")});
    EXPECT_EQ(w.cmbPort->count(), listed);
    EXPECT_EQ(w.cmbPort->currentText(), kVirtualModemPort);
    LoseFocus();
    EXPECT_EQ(activated.count(), 0);
    EXPECT_TRUE(w.Monitor().State() == msPoll || w.Monitor().State() == msAnswer)
        << "the machine started again: state " << w.Monitor().State();
    EXPECT_EQ(w.LyrComm321->CommPort(), kVirtualModemPort);
}

TEST_F(PortBoxWindow, APickedModemIsStoredAndOpenedByItsLinkAndKeptWhileItIsAway) {
    TfrmMain& w = OpenOnUart();
    w.ApplyPortEvents({Plug("/dev/ttyUSB2")});
    PickPort(kQuectelLine);
    EXPECT_EQ(w.PortBoxText(), kById.toStdString());
    EXPECT_TRUE(Settings().contains(kById.toUtf8()));
    ASSERT_TRUE(WaitFor([&] { return w.LyrComm321->CommPort() == kById.toStdString(); }, 3000));

    QSignalSpy activated(w.cmbPort, &QComboBox::activated);
    w.ApplyPortEvents({Unplug("/dev/ttyUSB2")});
    EXPECT_EQ(w.cmbPort->currentText(), kQuectelLine);
    EXPECT_EQ(w.PortBoxText(), kById.toStdString());
    w.ApplyPortEvents({Plug("/dev/ttyUSB3")});
    EXPECT_EQ(w.cmbPort->currentText(), kQuectelBackLine);
    EXPECT_EQ(w.PortBoxText(), kById.toStdString());
    EXPECT_EQ(w.cmbPort->findText(kQuectelLine), -1);
    LoseFocus();
    EXPECT_EQ(activated.count(), 0);

    // The next start, with the modem away: the link is shown and tried as it is.
    CloseWindow();
    TfrmMain& again = OpenOnUart();
    EXPECT_EQ(again.cmbPort->currentText(), kById);
    EXPECT_EQ(again.PortBoxText(), kById.toStdString());
    again.ApplyPortEvents({Plug("/dev/ttyUSB4")});
    EXPECT_EQ(again.cmbPort->currentText().left(8), "ttyUSB4 ");
    EXPECT_EQ(again.PortBoxText(), kById.toStdString());
}

} // namespace
} // namespace celdara::testing
