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
    static const std::string folder =
        DataFolderFor(QCoreApplication::applicationDirPath().toStdString());
    return folder;
}

std::string DataFolderFor(const std::string& executableFolder) {
    // Installed, the data sit in ../share/nibbly; a build folder or a portable copy holds
    // them beside the executable, and then that copy wins.
    const QDir beside(QString::fromStdString(executableFolder));
    const QDir installed(QDir::cleanPath(beside.filePath("../share/nibbly")));
    if (!installed.exists()) return executableFolder;
    for (const QString& name : installed.entryList(QDir::Files))
        if (beside.exists(name)) return executableFolder;
    return installed.path().toStdString();
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
