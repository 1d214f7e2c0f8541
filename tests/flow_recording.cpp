#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <ctime>
#include <optional>
#include <string>

#include "flow/recording.h"
#include "flow/session.h"
#include "flow/startup.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "shell/frmmain.h"

namespace {

// Sets an environment variable, or unsets it for nullopt, until the end of the scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, std::optional<QByteArray> value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) before_ = qgetenv(name);
        Set(value);
    }
    ~ScopedEnv() { Set(before_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    void Set(const std::optional<QByteArray>& value) {
        if (value)
            qputenv(name_, *value);
        else
            qunsetenv(name_);
    }
    const char* name_;
    std::optional<QByteArray> before_;
};

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// A relative XDG_DATA_HOME is not a place; with no usable HOME either the user's entry in the
// password database serves, as it does for the settings.
TEST(RecordingsFolder, FromXdgDataHomeElseHomeElseThePasswordDatabase) {
    const passwd* user = getpwuid(getuid());
    ASSERT_NE(user, nullptr);
    const std::string own = std::string(user->pw_dir) + "/.local/share/Nibbly/replays";
    const struct {
        const char* name;
        std::optional<QByteArray> data, home;
        std::string folder;
    } rows[] = {
        {"data-home", "/srv/data", "/home/player", "/srv/data/Nibbly/replays"},
        {"relative-data-home", "data", "/home/player", "/home/player/.local/share/Nibbly/replays"},
        {"home", std::nullopt, "/home/player", "/home/player/.local/share/Nibbly/replays"},
        {"home-unset", std::nullopt, std::nullopt, own},
        {"home-empty", "", "", own},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ScopedEnv data("XDG_DATA_HOME", row.data), home("HOME", row.home);
        EXPECT_EQ(RecordingsFolder(), row.folder);
    }
}

// Only regular files of the game's own names are counted or removed, those of earlier versions
// among them; the newest 20 stay, and the 5 best scores.
TEST(PruneRecordings, CountsAndRemovesOnlyTheGamesOwn) {
    QTemporaryDir dir;
    const auto at = [&](const QString& name) { return dir.filePath(name); };
    // The oldest, of an earlier version, holds the best score; then six of high scores, the
    // last cut short, and twenty newer ones of low scores.
    QStringList ours = {"2026-12-08_19-44-59_1000.replay"};
    const QStringList oldest = {"900", "800", "700", "600", "500", "cut"};
    for (int i = 0; i < 26; ++i) {
        ours << QString("2026-12-08_19-45-%1_%2P_speed%3_%4.replay")
                    .arg(i, 2, 10, QChar('0'))
                    .arg(i % 2 + 1)
                    .arg(1 << (i % 3))
                    .arg(i < 6 ? oldest[i] : QString::number(i));
    }
    for (const QString& name : ours) Write(at(name), "ours");
    const QStringList players = {
        "1st_try.replay", "friend_99999.replay", "2026-12-08_19-44-00_07.replay",
        "2026-12-08_19-44-01_5.replay.bak", "2026-12-08_19-44-02_5.part.replay",
        "2026-12-08_19-44-05_3P_speed1_5.replay", "2026-12-08_19-44-06_1P_speed1_cut.part",
        "2026-12-08_19-44-07_cut.replay"};
    for (const QString& name : players) Write(at(name), "the player's");
    ASSERT_TRUE(QDir(dir.path()).mkdir("2026-12-08_19-44-03_99999.replay"));
    ASSERT_EQ(symlink("1st_try.replay", at("2026-12-08_19-44-04_99999.replay").toLocal8Bit()), 0);

    PruneRecordings(dir.path().toStdString(), 20, 5);

    for (const QString& name : players)
        EXPECT_EQ(Read(at(name)), "the player's") << name.toStdString();
    EXPECT_TRUE(QFileInfo(at("2026-12-08_19-44-03_99999.replay")).isDir());
    EXPECT_TRUE(QFileInfo(at("2026-12-08_19-44-04_99999.replay")).isSymLink());
    for (int i = 0; i < ours.size(); ++i) {
        const bool gone = i == 5 || i == 6;  // the sixth best score, and the one cut short
        EXPECT_EQ(QFile::exists(at(ours[i])), !gone) << ours[i].toStdString();
    }
}

// A run of the window, recorded by default into its own data folder.
class DefaultRecording : public testing::Test {
  protected:
    void SetUp() override { plat::UseMemorySettings(); }
    void TearDown() override { plat::UseUserSettings(); }

    // Starts the window, does what play says and closes it.
    void Run(const std::function<void(FrmMain&)>& play) {
        Session session({});
        FrmMain form;
        session.Attach(form);
        LoadMainWindow(form);
        session.Begin();
        play(form);
        session.End();
        session.Detach();
    }

    QStringList Entries() const {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir data;
    ScopedEnv env{"XDG_DATA_HOME", data.path().toUtf8()};
    QString folder = data.filePath("Nibbly/replays");
};

TEST_F(DefaultRecording, KeptOnlyWhenAGameStarted) {
    Run([](FrmMain&) {});
    EXPECT_EQ(Entries(), QStringList());

    Run([](FrmMain& form) { emit form.XPButton4.Click(); });
    const QStringList kept = Entries();
    ASSERT_EQ(kept.size(), 1);
    const std::optional<RecordingName> name = ParseRecordingName(kept[0].toStdString());
    ASSERT_TRUE(name);
    EXPECT_FALSE(name->partial);
    EXPECT_TRUE(Read(folder + "/" + kept[0]).contains(" click XPButton4\n"));
}

// One cut short is kept; one still being written, and anything not quite of that name, is not
// touched.
TEST_F(DefaultRecording, OneCutShortIsKeptAtTheNextStart) {
    ASSERT_TRUE(QDir().mkpath(folder));
    Write(folder + "/2026-12-08_19-45-12_4242.part", "# killed\n");
    Write(folder + "/2026-12-08_19-45-15_2P_speed4_4245.part", "# killed in a game\n");
    Write(folder + "/2026-12-08_19-45-13_4243.part", "# still running\n");
    const int running = open((folder + "/2026-12-08_19-45-13_4243.part").toLocal8Bit(), O_RDONLY);
    ASSERT_EQ(flock(running, LOCK_EX), 0);
    Write(folder + "/notes.part", "the player's");
    ASSERT_EQ(symlink("notes.part", (folder + "/2026-12-08_19-45-14_4244.part").toLocal8Bit()), 0);

    Run([](FrmMain&) {});
    close(running);

    EXPECT_EQ(Entries(),
              (QStringList{"2026-12-08_19-45-12_0.replay", "2026-12-08_19-45-13_4243.part",
                           "2026-12-08_19-45-14_4244.part", "2026-12-08_19-45-15_2P_speed4_cut.replay",
                           "notes.part"}));
    EXPECT_EQ(Read(folder + "/2026-12-08_19-45-12_0.replay"), "# killed\n");
    EXPECT_EQ(Read(folder + "/notes.part"), "the player's");
}

// A link planted at the name the recording will have is never written through.
TEST_F(DefaultRecording, NeverWritesThroughALinkAtItsName) {
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString player = data.filePath("player.txt");
    Write(player, "the player's");
    const std::time_t now = std::time(nullptr);
    for (const std::time_t when : {now, now + 1}) {
        const std::string name = NameOf({plat::LocalStamp(when), GameMode(1, 1), getpid(), true});
        ASSERT_EQ(symlink(player.toLocal8Bit(), (folder.toStdString() + "/" + name).c_str()), 0);
    }

    Run([](FrmMain& form) { emit form.XPButton4.Click(); });

    EXPECT_EQ(Read(player), "the player's");
    EXPECT_EQ(Entries().size(), 2);
}

}  // namespace
