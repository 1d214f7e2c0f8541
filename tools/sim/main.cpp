#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>

#include "flow/simscript.h"
#include "options.h"
#include "platform/settings.h"
#include "simulator.h"

namespace {

// Copies a descriptor that cannot be read twice (standard input, a pipe) to a temporary
// file, which stays readable through file after its name is gone.
bool Spool(int from, std::ifstream& file) {
    const char* folder = std::getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/nibbly-sim-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) return false;
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t wrote = write(fd, buffer + done, got - done);
            ok = wrote > 0;
            done += wrote;
        }
        if (!ok) break;
    }
    ok = close(fd) == 0 && ok;
    if (ok) file.open(name, std::ios::binary);
    unlink(name.c_str());
    return ok && file;
}

// The script as a stream that can be read twice: once to check it, once to run it. A
// directory or a closed standard input is refused rather than read as an empty script.
std::string OpenScript(const std::string& path, std::ifstream& file, struct stat& info) {
    const bool standardInput = path == "-";
    const int fd = standardInput ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = fd >= 0 && fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    if (ok && S_ISREG(info.st_mode) && !standardInput) {
        file.open(path, std::ios::binary);
        ok = bool(file);
    } else if (ok) {
        ok = Spool(fd, file);
    }
    if (!standardInput && fd >= 0) close(fd);
    return ok ? "" : "cannot read the script";
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
    struct stat scriptInfo {};
    std::string error = OpenScript(options.scriptPath, script, scriptInfo);
    if (error.empty()) error = CheckScript(script, endTime, header);
    // Nothing runs unless the whole command line and script are good.
    if (!error.empty()) {
        std::fprintf(stderr, "nibbly-sim: %s: %s\n", options.scriptPath.c_str(), error.c_str());
        return 2;
    }
    if (!options.settingsFile.empty()) {
        struct stat info {};
        if (stat(options.settingsFile.c_str(), &info) == 0 && info.st_dev == scriptInfo.st_dev &&
            info.st_ino == scriptInfo.st_ino) {
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
