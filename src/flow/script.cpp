#include "flow/script.h"

#include <algorithm>
#include <array>
#include <ios>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "flow/scriptwords.h"
#include "platform/text.h"

namespace replay {

namespace {

// A command line is short; only a comment may be longer than this.
constexpr std::size_t kLongest = 4096;
// Some editors begin a UTF-8 file with one.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsComment(std::string_view text) {
    text = plat::Trim(text);
    return !text.empty() && text.front() == '#';
}

// About 11.6 days: far beyond any game, and a run to it still ends in minutes.
constexpr std::int64_t kMaxTime = 1'000'000'000;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) ++i;
        if (i > start) fields.push_back(text.substr(start, i - start));
    }
    return fields;
}

template <typename Number>
bool ParseDecimal(std::string_view text, Number& value) {
    const std::optional<std::uint64_t> digits = plat::ParseDigits(text);
    if (!digits || std::cmp_greater(*digits, std::numeric_limits<Number>::max())) return false;
    value = static_cast<Number>(*digits);
    return true;
}

bool OneOf(std::string_view text, std::initializer_list<std::string_view> allowed) {
    return std::find(allowed.begin(), allowed.end(), text) != allowed.end();
}

bool ValidHold(std::string_view keys) {
    if (keys == "-") return true;
    if (keys.empty()) return false;
    for (const char key : keys) {
        if (std::none_of(kArrows.begin(), kArrows.end(),
                         [&](const Arrow& arrow) { return arrow.letter == key; }))
            return false;
        // Each key at most once: a set of held keys, not a sequence.
        if (std::count(keys.begin(), keys.end(), key) > 1) return false;
    }
    return true;
}

struct CommandSpec {
    std::string_view name;
    Command command;
    bool (*valid)(std::string_view);
};

const std::array<CommandSpec, 7> kCommands = {{
    {"hold", Command::Hold, ValidHold},
    {"tap", Command::Tap,
     [](std::string_view a) {
         return a.size() == 1 && std::any_of(kArrows.begin(), kArrows.end(),
                                             [&](const Arrow& arrow) { return arrow.letter == a[0]; });
     }},
    {"key", Command::Key, [](std::string_view a) { return FindKey(a) != nullptr; }},
    {"click", Command::Click, [](std::string_view a) { return FindControl(a) != nullptr; }},
    {"answer", Command::Answer, [](std::string_view a) { return FindAnswer(a) != nullptr; }},
    {"blur", Command::Blur, nullptr},
    {"end", Command::End, nullptr},
}};

std::string ParseLine(std::string_view text, ScriptLine& line) {
    const std::vector<std::string_view> fields = Fields(text);
    if (!ParseDecimal(fields[0], line.time)) {
        return "time '" + std::string(fields[0]) + "' is not a whole number of milliseconds";
    }
    if (line.time > kMaxTime)
        return "time " + std::string(fields[0]) + " is beyond the last allowed, " +
               std::to_string(kMaxTime);
    if (fields.size() < 2) return "command missing";
    const auto entry = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const CommandSpec& s) { return s.name == fields[1]; });
    if (entry == kCommands.end()) return "unknown command '" + std::string(fields[1]) + "'";
    line.command = entry->command;
    const std::string name(entry->name);
    if (!entry->valid) {
        if (fields.size() > 2) return "'" + name + "' takes no argument";
        return {};
    }
    if (fields.size() < 3) return "'" + name + "' needs an argument";
    if (fields.size() > 3) return "unexpected text after the argument";
    if (!entry->valid(fields[2])) {
        return "bad argument '" + std::string(fields[2]) + "' for '" + name + "'";
    }
    line.argument = std::string(fields[2]);
    return {};
}

