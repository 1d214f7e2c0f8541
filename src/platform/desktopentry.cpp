#include "platform/desktopentry.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>

#include "platform/files.h"

namespace plat {

void UseDesktopEntry(const std::string& id, const std::string& folder) {
    QGuiApplication::setDesktopFileName(QString::fromStdString(id));
    const QDir dir(QString::fromStdString(folder));
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString file = QString::fromStdString(
            ResolveFile(dir.filePath(QString("icon-%1.png").arg(size)).toStdString()));
        if (QFileInfo::exists(file)) icon.addFile(file, QSize(size, size));
    }
    if (!icon.isNull()) QGuiApplication::setWindowIcon(icon);
}

}  // namespace plat
