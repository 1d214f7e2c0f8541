#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/files.h"

namespace {

class ResolveFileTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"EatPill.WAV", "level1.bmp"}) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }

    std::string In(const char* name) const { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
};

TEST_F(ResolveFileTest, ExactNameIsKept) {
    EXPECT_EQ(plat::ResolveFile(In("EatPill.WAV")), In("EatPill.WAV"));
}

TEST_F(ResolveFileTest, OtherCaseFindsTheFile) {
    EXPECT_EQ(plat::ResolveFile(In("eatpill.wav")), In("EatPill.WAV"));
    EXPECT_EQ(plat::ResolveFile(In("LEVEL1.BMP")), In("level1.bmp"));
}

TEST_F(ResolveFileTest, NoMatchGivesThePathBack) {
    EXPECT_EQ(plat::ResolveFile(In("eatpill.wa")), In("eatpill.wa"));
    EXPECT_EQ(plat::ResolveFile(In("nowhere/level1.bmp")), In("nowhere/level1.bmp"));
}

TEST_F(ResolveFileTest, RelativePathKeepsItsForm) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const std::string resolved = plat::ResolveFile("LEVEL1.bmp");
    QDir::setCurrent(previous);

    EXPECT_EQ(resolved, "level1.bmp");
}

TEST(AppPath, OverrideDropsTrailingSeparatorAndEmptyRestores) {
    plat::SetAppPath("/tmp/nibbly/");
    EXPECT_EQ(plat::AppPath(), "/tmp/nibbly");
    plat::SetAppPath("");
    EXPECT_EQ(plat::AppPath(), QCoreApplication::applicationDirPath().toStdString());
}

}  // namespace
