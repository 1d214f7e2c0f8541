#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <random>
#include <string>

#include "child_env.h"
#include "flow/controls.h"
#include "flow/startup.h"
#include "game/gamestate.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "platform/singleinstance.h"
#include "platform/timer.h"
#include "platform/windowsys.h"
#include "shell/frmmain.h"

namespace {

QProcess* StartGame(const QProcessEnvironment& env, const QStringList& arguments = {},
                    const std::function<void()>& inChild = {}) {
    auto* game = new QProcess;
    game->setProcessEnvironment(env);
    if (inChild) game->setChildProcessModifier(inChild);
    game->start(NIBBLY_BIN_DIR "/nibbly", arguments);
    return game;
}

// The instance socket in the runtime folder is made once the event loop handles the
// termination signals.
void ReachesTheEventLoop(QProcess& game, const QString& runtime) {
    for (int pass = 0; pass < 1000 && game.state() != QProcess::NotRunning; ++pass) {
        if (!QDir(runtime).entryList({"*.socket"}, QDir::System).isEmpty()) return;
        game.waitForFinished(20);
    }
    FAIL() << "no instance socket; stderr: " << game.readAllStandardError().toStdString();
}

// The signal ends the game as a normal exit with status 0.
void EndsCleanlyOn(QProcess& game, int signal) {
    kill(static_cast<pid_t>(game.processId()), signal);
    const bool finished = game.waitForFinished(20000);
    if (!finished) game.kill();
    ASSERT_TRUE(finished);
    EXPECT_EQ(game.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(game.exitCode(), 0);
}

}  // namespace

TEST(Startup, SecondInstanceBringsTheFirstForwardAndLeaves) {
    // The lock sits beside the settings, whatever TMPDIR says; the runtime folder is shared
    // so that the second start finds this stand-in for a running game.
    QTemporaryDir config, runtime, otherTmp;
    const std::optional<QByteArray> runtimeBefore = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")
                                                        ? std::optional(qgetenv("XDG_RUNTIME_DIR"))
                                                        : std::nullopt;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    plat::SingleInstance running(config.filePath("Nibbly").toStdString(), "Nibbly");
    if (runtimeBefore) {
        qputenv("XDG_RUNTIME_DIR", *runtimeBefore);
    } else {
        qunsetenv("XDG_RUNTIME_DIR");
    }
    ASSERT_EQ(running.Take(), plat::SingleInstance::Claim::Owner);
    int activations = 0;
    ASSERT_TRUE(running.Listen([&](const std::string&) { ++activations; }));

    QProcessEnvironment env = childenv::OwnFolders(config.path());
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("TMPDIR", otherTmp.path());
    std::unique_ptr<QProcess> game(StartGame(env));
    // A first instance would run until closed; the second must be gone without a window.
    const bool finished = game->waitForFinished(20000);
    if (!finished) game->kill();
    ASSERT_TRUE(finished);
    EXPECT_EQ(game->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(game->exitCode(), 0);
    EXPECT_EQ(game->readAllStandardError(), "");
    for (int pass = 0; pass < 10 && activations == 0; ++pass) QCoreApplication::processEvents();
    EXPECT_EQ(activations, 1);
}

// The sound device and the controllers open from there: work that never ran would leave the
// game silent, work run before the window has painted would hold up its start.
TEST(Startup, FirstFrameWorkRunsOnceAfterTheFirstRepaint) {
    struct Window : QWidget {
        bool painted = false;
        void paintEvent(QPaintEvent*) override { painted = true; }
    } window;
    int runs = 0;
    bool paintedBefore = false;
    plat::AfterFirstFrame(window, [&] {
        ++runs;
        paintedBefore = window.painted;
    });
    const auto settle = [] {
        for (int pass = 0; pass < 10; ++pass) QCoreApplication::processEvents();
    };
    settle();
    EXPECT_EQ(runs, 0) << "ran before the window was shown";
    window.show();
    settle();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(paintedBefore);
    window.update();
    settle();
    EXPECT_EQ(runs, 1);
}

TEST(Startup, SettingsFolderThatCannotHoldALockStillStarts) {
    QTemporaryDir config;
    QFile blocker(config.filePath("Nibbly"));  // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    std::unique_ptr<QProcess> game(StartGame(childenv::OwnFolders(config.path())));
    game->setReadChannel(QProcess::StandardError);
    // The warning comes before the window; the game then runs until it is closed.
    QByteArray error;
    while (!error.contains('\n') && game->waitForReadyRead(20000))
        error += game->readAllStandardError();
    EXPECT_TRUE(error.contains("nibbly: cannot lock ")) << error.toStdString();
    EXPECT_TRUE(error.contains("running unguarded")) << error.toStdString();
    EXPECT_EQ(game->state(), QProcess::Running);
    game->kill();
    game->waitForFinished(20000);
}

TEST(Startup, TerminationSignalsStoreTheSettingsAndEndCleanly) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        QTemporaryDir tmp;
        const QProcessEnvironment env = childenv::OwnFolders(tmp.path());
        std::unique_ptr<QProcess> game(StartGame(env));
        ASSERT_NO_FATAL_FAILURE(ReachesTheEventLoop(*game, env.value("XDG_RUNTIME_DIR")));
        // A closed pipe (a launcher gone) and signals the game has no use for change nothing.
        for (const int unused : {SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM})
            kill(static_cast<pid_t>(game->processId()), unused);

        ASSERT_NO_FATAL_FAILURE(EndsCleanlyOn(*game, signal));
        QFile stored(tmp.path() + "/Nibbly/Nibbly.ini");
        ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
        const QByteArray text = stored.readAll();
        for (const char* key : {"frmMainX=", "frmMainY=", "GameCoins=9", "GameHiScore=1000"}) {
            EXPECT_TRUE(text.contains(key)) << key << " in " << text.toStdString();
        }
    }
}

