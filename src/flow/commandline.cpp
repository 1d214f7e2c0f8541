#include "flow/commandline.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/files.h"

namespace {

// File names are matched in any case here, as the game's data are.
bool IsRecordingName(std::string_view arg) {
    constexpr std::string_view kEnding = ".replay";
    if (arg.size() < kEnding.size()) return false;
    const std::string_view ending = arg.substr(arg.size() - kEnding.size());
    return std::equal(ending.begin(), ending.end(), kEnding.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

}  // namespace

const char* const kGameUsage =
    "usage: nibbly [--record FILE | --replay FILE] [--trace FILE] [--frame-stats FILE]\n"
    "       nibbly [--trace FILE] [--frame-stats FILE] [--] FILE.replay\n"
    "       nibbly --help | --version\n"
    "Every game is its own recording (2026-12-09_14-15-28_1P_speed1_4560.replay: date, time,\n"
    "players, speed, score); the newest 20 and the 5 best scores are kept in\n"
    "$XDG_DATA_HOME/Nibbly/replays (by default ~/.local/share/Nibbly/replays).\n"
    "  --record FILE       write this run's recording to FILE instead\n"
    "  --replay FILE       watch a recording; FILE.replay alone does the same\n"
    "  --trace FILE        write the game's trace to FILE, as nibbly-sim writes it\n"
    "  --frame-stats FILE  write a frame-pacing record for the benchmark\n"
    "Keys: arrows steer, I inserts a coin, 1 / 2 start a game, E and S switch the look and\n"
    "the speed, P pauses (a controller's Start too), M mutes, F11 fills the screen, Esc\n"
    "abandons, F1 opens the help.\n"
    "Watching: Space pauses, Right / Left jump 5 s, PgDn / PgUp 30 s, Home / End go to the\n"
    "start / the last second, Up / Down step the speed (1/4x to 16x), Esc ends it.\n";

std::string ParseGameArguments(int argc, char** argv, GameOptions& options, GameRequest& request) {
    options = {};
    request = GameRequest::Run;
    std::string named;  // a recording given by its name alone
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !arg.starts_with('-')) {
            if (!IsRecordingName(arg)) return "unknown argument '" + std::string(arg) + "'";
            if (!named.empty())
                return "one recording at a time: " + named + ", " + std::string(arg);
            named = arg;
            continue;
        }
        if (arg == "--help" || arg == "--version") {
            request = arg == "--help" ? GameRequest::Help : GameRequest::Version;
            return {};
        }
        std::string* value = arg == "--trace"         ? &options.trace
                             : arg == "--record"      ? &options.record
                             : arg == "--replay"      ? &options.replay
                             : arg == "--frame-stats" ? &options.frameStats
                                                      : nullptr;
        if (!value) return "unknown argument '" + std::string(arg) + "'";
        if (i + 1 >= argc || argv[i + 1][0] == '\0' || !value->empty()) {
            return std::string(arg) + " needs one file";
        }
        *value = argv[++i];
    }
    if (!named.empty()) {
        if (!options.replay.empty()) {
            return "one recording at a time: --replay " + options.replay + ", " + named;
        }
        if (!options.record.empty())
            return "--record and watching " + named + " exclude each other";
        options.replay = named;
    }
    if (!options.record.empty() && !options.replay.empty()) {
        return "--record and --replay exclude each other";
    }
    return {};
}

std::string CheckGameFiles(const GameOptions& options, const std::string& settingsFile) {
    const std::string replay = plat::InputFile(options.replay);
    // The outputs first.
    constexpr std::size_t kOutputs = 3;
    const struct {
        const char* what;
        const std::string* path;
    } files[] = {{"--record", &options.record},
                 {"--trace", &options.trace},
                 {"--frame-stats", &options.frameStats},
                 {"--replay", &replay},
                 {"the settings file", &settingsFile}};
    for (std::size_t i = 0; i < kOutputs; ++i) {
        for (std::size_t j = i + 1; j < std::size(files); ++j) {
            const std::string& output = *files[i].path;
            const std::string& other = *files[j].path;
            if (!output.empty() && !other.empty() && plat::SameFile(output, other)) {
                return std::string(files[i].what) + " " + output + " is also " + files[j].what +
                       " " + other + ", which it would write over";
            }
        }
    }
    return {};
}
