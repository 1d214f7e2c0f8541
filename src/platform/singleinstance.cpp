#include "platform/singleinstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <wayland-client.h>

#include <QCryptographicHash>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace plat {

namespace {

constexpr int kConnectTimeoutMs = 2000;
constexpr const char* kMinimisedProperty = "nibbly_minimised";
// Far above any real token; a caller cannot make the running copy hold more.
constexpr std::size_t kTokenLimit = 4096;
// Callers served at once; the rest wait in the queue, so that callers that hold their
// connections cannot use up the descriptors the game needs (to save its settings).
constexpr std::size_t kCallersAtOnce = 16;

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
// socket address. Empty when no place will do.
std::string SocketPathFor(const std::string& lockPath, const std::string& name) {
    const std::string file =
        name + "-" +
        QCryptographicHash::hash(QByteArray::fromStdString(lockPath), QCryptographicHash::Sha256)
            .toHex()
            .left(16)
            .toStdString() +
        ".socket";
    const auto usable = [&](const std::string& folder) {
        return folder.size() + 1 + file.size() < sizeof(sockaddr_un::sun_path);
    };
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && IsFolder(runtime) && usable(runtime))
        return std::string(runtime) + "/" + file;
    const std::string own = OwnTemporaryFolder();
    return own.empty() ? std::string() : own + "/" + file;
}

// Whether the compositor offers activation, asked on a connection of our own: Qt keeps its
// list of the compositor's globals to itself.
bool CompositorActivates() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return false;
    bool offered = false;
    static const wl_registry_listener listener{
        [](void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
            if (std::strcmp(interface, "xdg_activation_v1") == 0) *static_cast<bool*>(data) = true;
        },
        [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &offered);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offered;
}

sockaddr_un AddressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

}  // namespace

// A later start that connected: what it sends is its activation token, and hanging up ends it.
struct SingleInstance::Caller {
    int fd;
    std::string token;
    std::unique_ptr<QSocketNotifier> readable;
};

SingleInstance::SingleInstance(const std::string& folder, const std::string& name)
    : folder_(folder),
      lockPath_(folder + "/" + name + ".lock"),
      socketPath_(SocketPathFor(lockPath_, name)) {}

SingleInstance::~SingleInstance() {
    for (const auto& caller : callers_) {
        caller->readable.reset();
        close(caller->fd);
    }
    if (listenFd_ >= 0) {
        listening_.reset();
        close(listenFd_);
        RemoveOwnSocket();
    }
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
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const sockaddr_un address = AddressOf(socketPath_);
    const auto bound = [&] {
        return bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    };
    // A socket left by a killed copy: the lock is ours, so nobody else listens on it.
    // Anything else at that name is not ours to remove.
    struct stat left {};
    if (!bound() && (errno != EADDRINUSE || lstat(socketPath_.c_str(), &left) != 0 ||
                     !S_ISSOCK(left.st_mode) || unlink(socketPath_.c_str()) != 0 || !bound())) {
        std::cerr << "nibbly: cannot listen at " << socketPath_
                  << "; a later start cannot bring this window forward\n";
        close(fd);
        return false;
    }
    struct stat made {};
    if (lstat(socketPath_.c_str(), &made) == 0) socketId_ = {made.st_dev, made.st_ino};
    // Closed to other users before anyone can connect.
    if (chmod(socketPath_.c_str(), 0600) != 0 || listen(fd, 8) != 0) {
        close(fd);
        RemoveOwnSocket();
        return false;
    }
    listenFd_ = fd;
    activate_ = std::move(activate);
    listening_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(listening_.get(), &QSocketNotifier::activated, [this] { Accept(); });
    return true;
}

void SingleInstance::RemoveOwnSocket() {
    // The name may have been given to another file since it was bound.
    struct stat now {};
    if (lstat(socketPath_.c_str(), &now) == 0 && S_ISSOCK(now.st_mode) &&
        std::pair(now.st_dev, now.st_ino) == socketId_)
        unlink(socketPath_.c_str());
}

void SingleInstance::Accept() {
    while (callers_.size() < kCallersAtOnce) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            // Out of descriptors the pending caller would wake the loop for ever: it waits
            // until a caller served hangs up.
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                std::cerr << "nibbly: " << std::strerror(errno)
                          << "; a later start cannot bring this window forward\n";
                listening_->setEnabled(false);
            }
            return;
        }
        auto caller = std::make_unique<Caller>(Caller{fd, {}, nullptr});
        Caller* raw = caller.get();
        caller->readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(caller->readable.get(), &QSocketNotifier::activated,
                         [this, raw] { Read(*raw); });
        callers_.push_back(std::move(caller));
        // A quick caller has written and hung up already.
        Read(*raw);
    }
    listening_->setEnabled(false);
}

void SingleInstance::Read(Caller& caller) {
    char buffer[1024];
    ssize_t got;
    while ((got = read(caller.fd, buffer, sizeof buffer)) > 0) {
        caller.token.append(buffer, std::min<std::size_t>(got, kTokenLimit - caller.token.size()));
    }
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
    // Hung up, or the connection broke: either way the caller has said all it will.
    const std::string token = std::move(caller.token);
    // This may run inside the notifier's own signal: it goes once the signal is done.
    caller.readable->setEnabled(false);
    caller.readable.release()->deleteLater();
    close(caller.fd);
    std::erase_if(callers_, [&caller](const auto& c) { return c.get() == &caller; });
    listening_->setEnabled(true);
    activate_(token);
}

bool SingleInstance::ActivateRunning() {
    if (socketPath_.empty()) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // A copy that hangs must not hang this start too.
    const timeval timeout{kConnectTimeoutMs / 1000, kConnectTimeoutMs % 1000 * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    const sockaddr_un address = AddressOf(socketPath_);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return false;
    }
    // The desktop hands a starting program a token that lets it bring a window forward.
    if (const char* token = std::getenv("XDG_ACTIVATION_TOKEN"))
        send(fd, token, strnlen(token, kTokenLimit), MSG_NOSIGNAL);
    close(fd);
    return true;
}

void Minimise(QWidget& window) {
    window.setProperty(kMinimisedProperty, true);
    window.showMinimized();
}

void BringToFront(QWidget& window, const std::string& token) {
    // A Wayland compositor without activation cannot be asked to restore a window, and its
    // player may have no way left: the window comes back as a new one.
    const bool minimised = window.property(kMinimisedProperty).toBool();
    window.setProperty(kMinimisedProperty, QVariant());
    if (minimised && QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
        !CompositorActivates())
        window.hide();
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
