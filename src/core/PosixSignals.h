// SIGINT and SIGTERM as a descriptor the event loop can watch: a signal handler may do
// next to nothing, so it only writes a byte that the loop then reads and acts on.
#pragma once

namespace celdara {

// Installs the handlers and gives the descriptor that becomes readable when one of the
// signals arrives; -1 when the descriptor pair cannot be made (the signals then keep their
// default action).
int WatchTerminationSignals();

// Reads what the handler wrote, so that the descriptor is quiet until the next signal.
void DrainTerminationSignals(int fd);

} // namespace celdara
