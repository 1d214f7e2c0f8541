#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/singleinstance.h"

namespace {

using Claim = plat::SingleInstance::Claim;

constexpr const char* kName = "Nibbly";

// Delivers what the sockets have queued; a local connection is queued at once, so a
// handful of passes is plenty.
void DeliverPending() {
    for (int pass = 0; pass < 10; ++pass) QCoreApplication::processEvents();
}

// Runs body in a child process that then dies without cleaning up, as a killed game.
void InAKilledProcess(const std::function<void()>& body) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
}

class SingleInstanceTest : public testing::Test {
  protected:
    std::string Folder() const { return dir.filePath("Nibbly").toStdString(); }

    QTemporaryDir dir;
};

TEST_F(SingleInstanceTest, SecondCopyFindsTheLockTakenAndTheFirstGetsIt) {
    plat::SingleInstance first(Folder(), kName);
    ASSERT_EQ(first.Take(), Claim::Owner);
    EXPECT_EQ(first.LockPath(), Folder() + "/Nibbly.lock");
    std::vector<std::string> tokens;
    ASSERT_TRUE(first.Listen([&](const std::string& token) { tokens.push_back(token); }));

    // The desktop's activation token travels with the request; without one, none does.
    plat::SingleInstance second(Folder(), kName);
    EXPECT_EQ(second.Take(), Claim::Taken);
    qputenv("XDG_ACTIVATION_TOKEN", "token-of-the-second-start");
    EXPECT_TRUE(second.ActivateRunning());
    qunsetenv("XDG_ACTIVATION_TOKEN");
    DeliverPending();
    EXPECT_EQ(tokens, std::vector<std::string>{"token-of-the-second-start"});

    EXPECT_TRUE(plat::SingleInstance(Folder(), kName).ActivateRunning());
    DeliverPending();
    EXPECT_EQ(tokens, (std::vector<std::string>{"token-of-the-second-start", ""}));
}

TEST_F(SingleInstanceTest, OtherFoldersAreOtherCopies) {
    plat::SingleInstance first(Folder(), kName);
    ASSERT_EQ(first.Take(), Claim::Owner);
    ASSERT_TRUE(first.Listen([](const std::string&) {}));

    plat::SingleInstance elsewhere(dir.filePath("Other").toStdString(), kName);
    EXPECT_EQ(elsewhere.Take(), Claim::Owner);
    EXPECT_FALSE(
        plat::SingleInstance(dir.filePath("Third").toStdString(), kName).ActivateRunning());
}

TEST_F(SingleInstanceTest, NoListenerMeansNoActivation) {
    plat::SingleInstance first(Folder(), kName);
    ASSERT_EQ(first.Take(), Claim::Owner);
    EXPECT_FALSE(plat::SingleInstance(Folder(), kName).ActivateRunning());
}

TEST_F(SingleInstanceTest, KilledCopyLeavesNothingThatBlocks) {
    InAKilledProcess([this] {
        plat::SingleInstance killed(Folder(), kName);
        if (killed.Take() != Claim::Owner || !killed.Listen([](const std::string&) {})) _exit(1);
        // No destructors: the lock file and the socket stay behind.
        _exit(0);
    });
    ASSERT_TRUE(QFile::exists(QString::fromStdString(Folder() + "/Nibbly.lock")));

    plat::SingleInstance next(Folder(), kName);
    ASSERT_EQ(next.Take(), Claim::Owner);
    int activations = 0;
    ASSERT_TRUE(next.Listen([&](const std::string&) { ++activations; }));
    EXPECT_TRUE(plat::SingleInstance(Folder(), kName).ActivateRunning());
    DeliverPending();
    EXPECT_EQ(activations, 1);
}

// Callers that connect and never hang up: their descriptors would be the game's last ones.
TEST_F(SingleInstanceTest, ServesAFewCallersAtOnceAndTheRestLater) {
    const std::optional<QByteArray> before = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")
                                                 ? std::optional(qgetenv("XDG_RUNTIME_DIR"))
                                                 : std::nullopt;
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    plat::SingleInstance first(Folder(), kName);
    ASSERT_EQ(first.Take(), Claim::Owner);
    int activations = 0;
    ASSERT_TRUE(first.Listen([&](const std::string&) { ++activations; }));
    const QStringList sockets = QDir(dir.path()).entryList({"*.socket"}, QDir::System);
    ASSERT_EQ(sockets.size(), 1);
    const std::string path = dir.filePath(sockets[0]).toStdString();
    const auto descriptors = [] { return QDir("/proc/self/fd").entryList(QDir::System).size(); };

    const qsizetype open = descriptors();
    std::vector<int> holding;
    for (int i = 0; i < 100; ++i) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            holding.push_back(fd);
        } else {
            close(fd);  // the queue is full
        }
        DeliverPending();
    }
    ASSERT_GT(holding.size(), 20u);
    EXPECT_LE(descriptors() - open - static_cast<qsizetype>(holding.size()), 16);

    for (const int fd : holding) close(fd);
    for (int pass = 0; pass < 20; ++pass) DeliverPending();
    EXPECT_EQ(activations, static_cast<int>(holding.size()));
    EXPECT_TRUE(plat::SingleInstance(Folder(), kName).ActivateRunning());
    DeliverPending();
    EXPECT_EQ(activations, static_cast<int>(holding.size()) + 1);
    if (before)
        qputenv("XDG_RUNTIME_DIR", *before);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

