#include "flow/module1.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <cstdio>
#include <cstdlib>

#include "platform/sound.h"
#include "shell/frmmain.h"

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
    // A second copy would fight over the stored settings: it leaves before showing anything.
    QLockFile instanceLock(QDir::tempPath() + QString("/nibbly-%1.lock").arg(getuid()));
    if (!instanceLock.tryLock(0)) return 0;

    qtHandler = qInstallMessageHandler(OnQtMessage);
    QApplication app(argc, argv);
    plat::StartSound();
    int status = 0;
    {
        FrmMain form;
        form.Load();
        status = app.exec();
    }
    plat::StopSound();
    return status;
}
