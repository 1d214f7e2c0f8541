#pragma once
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QSocketNotifier;
class QWidget;

namespace plat {

// One running copy per settings folder. A lock file in the folder guards the settings
// kept there; a local socket named after the lock lets a later start ask the running
// copy to come forward.
class SingleInstance {
  public:
    enum class Claim {
        Owner,      // the lock is ours
        Taken,      // a running copy holds it
        Unguarded,  // the folder cannot hold a lock: run, but nothing keeps a second copy out
    };

    // name: the lock's base name, "<folder>/<name>.lock".
    SingleInstance(const std::string& folder, const std::string& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock. A lock file left behind by a copy that no longer runs is harmless.
    Claim Take();
    std::string LockPath() const;

    // For the owner: activate runs whenever a later start asks, with that start's activation
    // token (empty when it had none). Needs the event loop. False when no socket could be
    // opened (later starts then only leave).
    bool Listen(std::function<void(const std::string& token)> activate);
    // For a later start: asks the running copy to come forward, handing it this process's
    // activation token; false when none listens.
    bool ActivateRunning();

  private:
    struct Caller;
    void Accept();
    void Read(Caller& caller);
    void RemoveOwnSocket();

    std::string folder_;
    std::string lockPath_;
    std::string socketPath_;              // empty: no private place for it
    std::pair<dev_t, ino_t> socketId_{};  // the socket bound there, as the file system knows it
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::unique_ptr<QSocketNotifier> listening_;
    std::vector<std::unique_ptr<Caller>> callers_;
    std::function<void(const std::string& token)> activate_;
};

// Minimises a window at the program's own request, remembered for BringToFront: a Wayland
// compositor never tells whether the window is still minimised.
void Minimise(QWidget& window);
// Shows a window restored from its minimised state, on top and with the focus; token: an
// activation token for a compositor that asks for one.
void BringToFront(QWidget& window, const std::string& token);

}  // namespace plat
