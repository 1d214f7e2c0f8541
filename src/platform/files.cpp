#include "platform/files.h"

#include <dirent.h>
#include <malloc.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

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

std::string FileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// The names in a folder, as the system spells them; none when it cannot be read.
std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    return names;
}

// A save's temporary beside its target: a name of the game's own that no file of the player's
// has, followed by mkostemp's six letters or digits.
std::string TemporaryPrefix(const std::string& target) {
    return FileName(target) + ".nibbly-save-";
}

// Temporary files of ours beside target that a killed save left behind. A file younger than a
// minute may belong to a save still under way.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string prefix = TemporaryPrefix(target);
    const std::string folder = Folder(target);
    for (const OwnFile& file : OwnRegularFiles(folder)) {
        const std::string& name = file.name;
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }) &&
            file.modified < std::time(nullptr) - 60)
            unlink((folder + "/" + name).c_str());
    }
}

// Makes a rename in folder last through a power cut.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

std::string TooLong(std::size_t limit) {
    return "is longer than " + std::to_string(limit) + " bytes";
}

// Copies from a descriptor that cannot be read twice to a temporary file whose name is gone at
// once; the file stays readable through file.
std::string Spool(int from, std::size_t limit, std::ifstream& file) {
    const char* folder = std::getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/nibbly-XXXXXX";
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return "cannot be copied to a temporary file: " + std::string(std::strerror(errno));
    std::string error;
    char buffer[65536];
    // One byte past the limit tells a stream that is too long from one that just fits.
    for (std::size_t copied = 0; error.empty();) {
        const ssize_t got = read(from, buffer, std::min(sizeof buffer, limit + 1 - copied));
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) break;
        if (got < 0) {
            error = "cannot be read: " + std::string(std::strerror(errno));
            break;
        }
        copied += static_cast<std::size_t>(got);
        if (copied > limit) {
            error = TooLong(limit);
        } else if (!WriteAll(fd, std::string_view(buffer, static_cast<std::size_t>(got)))) {
            error = "cannot be copied to a temporary file: " + std::string(std::strerror(errno));
        }
    }
    if (close(fd) != 0 && error.empty()) {
        error = "cannot be copied to a temporary file: " + std::string(std::strerror(errno));
    }
    if (error.empty()) file.open(name, std::ios::binary);
    unlink(name.c_str());
    if (error.empty() && !file) error = "cannot be copied to a temporary file";
    return error;
}

// A file by its identity when it is there, else by the absolute name it would be made under.
std::string Place(const std::string& path) {
    std::string target = path;
    std::string error;
    if (!FollowLinks(target, error)) target = path;
    struct stat info {};
    if (stat(target.c_str(), &info) == 0)
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    std::error_code failed;
    std::filesystem::path absolute = std::filesystem::absolute(target, failed);
    if (!failed) absolute = std::filesystem::weakly_canonical(absolute, failed);
    return failed ? target : absolute.string();
}

}  // namespace

std::string AppPath() {
    if (!appPathOverride.empty()) return appPathOverride;
    // The folder as the system names it: a name that is not UTF-8 would not survive a QString.
    static const std::string folder = [] {
        std::error_code error;
        const std::filesystem::path executable =
            std::filesystem::read_symlink("/proc/self/exe", error);
        return DataFolderFor(
            error ? QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()
                  : executable.parent_path().string());
    }();
    return folder;
}

