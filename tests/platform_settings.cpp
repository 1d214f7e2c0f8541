#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <ctime>
#include <optional>

#include "platform/settings.h"

namespace {

using Section = std::map<std::string, std::string>;

class SettingsFileTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        plat::UseSettingsFile(path.toStdString());
    }
    void TearDown() override { plat::UseUserSettings(); }

    void WriteFile(const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray FileText() const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString path = dir.filePath("nibbly.ini");
};

TEST_F(SettingsFileTest, SavedValuesReadBackAsPlainText) {
    plat::SaveSetting("Nibbly", "Scores", "High", "2445");
    plat::SaveSetting("Nibbly", "Scores", "Coins", "3");
    plat::SaveSetting("Nibbly", "Window", "frmMainX", "-120");

    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "High", "0"), "2445");
    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "Missing", "7"), "7");
    EXPECT_EQ(plat::GetAllSettings("Nibbly", "Scores"),
              (Section{{"Coins", "3"}, {"High", "2445"}}));
    EXPECT_EQ(plat::GetAllSettings("Nibbly", "Nowhere"), Section{});
    const QByteArray text = FileText();
    EXPECT_TRUE(text.contains("[Scores]\nCoins=3\nHigh=2445\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("frmMainX=-120")) << text.toStdString();
}

TEST_F(SettingsFileTest, OverwritingKeepsOtherKeys) {
    plat::SaveSetting("Nibbly", "Scores", "High", "100");
    plat::SaveSetting("Nibbly", "Scores", "Coins", "1");
    plat::SaveSetting("Nibbly", "Scores", "High", "200");

    EXPECT_EQ(plat::GetAllSettings("Nibbly", "Scores"), (Section{{"Coins", "1"}, {"High", "200"}}));
}

TEST_F(SettingsFileTest, FileInMissingFolderIsCreated) {
    const QString nested = dir.filePath("config/nibbly/nibbly.ini");
    plat::UseSettingsFile(nested.toStdString());

    plat::SaveSetting("Nibbly", "Scores", "High", "5");

    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "High", "0"), "5");
    EXPECT_TRUE(QFile::exists(nested));
}

TEST_F(SettingsFileTest, JunkFileReadsAsEmptyAndTakesNewValues) {
    WriteFile(QByteArray("\x00\xff\x13[\x7f\x01\n\xfe=\x02\n[\xfa", 13));

    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "High", "0"), "0");
    EXPECT_EQ(plat::GetAllSettings("Nibbly", "Scores"), Section{});

    plat::SaveSetting("Nibbly", "Scores", "Coins", "4");
    EXPECT_EQ(plat::GetAllSettings("Nibbly", "Scores"), (Section{{"Coins", "4"}}));
}

TEST_F(SettingsFileTest, DamagedLineCostsOnlyItself) {
    WriteFile("[Scores]\nHigh=12\n\x01\x02 garbage\nCoins=2\n");

    EXPECT_EQ(plat::GetAllSettings("Nibbly", "Scores"), (Section{{"Coins", "2"}, {"High", "12"}}));
}

TEST_F(SettingsFileTest, StoreThatIsAFolderReadsAsEmptyAndIgnoresWrites) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("nibbly.ini"));

    plat::SaveSetting("Nibbly", "Scores", "High", "9");

    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "High", "0"), "0");
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(SettingsFileTest, ReadsWhatOtherEditorsWriteAndKeepsBlanksAndQuotes) {
    WriteFile("\xEF\xBB\xBF[Scores]\r\n; comment\r\n  High = 12 \r\nName=\" padded \"\r\n");

    EXPECT_EQ(plat::GetAllSettings("Nibbly", "Scores"),
              (Section{{"High", "12"}, {"Name", " padded "}}));

    plat::SaveSetting("Nibbly", "Scores", "Quote", "\"x\"");
    EXPECT_EQ(plat::GetAllSettings("Nibbly", "Scores"),
              (Section{{"High", "12"}, {"Name", " padded "}, {"Quote", "\"x\""}}));
}

TEST_F(SettingsFileTest, TextThatWouldBreakTheFileIsNotSaved) {
    plat::SaveSetting("Nibbly", "Scores", "High", "1");
    testing::internal::CaptureStderr();

    plat::SaveSetting("Nibbly", "Scores", "High", "2\n[Other]");
    plat::SaveSetting("Nibbly", "Scores", "A=B", "3");

    EXPECT_NE(testing::internal::GetCapturedStderr().find("settings not saved"), std::string::npos);
    EXPECT_EQ(plat::GetAllSettings("Nibbly", "Scores"), (Section{{"High", "1"}}));
}

