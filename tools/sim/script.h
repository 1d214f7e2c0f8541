#pragma once
#include <cstdint>
#include <istream>
#include <optional>
#include <string>

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

// Fills result and returns an empty string, or returns the one-line reason for refusing.
std::string ParseArguments(int argc, char** argv, Options& result);

// Reads a script one line at a time, checking each as it comes, so memory stays that of one
// line however long the script is.
class ScriptReader {
  public:
    explicit ScriptReader(std::istream& in) : in_(in) {}

    // The next command, past blank lines and comments. False at the end of the script and at
    // the first bad line, which Error() then names.
    bool Next(ScriptLine& line);
    // Empty at a clean end.
    const std::string& Error() const { return error_; }

  private:
    std::istream& in_;
    std::string raw_;
    int number_ = 0;
    std::int64_t lastTime_ = 0;
    std::string error_;
};

}  // namespace sim
