#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace replay {
struct Header;
}

// What a game starts from beyond the stored values: the modes, the option selected, where the
// random generator stands, the arrows, and the records a new game does not reset (a ghost's
// counter, the flashing phase, the player on turn). A recording of one game carries it in its
// header, so that it replays alone, whatever came before it in the run.

// The header lines that say it, as the state stands now.
std::string GameStartLines();
// Puts it back, once the window has loaded; what the header leaves out is as a fresh start
// has it.
void ApplyGameStart(const replay::Header& header);
