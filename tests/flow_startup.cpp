#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <csignal>
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

QProcess* StartGame(const QProcessEnvironment& env) {
    auto* game = new QProcess;
    game->setProcessEnvironment(env);
    game->start(NIBBLY_BIN_DIR "/nibbly", {});
    return game;
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
        std::unique_ptr<QProcess> game(StartGame(childenv::OwnFolders(tmp.path())));
        // The lock is taken after the signals are caught: from then on a signal is ours.
        const QString lock = tmp.path() + "/Nibbly/Nibbly.lock";
        while (!QFile::exists(lock) && game->state() != QProcess::NotRunning) {
            game->waitForFinished(20);
        }
        ASSERT_EQ(game->state(), QProcess::Running);

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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", tmp.path());
    env.insert("TMPDIR", tmp.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
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