std::string DataFolderFor(const std::string& executableFolder) {
    // Installed, the data sit in ../share/nibbly; a build folder or a portable copy holds
    // them beside the executable, and then that copy wins.
    const std::string installed =
        (std::filesystem::path(executableFolder) / "../share/nibbly").lexically_normal().string();
    struct stat info {};
    if (stat(installed.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return executableFolder;
    for (const std::string& name : Entries(installed)) {
        const std::string data = installed + "/" + name;
        const std::string beside = executableFolder + "/" + name;
        if (stat(data.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            stat(beside.c_str(), &info) == 0)
            return executableFolder;
    }
    return installed;
}

void SetAppPath(const std::string& path) {
    appPathOverride = path;
    while (appPathOverride.size() > 1 && appPathOverride.back() == '/') appPathOverride.pop_back();
}

std::string ResolveFile(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) return path;
    // The data files' names are ASCII; other bytes must match exactly.
    const std::string wanted = FileName(path);
    std::string found;
    for (const std::string& entry : Entries(Folder(path)))
        if (SameIgnoringCase(entry, wanted) && (found.empty() || entry < found)) found = entry;
    if (found.empty()) return path;
    return path.substr(0, path.size() - wanted.size()) + found;
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

std::string OpenToReadTwice(const std::string& path, std::size_t limit, std::ifstream& file) {
    const bool standardInput = path == "-";
    const int fd = standardInput ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    std::string error;
    if (fd < 0 || fstat(fd, &info) != 0) {
        error = "cannot be read: " + std::string(std::strerror(errno));
    } else if (S_ISDIR(info.st_mode)) {
        error = "cannot be read: it is a folder";
    } else if (!S_ISREG(info.st_mode) || standardInput) {
        error = Spool(fd, limit, file);
    } else if (static_cast<std::size_t>(info.st_size) > limit) {
        error = TooLong(limit);
    } else {
        file.open(path, std::ios::binary);
        if (!file) error = "cannot be read";
    }
    if (!standardInput && fd >= 0) close(fd);
    return error;
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
    std::error_code made;
    if (!exists && (std::filesystem::create_directories(folder, made), made)) {
        error = "cannot create the folder " + folder + ": " + made.message();
        return false;
    }
    std::string temporary = Folder(target) + "/" + TemporaryPrefix(target) + "XXXXXX";
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
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    RemoveStaleTemporaries(target);
    return true;
}

std::FILE* OpenOutputFile(const std::string& path, bool mustBeNew, std::string& error) {
    // O_NONBLOCK: a FIFO without a reader fails at once instead of holding up the start.
    const int flags =
        O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (mustBeNew ? O_EXCL : 0);
    const int fd = open(path.c_str(), flags, 0644);
    if (fd < 0) {
        error = errno == ENXIO ? "not a regular file" : std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!ok) error = "not a regular file";
    if (ok && (ftruncate(fd, 0) != 0 || fcntl(fd, F_SETFL, 0) != 0)) {
        error = std::strerror(errno);
        ok = false;
    }
    std::FILE* file = ok ? fdopen(fd, "wb") : nullptr;
    if (!file) {
        if (ok) error = std::strerror(errno);
        close(fd);
    }
    return file;
}

std::vector<OwnFile> OwnRegularFiles(const std::string& folder) {
    std::vector<OwnFile> files;
    for (const std::string& name : Entries(folder)) {
        struct stat info {};
        if (lstat((folder + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == geteuid())
            files.push_back({name, info.st_mtime});
    }
    return files;
}

void RemoveOwnFile(const std::string& folder, const std::string& name) {
    const std::string path = folder + "/" + name;
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid())
        unlink(path.c_str());
}

bool MakeFolders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

void ReturnBigBlocksWhenFreed() {
    mallopt(M_MMAP_THRESHOLD, 128 << 10);
}

void ReturnFreedMemory() {
    malloc_trim(0);
}

std::string LocalStamp(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &local);
    return text;
}

bool RenameToNewName(const std::string& from, const std::string& to, std::string& error) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    // A file system without that kind of rename: a second link never replaces either.
    if (errno == EINVAL && link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return true;
    }
    error = std::strerror(errno);
    return false;
}

void RemoveOpenFile(const std::string& path, std::FILE* file) {
    struct stat open {};
    struct stat named {};
    if (fstat(fileno(file), &open) == 0 && lstat(path.c_str(), &named) == 0 &&
        open.st_dev == named.st_dev && open.st_ino == named.st_ino)
        unlink(path.c_str());
}

bool HoldLock(std::FILE* file) {
    return flock(fileno(file), LOCK_EX | LOCK_NB) == 0;
}

bool LockedElsewhere(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool locked = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return locked;
}

int ProcessId() {
    return static_cast<int>(getpid());
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
    }
    return home;
}

std::string UserDataFolder(const std::string& app) {
    // Kept as the bytes the system gave. A relative XDG_DATA_HOME is invalid and ignored.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return std::string(data) + "/" + app;
    return HomeFolder() + "/.local/share/" + app;
}

bool SameFile(const std::string& a, const std::string& b) {
    return Place(a) == Place(b);
}

Descriptors CountDescriptors() {
    Descriptors descriptors;
    rlimit limit{};
    descriptors.limit = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < INT_MAX
                            ? static_cast<int>(limit.rlim_cur)
                            : INT_MAX;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) {
        if (errno == EMFILE) descriptors.open = descriptors.limit;
        return descriptors;
    }
    // Only those below the limit take a place a new one could have; the folder's own does not.
    const int own = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const long fd = std::strtol(entry->d_name, nullptr, 10);
        if (entry->d_name[0] != '.' && fd != own && fd < descriptors.limit) ++descriptors.open;
    }
    closedir(dir);
    return descriptors;
}

}  // namespace plat
