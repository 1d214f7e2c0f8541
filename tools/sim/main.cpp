#include <QApplication>
#include <cstdio>
#include <fstream>
#include <new>

#include "flow/script.h"
#include "options.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "simulator.h"

namespace {

int Main(int argc, char** argv) {
    sim::Options options;
    sim::Request request = sim::Request::Run;
    std::ifstream script;
    std::int64_t endTime = 1;
    replay::Header header;
    const std::string usageError = sim::ParseArguments(argc, argv, options, request);
    if (!usageError.empty()) {
        std::fprintf(stderr, "nibbly-sim: %s\n%s", usageError.c_str(), sim::kUsage);
        return 2;
    }
    if (request != sim::Request::Run) {
        std::fputs(request == sim::Request::Help ? sim::kUsage : "nibbly-sim " NIBBLY_VERSION "\n",
                   stdout);
        return 0;
    }
    std::string error = plat::OpenToReadTwice(options.scriptPath, replay::kMaxScriptBytes, script);
    if (error.empty()) error = replay::CheckScript(script, endTime, header);
    // Nothing runs unless the whole command line and script are good.
    if (!error.empty()) {
        std::fprintf(stderr, "nibbly-sim: %s: %s\n", options.scriptPath.c_str(), error.c_str());
        return 2;
    }
    if (!options.settingsFile.empty()) {
        if (plat::SameFile(options.settingsFile, plat::InputFile(options.scriptPath))) {
            error = "is the script, which is never written over";
        } else {
            error = plat::CheckSettingsFile(options.settingsFile);
        }
        if (!error.empty()) {
            std::fprintf(stderr, "nibbly-sim: --settings %s: %s\n", options.settingsFile.c_str(),
                         error.c_str());
            return 2;
        }
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt sees none of our arguments, so a script named like one of its options stays ours.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    return sim::Run(options, header, script, endTime);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "nibbly-sim: out of memory\n");
        return 2;
    }
}
