#include "platform/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace plat {

namespace {

std::string appPathOverride;

}  // namespace

std::string AppPath() {
    if (!appPathOverride.empty()) return appPathOverride;
    return QCoreApplication::applicationDirPath().toStdString();
}

void SetAppPath(const std::string& path) {
    appPathOverride = path;
    while (appPathOverride.size() > 1 && appPathOverride.back() == '/') appPathOverride.pop_back();
}

std::string ResolveFile(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    if (info.exists()) return path;
    const QString wanted = info.fileName();
    const QStringList entries = info.dir().entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
            const std::size_t slash = path.rfind('/');
            const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
            return folder + entry.toStdString();
        }
    }
    return path;
}

}  // namespace plat
