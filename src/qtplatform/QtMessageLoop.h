// The core seams on Qt's event loop: posting to the main-thread message queue wakes the loop,
// "process pending messages" runs Qt's events too, and "TTimer" created by class name is a
// QTimer-backed timer. Needs a QCoreApplication (or QApplication); both front ends use it.
#pragma once

namespace celdara {

void ConnectCoreToQt();

// SIGINT and SIGTERM call `handler` on the main thread, from the event loop.
void OnTerminationSignals(void (*handler)());

} // namespace celdara
