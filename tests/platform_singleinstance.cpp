#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
