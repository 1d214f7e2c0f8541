#pragma once
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace replay {

enum class Command { Hold, Tap, Key, Click, Answer, Blur, End };

struct ScriptLine {
    int number = 0;  // in the file, from 1
    std::int64_t time = 0;
    Command command = Command::End;
    std::string argument;
    std::string text;  // as traced: without its line break and surrounding blanks
    // The text past the time: what a recording writes after a time of its own.
    std::string Untimed() const {
        const std::size_t blank = text.find_first_of(" \t");
        return text.substr(text.find_first_not_of(" \t", blank));
    }
};

// What a recording's header lines (comments of a fixed form) say about its start.
struct Header {
    std::optional<std::uint32_t> seed;
    std::optional<std::pair<int, int>> screen;                  // pixels
    std::vector<std::pair<std::string, std::string>> settings;  // [SetLog] keys and values
    // Where one game of a run began (flow/gamestart.h).
    std::optional<std::uint64_t> draws;
    std::optional<std::int16_t> speed;
    std::optional<bool> defaultMode;
    std::optional<int> players;
    std::optional<std::pair<std::string, std::string>> arrows;  // held, latched; "" for none
    std::vector<std::pair<std::string, std::vector<std::int32_t>>> state;
    std::optional<std::string> version;  // of the program that wrote it
};

// Far more than hours of play; what is longer is refused unread, being no recording.
constexpr std::size_t kMaxScriptBytes = std::size_t{64} << 20;

// Reads a script one line at a time, checking each as it comes, so memory stays that of one
// line however long the script is; past kMaxScriptBytes, or at a read error, it stops with an
// error. A byte-order mark before the first line is skipped.
class ScriptReader {
  public:
    explicit ScriptReader(std::istream& in) : in_(in) {}

    // The next command, past blank lines and comments. False at the end of the script and at
    // the first bad line, which Error() then names.
    bool Next(ScriptLine& line);
    // Empty at a clean end.
    const std::string& Error() const { return error_; }
    // The header lines read so far.
    const replay::Header& Header() const { return header_; }

  private:
    std::istream& in_;
    bool NextLine(ScriptLine& line);
    bool ReadLine(bool& cut);

    std::string raw_;
    std::size_t bytes_ = 0;
    int number_ = 0;
    std::int64_t lastTime_ = 0;
    std::string error_;
    replay::Header header_;
};

// Checks a whole script, then rewinds it to be read again: the first error, else empty. The
// header and the time a run ends at when the script has no `end` come with it.
std::string CheckScript(std::istream& in, std::int64_t& endTime, replay::Header& header);

}  // namespace replay
