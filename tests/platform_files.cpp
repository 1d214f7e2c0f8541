#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// A prefix with bin/ and share/nibbly/, each holding the named files.
struct Prefix {
    QTemporaryDir root;
    std::string bin = root.filePath("bin").toStdString();
    std::string share = root.filePath("share/nibbly").toStdString();

    void Put(const std::string& folder, const char* name) const {
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
        QFile file(QString::fromStdString(folder + "/" + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
};

TEST(DataFolder, BesideTheExecutableFirstThenShareNibbly) {
    struct Row {
        const char* name;
        std::vector<const char*> beside, installed;
        bool expectInstalled;
    };
    const Row rows[] = {
        {"build-folder", {"nibbly", "level1.bmp"}, {}, false},
        {"installed", {"nibbly"}, {"level1.bmp", "eatpill.wav"}, true},
        {"portable-copy-beside-an-installation",
         {"nibbly", "eatpill.wav"},
         {"level1.bmp", "eatpill.wav"},
         false},
        {"nothing-anywhere", {"nibbly"}, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Prefix prefix;
        for (const char* name : row.beside) prefix.Put(prefix.bin, name);
        for (const char* name : row.installed) prefix.Put(prefix.share, name);

        EXPECT_EQ(plat::DataFolderFor(prefix.bin), row.expectInstalled ? prefix.share : prefix.bin);
    }
}

// A folder name that is not UTF-8 is kept as the bytes it is.
TEST(DataFolder, NamesThatAreNotUtf8) {
    const Prefix prefix;
    const std::string root = prefix.root.path().toStdString() + "/caf\xe9";
    for (const std::string& folder : {root, root + "/bin", root + "/share", root + "/share/nibbly"})
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0) << folder;
    const std::string data = root + "/share/nibbly";
    ASSERT_EQ(close(creat((data + "/Level1.BMP").c_str(), 0600)), 0);

    EXPECT_EQ(plat::DataFolderFor(root + "/bin"), data);
    EXPECT_EQ(plat::ResolveFile(data + "/level1.bmp"), data + "/Level1.BMP");
}

}  // namespace
