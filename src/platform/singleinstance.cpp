#include "platform/singleinstance.h"

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QWidget>

namespace plat {

namespace {

constexpr int kConnectTimeoutMs = 2000;
// Far above any real token; a caller cannot make the running copy hold more.
constexpr qint64 kTokenLimit = 4096;

// Sockets belong in the user's runtime folder, which does not follow TMPDIR; a hash of
// the lock's path keeps copies that guard different settings apart.
std::string SocketPathFor(const std::string& lockPath, const std::string& name) {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(lockPath), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return QDir(folder)
        .filePath(QString::fromStdString(name) + "-" + hash + ".socket")
        .toStdString();
}

}  // namespace

SingleInstance::SingleInstance(const std::string& folder, const std::string& name)
    : lockPath_(QDir(QString::fromStdString(folder))
                    .filePath(QString::fromStdString(name) + ".lock")
                    .toStdString()),
      socketPath_(SocketPathFor(lockPath_, name)),
      lock_(std::make_unique<QLockFile>(QString::fromStdString(lockPath_))) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::Take() {
    QDir().mkpath(QFileInfo(QString::fromStdString(lockPath_)).path());
    // The lock reads whatever holds its name: a pipe or device there would block it for good.
    struct stat entry {};
    if (lstat(lockPath_.c_str(), &entry) == 0 && !S_ISREG(entry.st_mode)) return Claim::Unguarded;
    if (lock_->tryLock(0)) return Claim::Owner;
    return lock_->error() == QLockFile::LockFailedError ? Claim::Taken : Claim::Unguarded;
}

std::string SingleInstance::LockPath() const {
    return lockPath_;
}

bool SingleInstance::Listen(std::function<void(const std::string& token)> activate) {
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