// Whatever a lock file holds, or however large it is, only the kernel's lock on it counts.
TEST_F(SingleInstanceTest, LeftBehindLockFilesAreHarmless) {
    const std::string lock = Folder() + "/Nibbly.lock";
    const struct {
        const char* name;
        QByteArray bytes;
        qint64 size;
    } rows[] = {
        {"empty", {}, 0},
        {"garbage", "\x01\xff not a lock\n", -1},
        {"a running process's", "1\nNibbly\nlocalhost\n", -1},
        {"sparse, 2 GB", {}, qint64{2} << 30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Folder())));
        QFile file(QString::fromStdString(lock));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(row.bytes);
        if (row.size >= 0) {
            ASSERT_TRUE(file.resize(row.size));
        }
        file.close();

        plat::SingleInstance first(Folder(), kName);
        EXPECT_EQ(first.Take(), Claim::Owner);
        EXPECT_EQ(plat::SingleInstance(Folder(), kName).Take(), Claim::Taken);
    }
}

// Too long for a socket address, or missing: a private folder of the user's serves instead.
TEST_F(SingleInstanceTest, BringsForwardWithoutAUsableRuntimeFolder) {
    const std::optional<QByteArray> before = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")
                                                 ? std::optional(qgetenv("XDG_RUNTIME_DIR"))
                                                 : std::nullopt;
    const QString deep = dir.filePath(QString(123 - dir.path().size() - 1, 'r'));
    ASSERT_TRUE(QDir().mkpath(deep));
    for (const std::optional<QString>& runtime : {std::optional(deep), std::optional<QString>()}) {
        SCOPED_TRACE(runtime.value_or("unset").size());
        if (runtime)
            qputenv("XDG_RUNTIME_DIR", runtime->toUtf8());
        else
            qunsetenv("XDG_RUNTIME_DIR");
        plat::SingleInstance first(Folder(), kName);
        ASSERT_EQ(first.Take(), Claim::Owner);
        int activations = 0;
        EXPECT_TRUE(first.Listen([&](const std::string&) { ++activations; }));
        EXPECT_TRUE(plat::SingleInstance(Folder(), kName).ActivateRunning());
        DeliverPending();
        EXPECT_EQ(activations, 1);
    }
    if (before)
        qputenv("XDG_RUNTIME_DIR", *before);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

// Only the socket it bound is ever removed: a file of the player's put at its name, before
// the start or while the game runs, stays.
TEST_F(SingleInstanceTest, RemovesOnlyItsOwnSocket) {
    QTemporaryDir runtime;
    const std::optional<QByteArray> before = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")
                                                 ? std::optional(qgetenv("XDG_RUNTIME_DIR"))
                                                 : std::nullopt;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const auto socketPath = [&] {
        const QStringList sockets = QDir(runtime.path()).entryList({"*.socket"}, QDir::System);
        return sockets.size() == 1 ? runtime.filePath(sockets[0]) : QString();
    };
    const auto replace = [](const QString& path) {
        ASSERT_TRUE(QFile::remove(path));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the player's");
    };
    QString path;
    {
        plat::SingleInstance running(Folder(), kName);
        ASSERT_EQ(running.Take(), Claim::Owner);
        ASSERT_TRUE(running.Listen([](const std::string&) {}));
        path = socketPath();
        ASSERT_FALSE(path.isEmpty());
        replace(path);
    }
    {
        plat::SingleInstance next(Folder(), kName);
        ASSERT_EQ(next.Take(), Claim::Owner);
        EXPECT_FALSE(next.Listen([](const std::string&) {}));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "the player's");
    if (before)
        qputenv("XDG_RUNTIME_DIR", *before);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

TEST_F(SingleInstanceTest, FolderThatCannotHoldALockRunsUnguarded) {
    // A regular file where the folder should be: nothing can be made inside it, not even by
    // root, for whom a read-only folder is no obstacle.
    QFile blocker(QString::fromStdString(Folder()));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    plat::SingleInstance instance(Folder(), kName);
    EXPECT_EQ(instance.Take(), Claim::Unguarded);
    EXPECT_EQ(plat::SingleInstance(Folder(), kName).Take(), Claim::Unguarded);
}

TEST_F(SingleInstanceTest, PipeOrLinkInPlaceOfTheLockRunsUnguardedWithoutBlocking) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Folder())));
    const std::string lock = Folder() + "/Nibbly.lock";
    // Reading a pipe's content would wait for a writer that never comes.
    ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0);
    EXPECT_EQ(plat::SingleInstance(Folder(), kName).Take(), Claim::Unguarded);

    ASSERT_EQ(unlink(lock.c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", lock.c_str()), 0);
    EXPECT_EQ(plat::SingleInstance(Folder(), kName).Take(), Claim::Unguarded);
}

}  // namespace
