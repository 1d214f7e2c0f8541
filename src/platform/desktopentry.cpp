#include "platform/desktopentry.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include "platform/bitmap.h"
#include "platform/files.h"

namespace plat {

void UseDesktopEntry(const std::string& id) {
    QGuiApplication::setDesktopFileName(QString::fromStdString(id));
}

void UseProgramIcon(const std::string& folder) {
    QIcon icon;
    // Up to 128: larger icons come from the desktop entry, and a 256 one held here would
    // cost a quarter of a megabyte for good.
    for (const int size : {16, 32, 48, 64, 128}) {
        std::string error;
        const QImage image =
            ReadPicture(ResolveFile(folder + "/icon-" + std::to_string(size) + ".png"), error);
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    if (!icon.isNull()) QGuiApplication::setWindowIcon(icon);
}

}  // namespace plat
