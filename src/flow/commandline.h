#pragma once
#include <string>

// The window's command line. Paths are kept as the bytes given.
struct GameOptions {
    std::string trace;
    std::string record;
    std::string replay;
    std::string frameStats;
};
enum class GameRequest { Run, Help, Version };
extern const char* const kGameUsage;
// Fills the options and returns an empty string, or returns the one-line reason for refusing.
// A lone FILE.replay is watched, as with --replay, so that a file manager can open one.
std::string ParseGameArguments(int argc, char** argv, GameOptions& options, GameRequest& request);
// The one-line reason when an output would write over an input, another output or the
// stored settings; to be asked before any file is opened.
std::string CheckGameFiles(const GameOptions& options, const std::string& settingsFile);
