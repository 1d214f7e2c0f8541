#pragma once
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace sim {

enum class Command { Hold, Tap, Key, Click, Answer, End };

struct ScriptLine {
    int number = 0;  // in the file, from 1
    std::int64_t time = 0;
    Command command = Command::End;
    std::string argument;
    std::string text;  // as traced: without its line break and surrounding blanks
};

struct Options {
    std::optional<std::uint32_t> seed;
    std::string settingsFile;  // empty: a memory store
    std::string screenshotFile;
    std::string scriptPath;  // "-": standard input
};

// Both fill result and return an empty string, or return the one-line reason for refusing.
std::string ParseArguments(int argc, char** argv, Options& result);
std::string ParseScript(std::istream& in, std::vector<ScriptLine>& result);

}  // namespace sim