TEST(Startup, NoDisplayIsAMessageNotACrash) {
    QTemporaryDir tmp;
    QProcessEnvironment env = childenv::OwnFolders(tmp.path());
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    std::unique_ptr<QProcess> game(StartGame(env));
    ASSERT_TRUE(game->waitForFinished(20000));
    EXPECT_EQ(game->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(game->exitCode(), 1);
    EXPECT_TRUE(game->readAllStandardError().contains("nibbly: cannot open a window"));
}

// Recordings are handed around: one that cannot be read, or never ends, is a message before
// any window, not a crash or a hang.
TEST(Startup, RecordingThatCannotBePlayedIsRefusedBeforeTheWindow) {
    QTemporaryDir tmp;
    QProcessEnvironment env = childenv::OwnFolders(tmp.path());
    env.insert("TMPDIR", tmp.path());
    for (const QString& path :
         {tmp.path(), QStringLiteral("/proc/self/mem"), QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(path.toStdString());
        // Were it copied without bound, the file-size limit stops it before the disk is full.
        QProcess game;
        game.setProcessEnvironment(env);
        game.start("/bin/sh", {"-c", R"(ulimit -f 131072; exec "$0" --replay "$1")",
                               NIBBLY_BIN_DIR "/nibbly", path});
        const bool finished = game.waitForFinished(60000);
        if (!finished) game.kill();
        ASSERT_TRUE(finished);
        EXPECT_EQ(game.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(game.exitCode(), 2);
        EXPECT_TRUE(game.readAllStandardError().contains(("nibbly: " + path + ": ").toUtf8()));
    }
}

// As with many descriptors inherited: the plugin, then the pictures, then the settings' save
// would fail for want of one, the first blamed on the desktop.
TEST(Startup, TooFewDescriptorsIsSaidBeforeAnythingFails) {
    QTemporaryDir tmp;
    std::unique_ptr<QProcess> game(StartGame(childenv::OwnFolders(tmp.path()), {}, [] {
        const rlimit descriptors{20, 20};
        setrlimit(RLIMIT_NOFILE, &descriptors);
    }));
    const bool finished = game->waitForFinished(20000);
    if (!finished) game->kill();
    ASSERT_TRUE(finished);
    EXPECT_EQ(game->exitCode(), 1);
    const QByteArray error = game->readAllStandardError();
    EXPECT_TRUE(error.contains("nibbly: too many files open: ")) << error.toStdString();
    EXPECT_TRUE(error.contains(" of the 20 this process may have")) << error.toStdString();
}

// A display server that takes the connection and never answers holds up the start.
TEST(Startup, TerminationSignalBeforeTheEventLoopEndsTheStartAtOnce) {
    // Where the window system's library looks first, in the abstract namespace: no file.
    const int server = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ASSERT_GE(server, 0);
    int display = 4100 + getpid() % 800;
    for (;; ++display) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string name = "/tmp/.X11-unix/X" + std::to_string(display);
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        if (bind(server, reinterpret_cast<const sockaddr*>(&address), size) == 0) break;
        ASSERT_EQ(errno, EADDRINUSE);
    }
    ASSERT_EQ(listen(server, 4), 0);
    QTemporaryDir tmp;
    QProcessEnvironment env = childenv::OwnFolders(tmp.path());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", ":" + QString::number(display));
    env.remove("WAYLAND_DISPLAY");
    std::unique_ptr<QProcess> game(StartGame(env));
    int connection = -1;
    for (int pass = 0; pass < 1000 && connection < 0 && game->state() != QProcess::NotRunning;
         ++pass) {
        game->waitForFinished(20);
        connection = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
    }
    ASSERT_GE(connection, 0) << game->readAllStandardError().toStdString();

    kill(static_cast<pid_t>(game->processId()), SIGTERM);
    const bool finished = game->waitForFinished(20000);
    if (!finished) game->kill();
    EXPECT_TRUE(finished);
    EXPECT_EQ(game->exitStatus(), QProcess::CrashExit);
    close(connection);
    close(server);
}

// A file that is no library, found first on the library path: SDL as broken as it can be.
TEST(Startup, WithoutSdlTheGamePlaysSilentlyAfterOneMessage) {
    QTemporaryDir tmp;
    QFile junk(tmp.filePath("libSDL2-2.0.so.0"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("junk");
    junk.close();
    QProcessEnvironment env = childenv::OwnFolders(tmp.path());
    env.insert("LD_LIBRARY_PATH", tmp.path());
    std::unique_ptr<QProcess> game(StartGame(env));
    game->setReadChannel(QProcess::StandardError);
    QByteArray error;
    const auto told = [&error] {
        const qsizetype at = error.indexOf("nibbly: ");
        return at >= 0 && error.indexOf('\n', at) > at;
    };
    while (!told() && game->waitForReadyRead(20000)) error += game->readAllStandardError();
    // The sounds are loaded, sound and controllers started before the signal is seen.
    ASSERT_EQ(game->state(), QProcess::Running) << error.toStdString();
    ASSERT_NO_FATAL_FAILURE(EndsCleanlyOn(*game, SIGTERM));
    error += game->readAllStandardError();
    EXPECT_TRUE(error.contains("nibbly: playing without sound or game controllers: " +
                               tmp.filePath("libSDL2-2.0.so.0").toUtf8()))
        << error.toStdString();
    EXPECT_EQ(error.count("nibbly: "), 1) << error.toStdString();
}

// Each is refused with a message before it blocks the start or loses what a file held.
TEST(Startup, OutputsThatWouldBlockOrWriteOverAFileAreRefused) {
    const struct {
        const char* name;
        QStringList arguments;  // in the child's home
        const char* said;
    } rows[] = {
        {"trace-a-fifo", {"--trace", "fifo"}, "cannot write the trace fifo: not a regular file"},
        {"frame-stats-a-fifo", {"--frame-stats", "fifo"}, "fifo: not a regular file"},
        {"trace-a-device", {"--trace", "/dev/full"}, "/dev/full: not a regular file"},
        {"frame-stats-a-device", {"--frame-stats", "/dev/full"}, "/dev/full: not a regular file"},
        {"trace-over-the-replay",
         {"--replay", "old.replay", "--trace", "./old.replay"},
         "--trace ./old.replay is also --replay old.replay"},
        {"trace-over-the-recording-by-name",
         {"old.replay", "--trace", "./old.replay"},
         "--trace ./old.replay is also --replay old.replay"},
        // Standard input is the recording here.
        {"frame-stats-over-the-replay-on-standard-input",
         {"--replay", "-", "--frame-stats", "old.replay"},
         "--frame-stats old.replay is also --replay /dev/stdin"},
        // Not there yet: one name in one folder, however the folder is reached.
        {"record-and-trace-one-new-file",
         {"--record", "new.replay", "--trace", "link/new.replay"},
         "--record new.replay is also --trace link/new.replay"},
        {"record-over-the-settings",
         {"--record", "Nibbly/Nibbly.ini"},
         "is also the settings file"},
        {"trace-over-the-settings",
         {"--trace", "Nibbly//Nibbly.ini"},
         "is also the settings file"},
        {"frame-stats-over-the-settings",
         {"--frame-stats", "home/../Nibbly/Nibbly.ini"},
         "is also the settings file"},
    };
    const QByteArray settings = "[SetLog]\nGameCoins=7\n\n[Other]\nKept=1\n";
    const QByteArray recording = "# nibbly recording\n";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir tmp;
        const QDir home(tmp.path());
        ASSERT_TRUE(home.mkpath("Nibbly"));
        const auto write = [&](const QString& name, const QByteArray& bytes) {
            QFile file(home.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        write("Nibbly/Nibbly.ini", settings);
        write("old.replay", recording);
        ASSERT_EQ(mkfifo(home.filePath("fifo").toLocal8Bit(), 0600), 0);
        ASSERT_TRUE(QFile::link(".", home.filePath("link")));
        std::unique_ptr<QProcess> game(new QProcess);
        game->setProcessEnvironment(childenv::OwnFolders(tmp.path()));
        game->setWorkingDirectory(tmp.path());
        game->setStandardInputFile(home.filePath("old.replay"));
        game->start(NIBBLY_BIN_DIR "/nibbly", row.arguments);
        const bool finished = game->waitForFinished(20000);
        if (!finished) game->kill();
        ASSERT_TRUE(finished);
        EXPECT_EQ(game->exitCode(), 2);
        const QByteArray error = game->readAllStandardError();
        EXPECT_TRUE(error.contains(row.said)) << error.toStdString();
        const auto read = [&](const QString& name) {
            QFile file(home.filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unread)");
        };
        EXPECT_EQ(read("Nibbly/Nibbly.ini"), settings);
        EXPECT_EQ(read("old.replay"), recording);
        EXPECT_FALSE(QFile::exists(home.filePath("new.replay")));
    }
}

// A full disk, as a file size limit stands in for it: said at the end, and the run fails.
TEST(Startup, OutputLostOnTheWayFailsTheRun) {
    QTemporaryDir tmp;
    const QString trace = tmp.filePath("trace.jsonl");
    const QString frames = tmp.filePath("frames.txt");
    const QProcessEnvironment env = childenv::OwnFolders(tmp.path());
    std::unique_ptr<QProcess> game(
        StartGame(env, {"--trace", trace, "--frame-stats", frames}, [] {
            const rlimit size{1, 1};
            setrlimit(RLIMIT_FSIZE, &size);
        }));
    ASSERT_NO_FATAL_FAILURE(ReachesTheEventLoop(*game, env.value("XDG_RUNTIME_DIR")));
    kill(static_cast<pid_t>(game->processId()), SIGTERM);
    const bool finished = game->waitForFinished(20000);
    if (!finished) game->kill();
    ASSERT_TRUE(finished);
    EXPECT_EQ(game->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(game->exitCode(), 1);
    const QByteArray error = game->readAllStandardError();
    EXPECT_TRUE(error.contains("nibbly: cannot write the trace " + trace.toUtf8()))
        << error.toStdString();
    EXPECT_TRUE(error.contains("nibbly: cannot write the frame-stats " + frames.toUtf8()))
        << error.toStdString();
}

class MissingPictures : public testing::Test {
  protected:
    void SetUp() override {
        plat::SetTimerDriver(&clock);
        plat::UseMemorySettings();
        plat::SetAppPath(folder.path().toStdString());
        plat::SetMsgBoxHandler([this](const std::string& prompt, int, const std::string&) {
            messages.push_back(prompt);
            return static_cast<int>(plat::vbOK);
        });
    }
    void TearDown() override {
        plat::SetMsgBoxHandler(nullptr);
        plat::SetAppPath("");
        plat::SetTimerDriver(nullptr);
    }
    void Provide(const char* file) {
        QFile::remove(folder.path() + file);
        ASSERT_TRUE(QFile::copy(QString(NIBBLY_BIN_DIR) + file, folder.path() + file));
    }

    QTemporaryDir folder;
    plat::VirtualClock clock;
    std::vector<std::string> messages;
};

TEST_F(MissingPictures, GameDoesNotStartAndKeepsTheCoins) {
    const auto missing = [](const QString&) {};
    // The other picture of the same mode in its place: a readable bitmap of the wrong size.
    const auto swapped = [](const char* other) {
        return [other](const QString& path) {
            ASSERT_TRUE(QFile::copy(QString(NIBBLY_BIN_DIR) + other, path));
        };
    };
    const auto cutShort = [](const QString& path) {
        QFile whole(QString(NIBBLY_BIN_DIR) + path.mid(path.lastIndexOf('/')));
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
        QFile part(path);
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
        part.write(whole.readAll().chopped(448 * 3));
    };
    // A well-formed bitmap of the right size holding only noise.
    const auto noise = [](const QString& path) {
        QImage image(256, 352, QImage::Format_RGB32);
        std::mt19937 random(7);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, random() | 0xFF000000u);
        ASSERT_TRUE(image.save(path, "BMP"));
    };
    const auto pipe = [](const QString& path) { ASSERT_EQ(mkfifo(path.toLocal8Bit(), 0600), 0); };
    struct Row {
        const char* name;
        bool defaultMode;
        std::vector<const char*> present;
        const char* broken;
        std::function<void(const QString&)> make;
    };
    const Row rows[] = {
        {"sheet", true, {}, "gobpics.bmp", missing},
        {"level", true, {"/gobpics.bmp"}, "level1.bmp", missing},
        {"old-sheet", false, {"/level1.bmp"}, "gobpicsold.bmp", missing},
        {"old-level", false, {"/gobpicsold.bmp"}, "levelold.bmp", missing},
        {"sheet-of-the-wrong-size", true, {}, "gobpics.bmp", swapped("/level1.bmp")},
        {"level-of-the-wrong-size", true, {"/gobpics.bmp"}, "level1.bmp", swapped("/gobpics.bmp")},
        {"level-cut-short", true, {"/gobpics.bmp"}, "level1.bmp", cutShort},
        {"sheet-of-noise", true, {"/level1.bmp"}, "gobpics.bmp", noise},
        {"old-sheet-a-pipe", false, {"/levelold.bmp"}, "gobpicsold.bmp", pipe},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString broken = folder.path() + "/" + row.broken;
        QFile::remove(broken);
        for (const char* file : row.present) Provide(file);
        row.make(broken);
        messages.clear();
        FrmMain form;
        LoadMainWindow(form);
        if (!row.defaultMode) XPButton2_Click();

        XPButton4_Click();

        ASSERT_EQ(messages.size(), 1u);
        // The message names the file and where the game looked for it.
        EXPECT_NE(messages[0].find(folder.filePath(row.broken).toStdString()), std::string::npos)
            << messages[0];
        EXPECT_EQ(GameRunning, kFalse);
        EXPECT_EQ(Coins, 9);
        EXPECT_EQ(form.lblCoins.Caption(), "9 个币");
        EXPECT_TRUE(form.tmrFlash.Enabled());
        EXPECT_FALSE(form.tmrReady.Enabled());
        EXPECT_FALSE(form.pctScreen.isVisibleTo(&form));
        EXPECT_FALSE(form.pctStats.isVisibleTo(&form));  // no "GAME OVER" for a game never played
        EXPECT_TRUE(form.XPButton4.isEnabled());
        EXPECT_FALSE(form.XPButton8.isEnabled());
        // Idle goes on as before: the flashing keeps running, nothing else starts.
        clock.RunUntil(clock.Now() + 5000);
        EXPECT_FALSE(form.tmrKeyBoard.Enabled());
        form.Unload();
    }
}
