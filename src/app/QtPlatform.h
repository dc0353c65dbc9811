// Connects the logic layers' seams to Qt: the main-thread message queue wakes Qt's event
// loop, "process pending window messages" runs Qt's events too, and the component classes
// that stored descriptions name are registered with their Qt-backed implementations.
#pragma once

namespace celdara {

void InstallQtPlatform();

// Closes the application's windows as their close boxes would when the process gets SIGINT
// or SIGTERM (placement saved, port closed).
void CloseOnTerminationSignals();

} // namespace celdara
