#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace sim {

struct Options {
    std::optional<std::uint32_t> seed;
    std::string settingsFile;  // empty: a memory store
    std::string screenshotFile;
    std::string gamesFolder;  // empty: the games are not written out
    std::string scriptPath;  // "-": standard input
};

enum class Request { Run, Help, Version };

inline constexpr const char* kUsage =
    "usage: nibbly-sim [--seed N] [--settings FILE] [--screenshot FILE] [--games FOLDER] SCRIPT\n"
    "       nibbly-sim --help | -h | --version\n"
    "Runs the game headless on a virtual clock from a script of timed inputs (or a\n"
    "recording of a game) and writes its trace to standard output as JSON Lines.\n"
    "  --seed N           seed of the game's random generator (beats the script's header)\n"
    "  --settings FILE    INI file standing in for the settings store (beats the header)\n"
    "  --screenshot FILE  save the window's image as PNG at the end\n"
    "  --games FOLDER     write each game played as a recording of its own, as the game does\n"
    "  SCRIPT             the script, or - for standard input\n";

// Fills result and returns an empty string, or returns the one-line reason for refusing.
std::string ParseArguments(int argc, char** argv, Options& result, Request& request);

}  // namespace sim
