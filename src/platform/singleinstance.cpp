#include "platform/singleinstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace plat {

namespace {

constexpr int kConnectTimeoutMs = 2000;
// Far above any real token; a caller cannot make the running copy hold more.
constexpr qint64 kTokenLimit = 4096;

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A folder under /tmp that only this user can enter: made if missing, else used only when it
// is a real folder of this user's, closed to everyone else.
std::string OwnTemporaryFolder() {
    const std::string folder = "/tmp/nibbly-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 0777) != 0700)
        return {};
    return folder;
}

// Sockets belong in the user's runtime folder, which does not follow TMPDIR; a hash of
// the lock's path keeps copies that guard different settings apart. The path must fit a
// socket address and pass through Qt's UTF-8 names unchanged. Empty when no place will do.
std::string SocketPathFor(const std::string& lockPath, const std::string& name) {
    const std::string file =
        name + "-" +
        QCryptographicHash::hash(QByteArray::fromStdString(lockPath), QCryptographicHash::Sha256)
            .toHex()
            .left(16)
            .toStdString() +
        ".socket";
    const auto usable = [&](const std::string& folder) {
        const std::string path = folder + "/" + file;
        return path.size() < sizeof(sockaddr_un::sun_path) &&
               QString::fromStdString(path).toStdString() == path;
    };
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && IsFolder(runtime) && usable(runtime))
        return std::string(runtime) + "/" + file;
    const std::string own = OwnTemporaryFolder();
    return own.empty() ? std::string() : own + "/" + file;
}

}  // namespace

SingleInstance::SingleInstance(const std::string& folder, const std::string& name)
    : folder_(folder),
      lockPath_(folder + "/" + name + ".lock"),
      socketPath_(SocketPathFor(lockPath_, name)) {}

SingleInstance::~SingleInstance() {
    if (lockFd_ >= 0) close(lockFd_);
}

// The kernel drops the lock when its holder ends, however it ends, so whatever a lock file
// holds or whoever left it does not matter; the file is never read.
SingleInstance::Claim SingleInstance::Take() {
    std::error_code ignored;
    std::filesystem::create_directories(folder_, ignored);
    // A pipe or device there could block an open for good, or have effects merely by opening.
    struct stat entry {};
    if (lstat(lockPath_.c_str(), &entry) == 0 && !S_ISREG(entry.st_mode)) return Claim::Unguarded;
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = open(lockPath_.c_str(), O_RDWR | O_CREAT | kFlags, 0600);
    // Another user's file (one left by a run as root): a lock needs only reading.
    if (fd < 0 && errno == EACCES) fd = open(lockPath_.c_str(), O_RDONLY | kFlags);
    if (fd < 0) return Claim::Unguarded;
    if (fstat(fd, &entry) != 0 || !S_ISREG(entry.st_mode)) {
        close(fd);
        return Claim::Unguarded;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lockFd_ = fd;
        return Claim::Owner;
    }
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return held ? Claim::Taken : Claim::Unguarded;
}

std::string SingleInstance::LockPath() const {
    return lockPath_;
}

bool SingleInstance::Listen(std::function<void(const std::string& token)> activate) {
    if (socketPath_.empty()) {
        std::cerr << "nibbly: no private folder for the instance socket (XDG_RUNTIME_DIR unusable, "
                     "/tmp/nibbly-"
                  << getuid()
                  << " not this user's alone); a later start cannot bring this window "
                     "forward\n";
        return false;
    }
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    const QString path = QString::fromStdString(socketPath_);
    // A socket left by a killed copy: the lock is ours, so nobody else listens on it.
    if (!server_->listen(path) && server_->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalServer::removeServer(path);
        server_->listen(path);
    }
    // A later start sends its activation token, if any, and hangs up.
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                     [this, activate = std::move(activate)] {
                         while (QLocalSocket* caller = server_->nextPendingConnection()) {
                             caller->setReadBufferSize(kTokenLimit);
                             QObject::connect(caller, &QLocalSocket::disconnected, caller,
                                              [caller, activate] {
                                                  activate(caller->read(kTokenLimit).toStdString());
                                                  caller->deleteLater();
                                              });
                         }
                     });
    return server_->isListening();
}

bool SingleInstance::ActivateRunning() {
    if (socketPath_.empty()) return false;
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socketPath_));
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    // The desktop hands a starting program a token that lets it bring a window forward.
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN").left(kTokenLimit);
    if (!token.isEmpty()) {
        socket.write(token);
        socket.waitForBytesWritten(kConnectTimeoutMs);
    }
    socket.disconnectFromServer();
    return true;
}

void BringToFront(QWidget& window, const std::string& token) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    // A compositor raises a window only with a token from the start that asked (Wayland's
    // activation); Qt takes it from the environment, which programs started later must not
    // inherit.
    if (!token.empty()) qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(token));
    window.activateWindow();
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

}  // namespace plat
