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

// Whatever is at the name, opening never blocks and never empties what is not a regular file.
TEST(OutputFile, OpensOnlyRegularOrNewFiles) {
    struct Row {
        const char* name;
        bool mustBeNew;
        bool opens;
    };
    const Row rows[] = {
        {"new", false, true},         {"new", true, true},
        {"regular", false, true},     {"regular", true, false},
        {"link-to-regular", false, true}, {"link-to-regular", true, false},
        {"fifo", false, false},       {"fifo-with-reader", false, false},
        {"folder", false, false},     {"link-to-fifo", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + (row.mustBeNew ? " new" : ""));
        QTemporaryDir dir;
        const std::string path = dir.filePath("out").toStdString();
        const std::string other = dir.filePath("other").toStdString();
        const std::string kind = row.name;
        int reader = -1;
        if (kind == "regular" || kind == "link-to-regular") {
            QFile file(QString::fromStdString(kind == "regular" ? path : other));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("the player's");
        }
        const bool fifo = kind.find("fifo") != std::string::npos;
        const bool link = kind.rfind("link-to", 0) == 0;
        if (fifo) {
            ASSERT_EQ(mkfifo((link ? other : path).c_str(), 0600), 0);
        }
        if (kind == "fifo-with-reader") reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
        if (kind == "folder") {
            ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
        }
        if (link) {
            ASSERT_EQ(symlink(other.c_str(), path.c_str()), 0);
        }

        std::string error;
        std::FILE* file = plat::OpenOutputFile(path, row.mustBeNew, error);
        EXPECT_EQ(file != nullptr, row.opens) << error;
        if (file) {
            std::fputs("ours", file);
            std::fclose(file);
        } else {
            EXPECT_FALSE(error.empty());
        }
        if (reader >= 0) close(reader);
        struct stat info {};
        const std::string target = link ? other : path;
        ASSERT_EQ(stat(target.c_str(), &info), 0);
        if (kind.find("regular") != std::string::npos) {
            QFile written(QString::fromStdString(target));
            ASSERT_TRUE(written.open(QIODevice::ReadOnly));
            EXPECT_EQ(written.readAll(), row.opens ? "ours" : "the player's");
        }
        if (fifo) {
            EXPECT_TRUE(S_ISFIFO(info.st_mode));
        }
    }
}

}  // namespace
