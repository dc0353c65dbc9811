#include "app/QtPlatform.h"

#include "qtplatform/QtTimer.h"
#include "core/Application.h"
#include "distributor/TopDistributor.h"
#include "serial/LyrComm32.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace celdara {

void InstallQtPlatform() {
    TApplication& app = Application();
    // Reader threads post often; one queued call at a time is enough to drain the queue.
    static std::atomic<bool> wakeScheduled{false};
    app.MessageQueue().SetWakeHandler([] {
        if (wakeScheduled.exchange(true))
            return;
        QMetaObject::invokeMethod(
            qApp,
            [] {
                wakeScheduled = false;
                Application().MessageQueue().ProcessMessages();
            },
            Qt::QueuedConnection);
    });
    app.SetPlatformEventHook([] { QCoreApplication::processEvents(); });
    app.RegisterClass("TTimer", [](TComponent* owner) { return new TQtTimer(owner); });
    RegisterDistributorClasses();
    RegisterSerialClasses();
}

namespace {
int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the event loop reads the pipe.
    [[maybe_unused]] ssize_t n = write(signalPipe[1], &byte, 1);
}
} // namespace

void CloseOnTerminationSignals() {
    if (signalPipe[0] >= 0)
        return;
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char buffer[16];
        [[maybe_unused]] ssize_t n = read(signalPipe[0], buffer, sizeof buffer);
        // Closing the top-level windows ends the loop once the last one is gone.
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible())
                window->close();
        QApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace celdara
