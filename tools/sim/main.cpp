#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <new>

#include "flow/simscript.h"
#include "options.h"
#include "simulator.h"

namespace {

// Copies a stream that cannot be read twice (standard input, a pipe) to a temporary file,
// which stays readable through file after its name is gone.
bool Spool(std::istream& in, std::ifstream& file) {
    const char* folder = std::getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/nibbly-sim-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) return false;
    bool ok = true;
    char buffer[65536];
    while (ok && in) {
        in.read(buffer, sizeof buffer);
        for (std::streamsize done = 0; ok && done < in.gcount();) {
            const ssize_t wrote = write(fd, buffer + done, in.gcount() - done);
            ok = wrote > 0;
            done += wrote;
        }
    }
    ok = ok && !in.bad() && close(fd) == 0;
    if (ok) file.open(name, std::ios::binary);
    unlink(name.c_str());
    return ok && file;
}

// The script as a stream that can be read twice: once to check it, once to run it.
std::string OpenScript(const std::string& path, std::ifstream& file) {
    if (path == "-") return Spool(std::cin, file) ? "" : "cannot read the script";
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return "cannot read the script";
    std::ifstream direct(path, std::ios::binary);
    if (!direct) return "cannot read the script";
    if (S_ISREG(info.st_mode)) {
        file = std::move(direct);
        return {};
    }
    return Spool(direct, file) ? "" : "cannot read the script";
}

// Checks every line; the time the run ends at when the script has no `end`.
std::string CheckScript(std::istream& in, std::int64_t& endTime, sim::Header& header) {
    sim::ScriptReader reader(in);
    sim::ScriptLine line;
    endTime = 1;
    while (reader.Next(line)) endTime = line.time + 1;
    if (!reader.Error().empty()) return reader.Error();
    header = reader.Header();
    if (in.bad()) return "cannot read the script";
    in.clear();
    in.seekg(0);
    return in ? "" : "cannot read the script";
}

int Main(int argc, char** argv) {
    sim::Options options;
    sim::Request request = sim::Request::Run;
    std::ifstream script;
    std::int64_t endTime = 1;
    sim::Header header;
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
    std::string error = OpenScript(options.scriptPath, script);
    if (error.empty()) error = CheckScript(script, endTime, header);
    // Nothing runs unless the whole command line and script are good.
    if (!error.empty()) {
        std::fprintf(stderr, "nibbly-sim: %s: %s\n", options.scriptPath.c_str(), error.c_str());
        return 2;
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
