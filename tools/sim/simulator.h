#pragma once
#include <cstdint>
#include <istream>

#include "flow/script.h"
#include "options.h"

namespace sim {

using replay::Header;

// Runs the main window on the virtual clock, feeding it the script, already checked, and
// tracing to standard output; without an `end` line the run ends at endTime. The header
// gives the seed, screen and stored values the options do not. Needs a QApplication;
// returns the exit status.
int Run(const Options& options, const Header& header, std::istream& script, std::int64_t endTime);

}  // namespace sim
