#pragma once
#include <functional>

namespace plat {

// Signals a game has no use for (a reader gone from a pipe, the user and alarm signals, a
// file grown past its size limit) do nothing from now on; a write they would have stopped
// fails instead. Call first thing.
void IgnoreUnusedSignals();

// From now on SIGTERM, SIGINT and SIGHUP no longer end the process: handler runs on the
// user-interface thread, from the event loop, for each. Until then they end it at once, as
// by default: nothing is kept before the loop runs, and a start held up (by a display server
// that never answers) must not outlive them. Needs the application object.
void OnTerminationSignal(std::function<void()> handler);

// Whether one of those signals has come since: a wait that holds up the event loop ends at
// once.
bool TerminationRequested();

}  // namespace plat
