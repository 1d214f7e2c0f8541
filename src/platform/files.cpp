#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstring>

namespace plat {

namespace {

std::string appPathOverride;

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path finally names, following symbolic links even when the last one dangles.
bool FollowLinks(std::string& path, std::string& error) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) {
            if (errno == ENOENT) return true;
            error = std::strerror(errno);
            return false;
        }
        if (!S_ISLNK(info.st_mode)) return true;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length < 0) {
            error = std::strerror(errno);
            return false;
        }
        target.resize(static_cast<std::size_t>(length));
        path = !target.empty() && target.front() == '/' ? target : Folder(path) + "/" + target;
    }
    error = std::strerror(ELOOP);
    return false;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

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

bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes,
                     std::string& error) {
    bytes.clear();
    struct stat info {};
    // Checked before opening as well: merely opening some devices has effects.
    if (stat(path.c_str(), &info) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // The name may have been pointed elsewhere since the check.
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!ok) error = "not a regular file";
    if (ok && static_cast<std::size_t>(info.st_size) > limit) {
        error = "too large";
        ok = false;
    }
    if (ok) bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    while (ok) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = std::strerror(errno);
            ok = false;
        } else if (got == 0) {
            break;
        } else if (bytes.size() + static_cast<std::size_t>(got) > limit) {
            // It grew while being read.
            error = "too large";
            ok = false;
        } else {
            bytes.append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(fd);
    if (!ok) bytes.clear();
    return ok;
}

bool WriteRegularFile(const std::string& path, const std::string& bytes, std::string& error) {
    std::string target = path;
    if (!FollowLinks(target, error)) return false;
    struct stat info {};
    const bool exists = stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        error = target + " is not a regular file";
        return false;
    }
    const std::string folder = Folder(target);
    if (!exists && !QDir().mkpath(QString::fromStdString(folder))) {
        error = "cannot create the folder " + folder;
        return false;
    }
    std::string temporary = target + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // The new file keeps the old one's permissions; a new one is private to its owner.
    bool ok =
        (!exists || fchmod(fd, info.st_mode & 07777) == 0) && WriteAll(fd, bytes) && fsync(fd) == 0;
    if (!ok) error = std::strerror(errno);
    if (close(fd) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (!ok) unlink(temporary.c_str());
    return ok;
}

}  // namespace plat
