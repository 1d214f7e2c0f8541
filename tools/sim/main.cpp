#include <QApplication>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "script.h"
#include "simulator.h"

int main(int argc, char** argv) {
    sim::Options options;
    std::vector<sim::ScriptLine> script;
    std::string error = sim::ParseArguments(argc, argv, options);
    if (error.empty()) {
        const bool fromStdin = options.scriptPath == "-";
        std::ifstream file;
        if (!fromStdin) file.open(options.scriptPath, std::ios::binary);
        if (!fromStdin && !file) {
            error = "cannot read the script";
        } else {
            error = sim::ParseScript(fromStdin ? std::cin : file, script);
        }
        if (!error.empty()) error = options.scriptPath + ": " + error;
    }
    // Nothing runs unless the whole command line and script are good.
    if (!error.empty()) {
        std::fprintf(stderr, "nibbly-sim: %s\n", error.c_str());
        return 2;
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt sees none of our arguments, so a script named like one of its options stays ours.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    return sim::Run(options, script);
}
