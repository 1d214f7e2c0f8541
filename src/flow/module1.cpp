#include "flow/module1.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "flow/controls.h"
#include "flow/startup.h"
#include "platform/desktop.h"
#include "platform/desktopentry.h"
#include "platform/files.h"
#include "platform/framestats.h"
#include "platform/gamepad.h"
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
    plat::CatchTerminationSignals();
    // A second copy would fight over the stored settings: it brings the first forward and
    // leaves before showing anything.
    plat::SingleInstance instance(plat::UserSettingsFolder(kAppTitle), kAppTitle);
    const plat::SingleInstance::Claim claim = instance.Take();
    if (claim == plat::SingleInstance::Claim::Taken) {
        const QCoreApplication app(argc, argv);
        if (!instance.ActivateRunning()) std::fprintf(stderr, "nibbly: already running\n");
        return 0;
    }
    if (claim == plat::SingleInstance::Claim::Unguarded) {
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
    plat::UseDesktopEntry(NIBBLY_ID, plat::AppPath());
    // --frame-stats FILE: a timing record for the pacing benchmark.
    const QStringList args = app->arguments();
    if (const qsizetype at = args.indexOf("--frame-stats"); at > 0) {
        const QString path = args.value(at + 1);
        if (path.isEmpty() || !plat::StartFrameStats(path.toStdString())) {
            std::fprintf(stderr, "nibbly: --frame-stats needs a file it can write\n");
            return 2;
        }
    }
    plat::InstallTranslations();
    plat::StartSound();
    int status = 0;
    {
        FrmMain form;
        instance.Listen([&form](const std::string& token) { plat::BringToFront(form, token); });
        // Ended from outside (kill, Ctrl+C, the terminal closing): as a close request from
        // the window system, the settings are stored and nothing is asked.
        plat::OnTerminationSignal([&form] {
            form.Unload();
            QCoreApplication::exit(0);
        });
        LoadMainWindow(form);
        plat::StartGamepads(Form_KeyDown);
        status = QApplication::exec();
        plat::StopGamepads();
    }
    plat::StopSound();
    plat::StopFrameStats();
    return status;
}
