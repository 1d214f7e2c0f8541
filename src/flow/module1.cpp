#include "flow/module1.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "flow/commandline.h"
#include "flow/session.h"
#include "flow/startup.h"
#include "game/bassetup.h"
#include "platform/controls.h"
#include "platform/desktop.h"
#include "platform/desktopentry.h"
#include "platform/files.h"
#include "platform/framestats.h"
#include "platform/gamepad.h"
#include "platform/keyboard.h"
#include "platform/settings.h"
#include "platform/signals.h"
#include "platform/singleinstance.h"
#include "platform/sound.h"
#include "shell/frmmain.h"
#include "shell/links.h"

namespace {

QtMessageHandler qtHandler = nullptr;

// Without a display Qt gives up with a fatal message and an abort; a player should see
// why, not a crash.
void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        qtHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "nibbly: cannot open a window: %s\n", qPrintable(message));
    std::fprintf(stderr, "nibbly: is a graphical desktop running (DISPLAY or WAYLAND_DISPLAY)?\n");
    std::_Exit(1);
}

}  // namespace

int Main(int argc, char** argv) {
    plat::IgnoreUnusedSignals();
    GameOptions options;
    GameRequest request = GameRequest::Run;
    if (const std::string error = ParseGameArguments(argc, argv, options, request);
        !error.empty()) {
        std::fprintf(stderr, "nibbly: %s\n%s", error.c_str(), kGameUsage);
        return 2;
    }
    if (request != GameRequest::Run) {
        std::fputs(request == GameRequest::Help ? kGameUsage : "nibbly " NIBBLY_VERSION "\n",
                   stdout);
        return 0;
    }
    // Short of them, the platform plugin, pictures, sound and the settings' save fail in turn,
    // and Qt blames the desktop for the first.
    if (const plat::Descriptors descriptors = plat::CountDescriptors(); descriptors.Short()) {
        std::fprintf(stderr,
                     "nibbly: too many files open: %d of the %d this process may have; close some "
                     "or raise the limit (ulimit -n)\n",
                     descriptors.open, descriptors.limit);
        return 1;
    }
    if (const std::string error = CheckGameFiles(options, plat::UserSettingsFile(kAppTitle));
        !error.empty()) {
        std::fprintf(stderr, "nibbly: %s\n", error.c_str());
        return 2;
    }
    plat::ReturnBigBlocksWhenFreed();
    Session session(options);
    // A second copy would fight over the stored settings: it brings the first forward and
    // leaves before showing anything. Watching a recording keeps no settings.
    plat::SingleInstance instance(plat::UserSettingsFolder(kAppTitle), kAppTitle);
    const plat::SingleInstance::Claim claim =
        session.Replaying() ? plat::SingleInstance::Claim::Unguarded : instance.Take();
    if (claim == plat::SingleInstance::Claim::Taken) {
        const QCoreApplication app(argc, argv);
        if (!instance.ActivateRunning()) std::fprintf(stderr, "nibbly: already running\n");
        return 0;
    }
    if (claim == plat::SingleInstance::Claim::Unguarded && !session.Replaying()) {
        std::fprintf(
            stderr,
            "nibbly: cannot lock %s; running unguarded, another copy may overwrite the settings\n",
            instance.LockPath().c_str());
    }

    qtHandler = qInstallMessageHandler(OnQtMessage);
    // Pixel art scales by whole factors only: 1.5 draws at 1, 2.5 at 2.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Floor);
    std::optional<QApplication> app(std::in_place, argc, argv);
    // A screen too small for the window at its ratio: made again at a factor that fits.
    if (const std::optional<plat::ScreenScale> scale = plat::RefitScale(FrmMain::SizePixels())) {
        app.reset();
        const plat::ForcedScale forced(*scale);
        app.emplace(argc, argv);
    }
    plat::UseDetectableAutoRepeat();
    plat::UseDesktopEntry(NIBBLY_ID);
    // A timing record for the pacing benchmark.
    if (!options.frameStats.empty()) {
        if (const std::string error = plat::StartFrameStats(options.frameStats); !error.empty()) {
            std::fprintf(stderr, "nibbly: --frame-stats needs a file it can write: %s: %s\n",
                         options.frameStats.c_str(), error.c_str());
            return 2;
        }
    }
    if (const std::string error = session.Prepare(); !error.empty()) {
        std::fprintf(stderr, "nibbly: %s\n", error.c_str());
        return 2;
    }
    plat::LoadFonts();
    int status = 0;
    bool soundsLoaded = false;
    // A replay that jumps back starts again in a new window.
    do {
        FrmMain form;
        // Ended from outside (kill, Ctrl+C, the terminal closing): as a close request from
        // the window system, the settings are stored and nothing is asked. Before the socket
        // is there, so that a start that can be found is one such a signal ends cleanly.
        plat::OnTerminationSignal([&session] {
            session.End();
            QCoreApplication::exit(0);
        });
        if (!session.Replaying()) {
            instance.Listen([&form](const std::string& token) { plat::BringToFront(form, token); });
        }
        session.Attach(form);
        LoadMainWindow(form);
        session.Begin();
        // Opening the sound device and scanning for controllers take longer than the rest
        // of a start (SDL may look for a session bus), and nothing sounds or steers before
        // a game starts: the window comes first, its icon a moment later.
        plat::AfterFirstFrame(form, [&session, &soundsLoaded] {
            plat::UseProgramIcon(plat::AppPath());
            if (!soundsLoaded) LoadGameSounds();
            soundsLoaded = true;
            plat::StartSound();
            // A controller would disturb the replay.
            if (!session.Replaying())
                plat::StartGamepads([&session](int vk) { session.KeyDown(vk); });
            // What the start read and decoded is freed by now.
            plat::ReturnFreedMemory();
        });
        status = QApplication::exec();
        session.Detach();
        plat::StopGamepads();
    } while (session.Restarting());
    plat::StopSound();
    // Output lost on the way (a full disk) fails the run, as nibbly-sim's trace does.
    if (const std::string error = session.TraceError(); !error.empty()) {
        std::fprintf(stderr, "nibbly: %s\n", error.c_str());
        status = 1;
    }
    if (!plat::StopFrameStats()) {
        std::fprintf(stderr, "nibbly: cannot write the frame-stats %s\n",
                     options.frameStats.c_str());
        status = 1;
    }
    return status;
}
