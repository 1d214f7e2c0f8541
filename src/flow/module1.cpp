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

bool DisplayAvailable() {
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr ||
           std::getenv("QT_QPA_PLATFORM") != nullptr;
}

}  // namespace

int Main(int argc, char** argv) {
    // A second copy would fight over the stored settings: it leaves before showing anything.
    QLockFile instanceLock(QDir::tempPath() + QString("/nibbly-%1.lock").arg(getuid()));
    if (!instanceLock.tryLock(0)) return 0;

    if (!DisplayAvailable()) {
        std::fprintf(stderr, "nibbly: no display found (DISPLAY or WAYLAND_DISPLAY is not set).\n");
        return 1;
    }
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
