#include "platform/signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>

namespace plat {

namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int signalPipe[2] = {-1, -1};
// Also read where the event loop cannot run: inside a handler that waits.
std::atomic<bool> requested = false;
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnSignal(int) {
    requested.store(true);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(signalPipe[0], &byte, 1);
}

void DoNothing(int) {}

void Catch(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

void IgnoreUnusedSignals() {
    // Caught rather than ignored: a program the game starts gets the defaults back.
    for (const int signal : {SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGXFSZ})
        Catch(signal, DoNothing);
}

void OnTerminationSignal(std::function<void()> handler) {
    if (signalPipe[0] >= 0 ||
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [handler = std::move(handler)] {
                         char bytes[16];
                         while (read(signalPipe[1], bytes, sizeof bytes) > 0) {
                         }
                         handler();
                     });
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) Catch(signal, OnSignal);
}

bool TerminationRequested() {
    return requested.load();
}

}  // namespace plat
