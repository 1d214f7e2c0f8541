#include "options.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace sim {

namespace {

bool ParseDecimal(std::string_view text, std::uint32_t& value) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string ParseArguments(int argc, char** argv, Options& result, Request& request) {
    result = {};
    request = Request::Run;
    bool haveScript = false;
    bool haveSettings = false;
    bool haveScreenshot = false;
    bool haveGames = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "--version") {
            request = arg == "--version" ? Request::Version : Request::Help;
            return {};
        }
        const bool option = arg == "--seed" || arg == "--settings" || arg == "--screenshot" || arg == "--games";
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
            } else if (arg == "--games") {
                if (haveGames || value.empty()) return "--games needs one folder";
                haveGames = true;
                result.gamesFolder = value;
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
    if (!haveScript) return "a script is needed";
    return {};
}

}  // namespace sim
