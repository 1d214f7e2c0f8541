#pragma once
#include <vector>

#include "script.h"

namespace sim {

// Runs the main window on the virtual clock, feeding it the script and tracing to standard
// output. Needs a QApplication; returns the exit status.
int Run(const Options& options, const std::vector<ScriptLine>& script);

}  // namespace sim
