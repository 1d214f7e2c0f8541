#pragma once
#include <functional>

namespace plat {

// From now on SIGTERM, SIGINT and SIGHUP no longer end the process; they are kept until
// OnTerminationSignal hands them on. Call first thing, so none is missed.
void CatchTerminationSignals();

// Whether one of those signals has come: a wait that holds up the event loop ends at once.
bool TerminationRequested();

// Runs handler on the user-interface thread, from the event loop, for each caught signal
// (one that came before this call included). Needs the application object.
void OnTerminationSignal(std::function<void()> handler);

}  // namespace plat
