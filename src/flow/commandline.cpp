#include "flow/commandline.h"

#include <string_view>

#include "platform/files.h"

const char* const kGameUsage =
    "usage: nibbly [--record FILE | --replay FILE] [--trace FILE] [--frame-stats FILE]\n"
    "       nibbly --help | --version\n"
    "Every game is recorded: the last 20 recordings and the best score's are kept in\n"
    "$XDG_DATA_HOME/Nibbly/replays (by default ~/.local/share/Nibbly/replays).\n"
    "  --record FILE       write this run's recording to FILE instead\n"
    "  --replay FILE       watch a recording at real speed; Esc or closing the window ends it\n"
    "  --trace FILE        write the game's trace to FILE, as nibbly-sim writes it\n"
    "  --frame-stats FILE  write a frame-pacing record for the benchmark\n"
    "Keys: arrows steer, I inserts a coin, 1 / 2 start a game, E and S switch the look and\n"
    "the speed, P pauses (a controller's Start too), M mutes, Esc abandons, F1 opens the help.\n";

std::string ParseGameArguments(int argc, char** argv, GameOptions& options, GameRequest& request) {
    options = {};
    request = GameRequest::Run;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
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
