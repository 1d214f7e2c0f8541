#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "flow/commandline.h"

namespace {

// What the window would do with these arguments: the refusal, or the request and the options
// set.
std::string Outcome(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "nibbly");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    // Left from an earlier parse: none of it may show through.
    GameOptions options{"old", "old", "old", "old"};
    GameRequest request = GameRequest::Version;
    const std::string error =
        ParseGameArguments(static_cast<int>(argv.size()), argv.data(), options, request);
    if (!error.empty()) return error;
    if (request != GameRequest::Run) return request == GameRequest::Help ? "help" : "version";
    std::string run = "run";
    for (const auto& [name, value] : {std::pair{" record=", &options.record},
                                      {" replay=", &options.replay},
                                      {" trace=", &options.trace},
                                      {" frame-stats=", &options.frameStats}}) {
        if (!value->empty()) run += name + *value;
    }
    return run;
}

TEST(CommandLine, ArgumentsGiveTheOptionsOrTheReasonForRefusing) {
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        const char* outcome;
    } rows[] = {
        {"nothing", {}, "run"},
        {"every-output",
         {"--frame-stats", "f", "--trace", "t", "--record", "r"},
         "run record=r trace=t frame-stats=f"},
        {"replay", {"--replay", "a.replay", "--trace", "t"}, "run replay=a.replay trace=t"},
        {"replay-standard-input", {"--replay", "-"}, "run replay=-"},
        {"help-before-anything-else", {"--help", "--bogus"}, "help"},
        {"version", {"a.replay", "--version"}, "version"},
        // A file manager opening a recording.
        {"recording-by-name", {"/home/p/game.replay"}, "run replay=/home/p/game.replay"},
        {"recording-by-name-any-case", {"Game.RePlay"}, "run replay=Game.RePlay"},
        {"recording-by-name-and-outputs",
         {"a.replay", "--trace", "t", "--frame-stats", "f"},
         "run replay=a.replay trace=t frame-stats=f"},
        {"recording-after-double-dash",
         {"--trace", "t", "--", "a.replay"},
         "run replay=a.replay trace=t"},
        {"dashed-recording-after-double-dash", {"--", "-x.replay"}, "run replay=-x.replay"},
        {"dashed-recording-without-double-dash", {"-x.replay"}, "unknown argument '-x.replay'"},
        {"option-after-double-dash", {"a.replay", "--", "--help"}, "unknown argument '--help'"},
        {"name-not-a-recording", {"game.txt"}, "unknown argument 'game.txt'"},
        {"recording-ending-inside-the-name", {"a.replay.bak"}, "unknown argument 'a.replay.bak'"},
        {"shorter-than-the-ending", {"replay"}, "unknown argument 'replay'"},
        {"empty", {""}, "unknown argument ''"},
        {"unknown-option", {"--bogus", "--help"}, "unknown argument '--bogus'"},
        {"option-without-file", {"--trace"}, "--trace needs one file"},
        {"option-with-empty-file", {"--record", "", "a.replay"}, "--record needs one file"},
        {"option-twice", {"--trace", "a", "--trace", "b"}, "--trace needs one file"},
        {"record-and-replay",
         {"--record", "r", "--replay", "a.replay"},
         "--record and --replay exclude each other"},
        {"record-and-recording-by-name",
         {"--record", "r", "a.replay"},
         "--record and watching a.replay exclude each other"},
        {"replay-and-recording-by-name",
         {"a.replay", "--replay", "b.replay"},
         "one recording at a time: --replay b.replay, a.replay"},
        {"two-recordings-by-name",
         {"a.replay", "b.replay"},
         "one recording at a time: a.replay, b.replay"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Outcome(row.arguments), row.outcome) << row.name;
    }
}

}  // namespace
