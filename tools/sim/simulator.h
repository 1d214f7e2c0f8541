#pragma once
#include <cstdint>
#include <istream>

#include "script.h"

namespace sim {

// Runs the main window on the virtual clock, feeding it the script, already checked, and
// tracing to standard output; without an `end` line the run ends at endTime. Needs a
// QApplication; returns the exit status.
int Run(const Options& options, std::istream& script, std::int64_t endTime);

}  // namespace sim
