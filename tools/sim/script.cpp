#include "script.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace sim {

namespace {

constexpr std::int64_t kMaxTime = 1'000'000'000'000'000;

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
        if (std::string_view("UDLR").find(key) == std::string_view::npos) return false;
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

const std::array<CommandSpec, 6> kCommands = {{
    {"hold", Command::Hold, ValidHold},
    {"tap", Command::Tap,
     [](std::string_view a) {
         return OneOf(a, {"U", "D", "L", "R"});
     }},
    {"key", Command::Key,
     [](std::string_view a) {
         return OneOf(a, {"Escape", "E", "S", "I", "1", "2", "KP1", "KP2", "F1"});
     }},
    {"click", Command::Click,
     [](std::string_view a) {
         return OneOf(a, {"XPButton1", "XPButton2", "XPButton3", "XPButton4", "XPButton5",
                          "XPButton6", "XPButton7", "XPButton8", "Option1(0)", "Option1(1)"});
     }},
    {"answer", Command::Answer,
     [](std::string_view a) {
         return OneOf(a, {"yes", "no", "cancel", "ok"});
     }},
    {"end", Command::End, nullptr},
}};

std::string ParseLine(std::string_view text, ScriptLine& line) {
    const std::vector<std::string_view> fields = Fields(text);
    if (!ParseDecimal(fields[0], line.time)) {
        return "time '" + std::string(fields[0]) + "' is not a whole number of milliseconds";
    }
    // Far beyond any run, and keeps every later sum of times clear of overflow.
    if (line.time > kMaxTime) return "time " + std::string(fields[0]) + " is too large";
    if (fields.size() < 2) return "command missing";
    const auto entry = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const CommandSpec& s) { return s.name == fields[1]; });
    if (entry == kCommands.end()) return "unknown command '" + std::string(fields[1]) + "'";
    line.command = entry->command;
    if (!entry->valid) {
        if (fields.size() > 2) return "'" + std::string(entry->name) + "' takes no argument";
        return {};
    }
    if (fields.size() < 3) return "'" + std::string(entry->name) + "' needs an argument";
    if (fields.size() > 3) return "unexpected text after the argument";
    if (!entry->valid(fields[2])) {
        return "bad argument '" + std::string(fields[2]) + "' for '" + std::string(entry->name) +
               "'";
    }
    line.argument = std::string(fields[2]);
    return {};
}

}  // namespace

std::string ParseArguments(int argc, char** argv, Options& result) {
    result = {};
    bool haveScript = false;
    bool haveSettings = false;
    bool haveScreenshot = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool option = arg == "--seed" || arg == "--settings" || arg == "--screenshot";
        if (option) {
            if (i + 1 >= argc) return std::string(arg) + " needs a value";
            const std::string_view value = argv[++i];
            if (arg == "--seed") {
                std::uint32_t seed = 0;
                if (result.seed || !ParseDecimal(value, seed)) {
                    return "--seed needs one unsigned 32-bit number";
                }
                result.seed = seed;
            } else if (arg == "--settings") {
                if (haveSettings || value.empty()) return "--settings needs one file";
                haveSettings = true;
                result.settingsFile = value;
            } else {
                if (haveScreenshot || value.empty()) return "--screenshot needs one file";
                haveScreenshot = true;
                result.screenshotFile = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + std::string(arg) + "'";
        } else if (haveScript || arg.empty()) {
            return "one script expected";
        } else {
            haveScript = true;
            result.scriptPath = arg;
        }
    }
    if (!haveScript) {
        return "usage: nibbly-sim [--seed N] [--settings FILE] [--screenshot FILE] SCRIPT";
    }
    return {};
}

bool ScriptReader::Next(ScriptLine& line) {
    std::streambuf& source = *in_.rdbuf();
    while (error_.empty()) {
        // A command line is short; only a comment may be longer than this.
        constexpr std::size_t kLongest = 4096;
        raw_.clear();
        bool cut = false;
        int c = source.sbumpc();
        if (c == std::char_traits<char>::eof()) return false;
        ++number_;
        for (; c != std::char_traits<char>::eof() && c != '\n'; c = source.sbumpc()) {
            if (raw_.size() < kLongest) {
                raw_ += static_cast<char>(c);
            } else {
                cut = true;
            }
        }
        std::string_view text = raw_;
        if (!cut && !text.empty() && text.back() == '\r') text.remove_suffix(1);
        text = plat::Trim(text);
        if (!text.empty() && text.front() == '#') continue;
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

}  // namespace sim
