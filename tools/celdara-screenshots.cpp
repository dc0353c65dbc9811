// celdara-screenshots: pictures of the program for a person to look at, drawn on the
// offscreen platform, so no display is needed and nothing appears on screen.
//
//   celdara-screenshots FOLDER        the main window after about ten seconds of polling the
//                                     simulated GSM modem and the LTE one, the terminal beside
//                                     it, the terminal with traffic of every kind, the signal
//                                     graph and every gauge kind, and the network search's
//                                     dialog while it searches and with its list
//   celdara-screenshots --doc FOLDER  only the pictures of the README and the help document,
//                                     under their names there (screenshot.png, terminal.png,
//                                     screenshot-lte.png, screenshot-carriers.png: the LTE
//                                     modem in its 5G NSA phase, after 40 seconds,
//                                     screenshot-cs.png: the LTE modem's window in Czech,
//                                     screenshot-switching.png: during an operator switch,
//                                     screenshot-port-failed.png: after the port box was
//                                     committed to a name that does not open)
//
// The window keeps its settings in a temporary folder: the user's own are never touched.
#include "app/MainWindow.h"
#include "app/NetworkScanDialog.h"
#include "app/PortComboBox.h"
#include "app/QtPlatform.h"
#include "app/StatusPanel.h"
#include "app/Translations.h"
#include "core/Application.h"
#include "simulator/SimModem.h"
#include "simulator/SimModemPort.h"
#include "simulator/SimNetwork.h"
#include "simulator/SimSerialDevice.h"
#include "terminal/VTolmTerminal.h"
#include "widgets/TrkwXPGraph.h"
#include "widgets/VTolmGauge.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

namespace celdara {
namespace {

// Every picture written, and whether one could not be.
class Shots {
public:
    explicit Shots(QString folder) : folder_(std::move(folder)) {}

    void Save(const QImage& image, const QString& name) {
        const QString path = QDir(folder_).filePath(name);
        if (image.save(path, "PNG")) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "celdara-screenshots: cannot write %s\n", qPrintable(path));
            failed_ = true;
        }
    }
    bool Failed() const { return failed_; }

private:
    QString folder_;
    bool failed_ = false;
};

// Lets Qt's event loop run for `ms` milliseconds: the modem, the timers and the painting go on.
void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A new main window with the built-in simulated modem `port` picked in the port box, as the
// user picks it.
TfrmMain* OpenPolling(const char* port) {
    auto* window = new TfrmMain(&Application());
    window->show();
    QCoreApplication::processEvents();
    PortComboBox* box = window->cmbPort;
    const int index = box->findText(QString::fromLatin1(port));
    if (index >= 0) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    return window;
}

void CloseWindow(TfrmMain* window) {
    window->close();
    delete window;
    QCoreApplication::processEvents();
}

// The main window polling a built-in simulated modem for `ms`, and its terminal with all
// traffic shown, as the debug menu entry gives it (no terminal picture without
// `terminalName`).
void ShootMainWindow(Shots& shots, const char* port, const QString& windowName,
                     const QString& terminalName = {}, int ms = 10000) {
    TfrmMain* window = OpenPolling(port);
    Wait(ms);
    shots.Save(window->grab().toImage(), windowName);
    if (!terminalName.isEmpty()) {
        window->mnuDebugTerminal->trigger();
        Wait(1500);
        window->termMain->FlushView();
        shots.Save(window->termMain->Form()->grab().toImage(), terminalName);
    }
    CloseWindow(window);
}

// The LTE modem's timetable from its start again, so that the next window meets LTE, as a
// user's first look does, rather than wherever the earlier pictures left the modem. The
// device is a 5G module (see SimDeviceOptions), so its NSA phase keeps its NR leg.
void RestartLteTimetable() {
    RegisterSimulatedModems().Modem(kLteVirtualModemPort)->Locked([](TSimModem& modem) {
        modem.Network().SelectAutomatic();
        modem.Network().SetRadioPlan(SimLteTimetable(), 0, true);
    });
}

// The LTE modem's window as a user under a Czech locale sees it; English again afterwards.
void ShootCzech(Shots& shots) {
    const QLocale czech(QLocale::Czech, QLocale::Czechia);
    QLocale::setDefault(czech);
    if (InstallTranslations(czech) == 0)
        std::fprintf(stderr, "celdara-screenshots: no Czech translation found\n");
    RestartLteTimetable();
    ShootMainWindow(shots, kLteVirtualModemPort, "screenshot-cs.png");
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QLocale::setDefault(english);
    InstallTranslations(english);
}

