#include "platform/desktopentry.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

namespace plat {

void UseDesktopEntry(const std::string& id, const std::string& folder) {
    QGuiApplication::setDesktopFileName(QString::fromStdString(id));
    const QDir dir(QString::fromStdString(folder));
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString file = dir.filePath(QString("icon-%1.png").arg(size));
        if (QFileInfo::exists(file)) icon.addFile(file, QSize(size, size));
    }
    if (!icon.isNull()) QGuiApplication::setWindowIcon(icon);
}

void UseQtTexts(const std::string& locale) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(QString::fromStdString(locale)), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    }
}

}  // namespace plat
