#include "app/QtPlatform.h"

#include "app/PosixSignals.h"
#include "core/Application.h"
#include "distributor/TopDistributor.h"
#include "qtplatform/QtTimer.h"
#include "serial/LyrComm32.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <atomic>

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

void CloseOnTerminationSignals() {
    static bool watching = false;
    if (watching)
        return;
    const int fd = WatchTerminationSignals();
    if (fd < 0)
        return;
    watching = true;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [fd] {
        DrainTerminationSignals(fd);
        // Closing the top-level windows ends the loop once the last one is gone.
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible())
                window->close();
        QApplication::quit();
    });
}

} // namespace celdara