// Lets the event loop run until `done` or for at most `ms` milliseconds.
bool WaitUntil(const std::function<bool()>& done, int ms) {
    for (int waited = 0; !done(); waited += 100) {
        if (waited >= ms)
            return false;
        Wait(100);
    }
    return true;
}

// Types `text` into `widget` key by key, as the keyboard does.
void TypeKeys(QWidget* widget, const QString& text, Qt::Key key = Qt::Key_unknown) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
        QCoreApplication::sendEvent(widget, &release);
    }
    if (key != Qt::Key_unknown) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
        QCoreApplication::sendEvent(widget, &release);
    }
}

// The LTE modem's window while it switches to another operator the user clicked: the status
// bar says so, and the panels keep their layout without the values of the old network.
void ShootSwitching(Shots& shots) {
    RestartLteTimetable();
    TfrmMain* window = OpenPolling(kLteVirtualModemPort);
    const auto checkedItem = [window] {
        for (QAbstractButton* item : window->rgpOperators->findChildren<QRadioButton*>())
            if (item->isChecked())
                return item;
        return static_cast<QAbstractButton*>(nullptr);
    };
    if (!WaitUntil([&] { return window->rgpOperators->isEnabled() && checkedItem(); }, 15000)) {
        std::fprintf(stderr, "celdara-screenshots: the LTE modem's operators were not shown\n");
        CloseWindow(window);
        return;
    }
    Wait(3000);
    // The first operator other than the network the modem is on (item 0 is Auto select),
    // told by the code in brackets that ends both texts.
    const QString current = window->StatusPanels[kPanelOperator]->text();
    const QList<QRadioButton*> items = window->rgpOperators->findChildren<QRadioButton*>();
    for (int i = 1; i < items.size(); ++i) {
        const QString text = items[i]->text();
        const QString code = text.mid(text.lastIndexOf('('));
        if (!items[i]->isChecked() && !current.contains(code)) {
            items[i]->click();
            break;
        }
    }
    const auto switching = [window] { return !window->StatusBar1->currentMessage().isEmpty(); };
    if (WaitUntil(switching, 10000)) {
        Wait(700);
        if (switching())
            shots.Save(window->grab().toImage(), "screenshot-switching.png");
        else
            std::fprintf(stderr, "celdara-screenshots: the switch ended before the picture\n");
    } else {
        std::fprintf(stderr, "celdara-screenshots: the operator switch did not start\n");
    }
    CloseWindow(window);
}

// The LTE modem's window a few seconds after the port box was committed to a name that does
// not open (one keystroke too many and Enter): no values left, the port panel says why.
void ShootPortFailed(Shots& shots) {
    RestartLteTimetable();
    TfrmMain* window = OpenPolling(kLteVirtualModemPort);
    WaitUntil([window] { return window->Monitor().CompletedCycles() >= 2; }, 20000);
    Wait(3000);
    QLineEdit* edit = window->cmbPort->lineEdit();
    edit->setFocus();
    edit->end(false);
    TypeKeys(edit, QStringLiteral("s"), Qt::Key_Return);
    Wait(4000);
    shots.Save(window->grab().toImage(), "screenshot-port-failed.png");
    CloseWindow(window);
}

// The network search on the simulated GSM modem: the dialog while the modem searches, and
// with the networks it found.
void ShootNetworkScan(Shots& shots) {
    TfrmMain* window = OpenPolling(kVirtualModemPort);
    if (WaitUntil([&] { return window->mnuSearchNetworks->isEnabled(); }, 15000)) {
        window->mnuSearchNetworks->trigger();
        Wait(2500);
        TNetworkScanDialog* dialog = window->dlgNetworkScan;
        shots.Save(dialog->grab().toImage(), "network-scan-searching.png");
        WaitUntil([&] { return !dialog->Scanning(); }, 60000);
        shots.Save(dialog->grab().toImage(), "network-scan.png");
    } else {
        std::fprintf(stderr, "celdara-screenshots: the simulated modem was not polled\n");
    }
    CloseWindow(window);
}