// A comment of the form "# seed N", "# screen W H" or "# setting KEY VALUE" fills the header,
// and after a recording's first line "# nibbly VERSION recording" so do the lines of where its
// game began; one that starts like them but reads otherwise is refused. Other comments are
// free text.
std::string ParseHeader(std::string_view text, Header& header) {
    const std::vector<std::string_view> fields = Fields(text.substr(1));
    if (fields.empty()) return {};
    if (fields[0] == "seed") {
        std::uint32_t seed = 0;
        if (fields.size() != 2 || !ParseDecimal(fields[1], seed)) {
            return "the seed needs one unsigned 32-bit number";
        }
        header.seed = seed;
    } else if (fields[0] == "screen") {
        int width = 0;
        int height = 0;
        if (fields.size() != 3 || !ParseDecimal(fields[1], width) ||
            !ParseDecimal(fields[2], height) || width < 1 || height < 1 || width > 65535 ||
            height > 65535) {
            return "the screen needs a width and a height in pixels";
        }
        header.screen = std::make_pair(width, height);
    } else if (fields[0] == "setting") {
        if (fields.size() != 3) return "a setting needs a key and a value";
        header.settings.emplace_back(fields[1], fields[2]);
    } else if (fields[0] == "nibbly" && fields.size() == 3 && fields[2] == "recording") {
        header.version = std::string(fields[1]);
    } else if (!header.version) {
        // What follows is a recording's own: in a script written by hand, free text.
    } else if (fields[0] == "draws") {
        std::uint64_t draws = 0;
        if (fields.size() != 2 || !ParseDecimal(fields[1], draws)) {
            return "the draws need one whole number";
        }
        header.draws = draws;
    } else if (fields[0] == "speed") {
        if (fields.size() != 2 || !OneOf(fields[1], {"1", "2", "4"})) {
            return "the speed is 1, 2 or 4";
        }
        header.speed = static_cast<std::int16_t>(fields[1][0] - '0');
    } else if (fields[0] == "look") {
        if (fields.size() != 2 || !OneOf(fields[1], {"default", "original"})) {
            return "the look is default or original";
        }
        header.defaultMode = fields[1] == "default";
    } else if (fields[0] == "players") {
        if (fields.size() != 2 || !OneOf(fields[1], {"1", "2"})) return "the players are 1 or 2";
        header.players = fields[1][0] - '0';
    } else if (fields[0] == "arrows") {
        if (fields.size() != 3 || !ValidHold(fields[1]) || !ValidHold(fields[2])) {
            return "the arrows need the held and the latched letters, each - for none";
        }
        const auto letters = [](std::string_view keys) {
            return keys == "-" ? std::string() : std::string(keys);
        };
        header.arrows = std::make_pair(letters(fields[1]), letters(fields[2]));
    } else if (fields[0] == "state") {
        std::vector<std::int32_t> values;
        for (std::size_t i = 2; i < fields.size(); ++i) {
            std::string_view text = fields[i];
            const bool negative = text.starts_with('-');
            if (negative) text.remove_prefix(1);
            std::int32_t value = 0;
            if (!ParseDecimal(text, value)) return "a state value must be a whole number";
            values.push_back(negative ? -value : value);
        }
        const StateWord* word = fields.size() < 2 ? nullptr : FindState(fields[1]);
        if (!word || word->fields != values.size()) {
            return "a state line needs a known record and each of its fields";
        }
        header.state.emplace_back(fields[1], std::move(values));
    }
    return {};
}

}  // namespace

bool ScriptReader::Next(ScriptLine& line) {
    try {
        return NextLine(line);
    } catch (const std::ios_base::failure& failure) {
        // A file stream's buffer throws on a read error, whatever the stream's mask.
        error_ = "cannot be read: " + failure.code().message();
        return false;
    }
}

// One line without its break into raw_, at most kLongest bytes of it; cut tells there were more.
// False at the end of the input and at the size limit, which sets the error.
bool ScriptReader::ReadLine(bool& cut) {
    std::streambuf& source = *in_.rdbuf();
    raw_.clear();
    cut = false;
    int c = source.sbumpc();
    if (c == std::char_traits<char>::eof()) return false;
    ++number_;
    for (; c != std::char_traits<char>::eof(); c = source.sbumpc()) {
        if (++bytes_ > kMaxScriptBytes) {
            error_ = "is longer than " + std::to_string(kMaxScriptBytes) + " bytes";
            return false;
        }
        if (c == '\n') break;
        if (raw_.size() < kLongest) {
            raw_ += static_cast<char>(c);
            if (bytes_ == kByteOrderMark.size() && raw_ == kByteOrderMark) raw_.clear();
        } else if (!cut) {
            cut = true;
            // Only a comment may go on; anything else is refused without waiting for an end
            // that may never come.
            if (!IsComment(raw_)) return true;
        }
    }
    return true;
}

bool ScriptReader::NextLine(ScriptLine& line) {
    bool cut = false;
    while (error_.empty() && ReadLine(cut)) {
        std::string_view text = raw_;
        if (!cut && !text.empty() && text.back() == '\r') text.remove_suffix(1);
        text = plat::Trim(text);
        if (!cut && IsComment(text)) {
            const std::string error = ParseHeader(text, header_);
            if (error.empty()) continue;
            error_ = "line " + std::to_string(number_) + ": " + error;
            return false;
        }
        if (IsComment(text)) continue;
        if (cut) {
            error_ = "line " + std::to_string(number_) + ": longer than " +
                     std::to_string(kLongest) + " characters";
            return false;
        }
        if (text.empty()) continue;
        line = ScriptLine();
        line.number = number_;
        line.text = text;
        std::string error = ParseLine(text, line);
        if (error.empty() && line.time < lastTime_) {
            error = "time " + std::to_string(line.time) + " is before the previous line's " +
                    std::to_string(lastTime_);
        }
        if (!error.empty()) {
            error_ = "line " + std::to_string(number_) + ": " + error;
            return false;
        }
        lastTime_ = line.time;
        return true;
    }
    return false;
}

std::string CheckScript(std::istream& in, std::int64_t& endTime, replay::Header& header) {
    ScriptReader reader(in);
    ScriptLine line;
    endTime = 1;
    while (reader.Next(line)) endTime = line.time + 1;
    if (!reader.Error().empty()) return reader.Error();
    header = reader.Header();
    in.clear();
    in.seekg(0);
    return in ? "" : "cannot be read again";
}

}  // namespace replay