// Also clears what a killed save left, but not a save under way nor any file of the player's,
// however like a temporary its name looks.
TEST_F(SettingsFileTest, SaveKeepsTheFilesPermissionsAndLeavesNoTemporaryFile) {
    plat::SaveSetting("Nibbly", "Scores", "High", "1");
    ASSERT_EQ(chmod(path.toLocal8Bit(), 0640), 0);
    const timespec hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    for (const char* name : {"nibbly.ini.nibbly-save-Ab12Cd", "nibbly.ini.nibbly-save-Fresh1",
                             "nibbly.ini.backup", "nibbly.ini.orig01", "nibbly.ini.kept"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        if (!QByteArray(name).contains("Fresh")) {
            ASSERT_EQ(utimensat(AT_FDCWD, dir.filePath(name).toLocal8Bit(), hourAgo, 0), 0);
        }
    }

    plat::SaveSetting("Nibbly", "Scores", "High", "2");

    struct stat info {};
    ASSERT_EQ(stat(path.toLocal8Bit(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"nibbly.ini", "nibbly.ini.backup", "nibbly.ini.kept",
                           "nibbly.ini.nibbly-save-Fresh1", "nibbly.ini.orig01"}));
}

// A link is saved through to the file it names, wherever that is, and stays a link.
TEST_F(SettingsFileTest, SaveWritesThroughALinkToItsTarget) {
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath("real.ini");
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Scores]\nCoins=7\n");
    }
    ASSERT_TRUE(QFile::link(target, path));

    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "Coins", "0"), "7");
    plat::SaveSetting("Nibbly", "Scores", "High", "5");

    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(plat::GetAllSettings("Nibbly", "Scores"), (Section{{"Coins", "7"}, {"High", "5"}}));
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"real.ini"});
}

TEST_F(SettingsFileTest, DanglingLinkGetsItsTargetCreated) {
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath("sub/real.ini");
    ASSERT_TRUE(QFile::link(target, path));

    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "High", "0"), "0");
    plat::SaveSetting("Nibbly", "Scores", "High", "5");

    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_TRUE(QFileInfo(target).isFile());
    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "High", "0"), "5");
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

bool IsFifo(const QString& path) {
    struct stat info {};
    return stat(path.toLocal8Bit(), &info) == 0 && S_ISFIFO(info.st_mode);
}

bool IsCharDevice(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISCHR(info.st_mode);
}

// Neither blocks on reading nor replaces what is there; the save says why it did not write.
TEST_F(SettingsFileTest, PipeOrDeviceReadsAsEmptyAndIsNeverReplaced) {
    ASSERT_TRUE(IsCharDevice("/dev/null"));
    const QString pipe = dir.filePath("pipe");
    ASSERT_EQ(mkfifo(pipe.toLocal8Bit(), 0600), 0);
    const QString linkToPipe = dir.filePath("link-to-pipe.ini");
    ASSERT_TRUE(QFile::link(pipe, linkToPipe));
    const QString linkToNull = dir.filePath("link-to-null.ini");
    ASSERT_TRUE(QFile::link("/dev/null", linkToNull));

    for (const QString& store : {pipe, linkToPipe, linkToNull}) {
        SCOPED_TRACE(store.toStdString());
        plat::UseSettingsFile(store.toStdString());
        testing::internal::CaptureStderr();

        EXPECT_EQ(plat::GetSetting("Nibbly", "SetLog", "GameCoins", "9"), "9");
        EXPECT_EQ(plat::GetSetting("Nibbly", "SetLog", "GameHiScore", "1"), "1");
        plat::SaveSettings("Nibbly", "SetLog", {{"GameCoins", "3"}, {"GameHiScore", "5"}});

        // Said once when read and once when saved, each with the reason.
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Count(said, "cannot read the settings"), 1) << said;
        EXPECT_EQ(Count(said, "settings not saved"), 1) << said;
        EXPECT_EQ(Count(said, "not a regular file"), 2) << said;
        EXPECT_EQ(plat::GetSetting("Nibbly", "SetLog", "GameCoins", "9"), "9");
    }
    EXPECT_TRUE(IsFifo(pipe));
    EXPECT_TRUE(QFileInfo(linkToPipe).isSymLink());
    EXPECT_TRUE(QFileInfo(linkToNull).isSymLink());
    EXPECT_TRUE(IsCharDevice("/dev/null"));
}

TEST_F(SettingsFileTest, MemoryStoreLeavesTheFileAloneAndForgetsOnSwitch) {
    plat::SaveSetting("Nibbly", "Scores", "High", "10");
    plat::UseMemorySettings();

    plat::SaveSetting("Nibbly", "Scores", "High", "99");
    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "High", "0"), "99");
    EXPECT_EQ(plat::GetSetting("Other", "Scores", "High", "0"), "0");

    plat::UseSettingsFile(path.toStdString());
    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "High", "0"), "10");
    plat::UseMemorySettings();
    EXPECT_EQ(plat::GetSetting("Nibbly", "Scores", "High", "0"), "0");
}

// Kept as the bytes the system gave; a relative XDG_CONFIG_HOME is not a place.
TEST(UserSettingsFolder, FromXdgConfigHomeWhenAbsoluteElseHome) {
    const QByteArray home = qgetenv("HOME");
    const std::optional<QByteArray> config = qEnvironmentVariableIsSet("XDG_CONFIG_HOME")
                                                 ? std::optional(qgetenv("XDG_CONFIG_HOME"))
                                                 : std::nullopt;
    qputenv("HOME", "/home/player");
    const struct {
        const char* config;
        const char* folder;
    } rows[] = {
        {"/srv/conf", "/srv/conf/Nibbly"},
        {"/srv/caf\xe9", "/srv/caf\xe9/Nibbly"},
        {"conf", "/home/player/.config/Nibbly"},
        {"", "/home/player/.config/Nibbly"},
    };
    for (const auto& row : rows) {
        qputenv("XDG_CONFIG_HOME", row.config);
        EXPECT_EQ(plat::UserSettingsFolder("Nibbly"), row.folder) << row.config;
    }
    qputenv("HOME", home);
    if (config)
        qputenv("XDG_CONFIG_HOME", *config);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
