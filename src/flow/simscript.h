#pragma once
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim {

enum class Command { Hold, Tap, Key, Click, Answer, Blur, End };

struct ScriptLine {
    int number = 0;  // in the file, from 1
    std::int64_t time = 0;
    Command command = Command::End;
    std::string argument;
    std::string text;  // as traced: without its line break and surrounding blanks
};

// What a recording's header lines (comments of a fixed form) say about its start.
struct Header {
    std::optional<std::uint32_t> seed;
    std::optional<std::pair<int, int>> screen;                // pixels
    std::vector<std::pair<std::string, std::string>> settings;  // [SetLog] keys and values
};

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
    // The header lines read so far.
    const sim::Header& Header() const { return header_; }

  private:
    std::istream& in_;
    std::string raw_;
    int number_ = 0;
    std::int64_t lastTime_ = 0;
    std::string error_;
    sim::Header header_;
};

}  // namespace sim
