#include "qtplatform/QtMessageLoop.h"

#include "core/Application.h"
#include "core/PosixSignals.h"
#include "qtplatform/QtTimer.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>

namespace celdara {

void ConnectCoreToQt() {
    TApplication& app = Application();
    // Reader threads post often; one queued call at a time is enough to drain the queue.
    static std::atomic<bool> wakeScheduled{false};
    app.MessageQueue().SetWakeHandler([] {
        if (wakeScheduled.exchange(true))
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [] {
                wakeScheduled = false;
                Application().MessageQueue().ProcessMessages();
            },
            Qt::QueuedConnection);
    });
    app.SetPlatformEventHook([] { QCoreApplication::processEvents(); });
    app.RegisterClass("TTimer", [](TComponent* owner) { return new TQtTimer(owner); });
}

void OnTerminationSignals(void (*handler)()) {
    static QSocketNotifier* notifier = nullptr;
    static void (*current)() = nullptr;
    current = handler;
    if (notifier != nullptr)
        return;
    const int fd = WatchTerminationSignals();
    if (fd < 0)
        return;
    notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [fd] {
        DrainTerminationSignals(fd);
        if (current)
            current();
    });
}

} // namespace celdara
