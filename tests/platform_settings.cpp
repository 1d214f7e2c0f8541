#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

}  // namespace