// The terminal on its own with traffic of every colour, both entry lines and the
// diagnostic fields, at a fixed time of day.
void ShootTerminal(Shots& shots) {
    constexpr double kNineOhFive = (9 * 3600 + 5 * 60 + 3.120) / 86400.0;
    Tick tick = 1000;
    VTolmTerminal terminal(
        nullptr, nullptr,
        TerminalClock{[&tick] { return tick += 37; }, [] { return kNineOhFive; }});
    terminal.BeginLoading();
    terminal.SetName("termMain");
    terminal.SetCaption("Terminal");
    terminal.SetShowOptions(vttsoShowTimes);
    terminal.SetShowHexEdit(true);
    terminal.SetDebugWindowsVisible(true);
    terminal.SetModeItems({"Text", "Hex"});
    terminal.SetVisible(true);
    terminal.Loaded();
    terminal.AddLine("machine: INIT", 6);
    terminal.AddString("AT+CSQ;+COPS=3,0;+COPS?\r", 5);
    terminal.AddLine("+CSQ: 17,99", 6);
    terminal.AddLine("OK", 6);
    terminal.AddString("ATI\r", 1);
    terminal.AddString("Manufacturer\r\n", 0);
    const std::uint8_t hex[] = {0x41, 0x54, 0x0D, 0x0A, 0x1A};
    terminal.AddChars(hex, 5, 2);
    terminal.AddChars(hex, 5, 3);
    const char* events[] = {"port lost", "connected", "state", "warning", "info"};
    for (int kind = 7; kind <= 11; ++kind)
        terminal.AddLine(events[kind - 7], kind);
    terminal.AddString("in \x01", 12);
    terminal.AddString("out \x02", 13);
    terminal.AddString("grey \x03", 16);
    terminal.AddString("unknown \x04", 18);
    terminal.EndLine();
    if (auto* entry = terminal.Form()->findChild<QLineEdit*>("termMain_ManualLine"))
        entry->setText("AT+CPAS");
    terminal.FlushView();
    shots.Save(terminal.Form()->grab().toImage(), "terminal.png");
}

// A signal that wanders like a real one, with a dropout where the modem did not answer.
int SampleSignal(int i) {
    if (i >= 180 && i < 186)
        return 0;
    const double v = 55 + 12 * std::sin(i / 17.0) + 6 * std::sin(i / 4.3);
    return static_cast<int>(v);
}

// The graph in the main window's colours, and with the control's own defaults and its
// statistics line.
void ShootGraphs(Shots& shots) {
    using widgets::TrkwXPGraph;
    QWidget window;
    window.resize(547, 135);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    window.setPalette(pal);
    auto* graph = new TrkwXPGraph(&window);
    graph->setObjectName(QStringLiteral("rkwXPGraph1"));
    graph->setGeometry(0, 0, 547, 135);
    QFont font;
    font.setPixelSize(11);
    graph->SetGraphFont(font, QColor(0, 255, 0));
    graph->SetColor(window.palette().color(QPalette::Button));
    graph->SetBackGround(Qt::black);
    graph->SetColor75(QColor(0, 255, 0));
    graph->SetColorMax(QColor(0, 255, 0));
    graph->SetUsageCaption(QStringLiteral("Signal"));
    graph->SetHistoryCaption(QStringLiteral("Signal History"));
    graph->SetRefreshInterval(30000);
    for (int i = 0; i < 400; ++i)
        graph->SetUsageValue(SampleSignal(i));
    window.show();
    shots.Save(window.grab().toImage(), QStringLiteral("graph-main-window.png"));

    QWidget plain;
    plain.resize(400, 150);
    auto* stats = new TrkwXPGraph(&plain);
    stats->setObjectName(QStringLiteral("rkwXPGraphStats"));
    stats->SetDisplayStat(true);
    for (int i = 0; i < 250; ++i)
        stats->SetUsageValue(SampleSignal(i) + 30);
    plain.show();
    shots.Save(plain.grab().toImage(), QStringLiteral("graph-defaults-stat.png"));
}

QImage GaugeImage(widgets::VTolmGaugeKind kind, widgets::VTolmGaugeTheme theme, QSize size) {
    using namespace widgets;
    QWidget parent;
    auto* gauge = new VTolmGauge(&parent);
    gauge->setObjectName(QStringLiteral("gauge"));
    gauge->resize(size);
    gauge->SetKind(kind);
    gauge->SetTheme(theme);
    gauge->SetForeColor(RGBColor(0, 0, 128));
    gauge->SetProgress(65);
    QFont f = gauge->font();
    f.setBold(true);
    gauge->setFont(f);
    return gauge->RenderImage();
}

// Every gauge kind, plain and themed, each on its own and all on one sheet (also four times
// larger without smoothing, to see the single pixels of the decorations).
void ShootGauges(Shots& shots) {
    using namespace widgets;
    struct Shot {
        const char* name;
        VTolmGaugeKind kind;
        QSize size;
    };
    const Shot gauges[] = {
        {"text", VTolmGaugeKind::vgkText, {120, 40}},
        {"hbar", VTolmGaugeKind::vgkHorizontalBar, {160, 28}},
        {"vbar", VTolmGaugeKind::vgkVerticalBar, {40, 120}},
        {"pie", VTolmGaugeKind::vgkPie, {100, 100}},
        {"needle", VTolmGaugeKind::vgkNeedle, {140, 75}},
    };
    const int pad = 10;
    QImage sheet(2 * (160 + pad) + pad, 5 * (120 + pad) + pad, QImage::Format_ARGB32);
    sheet.fill(QWidget().palette().color(QPalette::Window));
    QPainter sheetPainter(&sheet);
    int row = 0;
    for (const Shot& shot : gauges) {
        int column = 0;
        for (VTolmGaugeTheme theme : {VTolmGaugeTheme::Plain, VTolmGaugeTheme::Themed}) {
            const QImage image = GaugeImage(shot.kind, theme, shot.size);
            shots.Save(image, QStringLiteral("gauge-%1-%2.png")
                                  .arg(QString::fromLatin1(shot.name))
                                  .arg(theme == VTolmGaugeTheme::Plain ? "plain" : "themed"));
            sheetPainter.drawImage(pad + column * (160 + pad), pad + row * (120 + pad), image);
            ++column;
        }
        ++row;
    }
    sheetPainter.end();
    shots.Save(sheet, QStringLiteral("gauges-sheet.png"));
    shots.Save(sheet.scaled(sheet.size() * 4), QStringLiteral("gauges-sheet-x4.png"));
}

int Usage(std::FILE* to) {
    std::fprintf(to,
                 "usage: celdara-screenshots [--doc] FOLDER\n"
                 "Writes pictures of the main window, the terminal, the graph, the gauges and\n"
                 "the network search into FOLDER; with --doc only screenshot.png, terminal.png,\n"
                 "screenshot-lte.png, screenshot-carriers.png, screenshot-cs.png,\n"
                 "screenshot-switching.png and screenshot-port-failed.png, the pictures of\n"
                 "the README and the help document\n"
                 "(celdara-screenshots --doc doc).\n");
    return to == stdout ? 0 : 2;
}

} // namespace
} // namespace celdara

int main(int argc, char** argv) {
    using namespace celdara;
    bool doc = false;
    const char* folder = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Usage(stdout);
        if (std::strcmp(argv[i], "--doc") == 0)
            doc = true;
        else if (!folder && argv[i][0] != '-')
            folder = argv[i];
        else
            return Usage(stderr);
    }
    if (!folder)
        return Usage(stderr);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("Celdara");
    QTemporaryDir config;
    if (!config.isValid() || !QDir().mkpath(QString::fromLocal8Bit(folder))) {
        std::fprintf(stderr, "celdara-screenshots: cannot prepare the folders\n");
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    InstallQtPlatform();
    RegisterSimulatedModems();

    Shots shots(QString::fromLocal8Bit(folder));
    if (doc) {
        ShootMainWindow(shots, kVirtualModemPort, "screenshot.png", "terminal.png");
        ShootMainWindow(shots, kLteVirtualModemPort, "screenshot-lte.png");
        // Past the 25 seconds of LTE alone, in the middle of the NR leg's phase.
        ShootMainWindow(shots, kLteVirtualModemPort, "screenshot-carriers.png", {}, 40000);
        ShootCzech(shots);
        ShootSwitching(shots);
        ShootPortFailed(shots);
    } else {
        ShootMainWindow(shots, kVirtualModemPort, "main-window.png", "terminal-in-program.png");
        ShootMainWindow(shots, kLteVirtualModemPort, "main-window-lte.png");
        ShootNetworkScan(shots);
        ShootTerminal(shots);
        ShootGraphs(shots);
        ShootGauges(shots);
    }
    return shots.Failed() ? 1 : 0;
}
