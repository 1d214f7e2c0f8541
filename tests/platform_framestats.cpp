// The frame-pacing record: what the benchmark script reads back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include "child_env.h"
#include "platform/framestats.h"
#include "platform/keyboard.h"

namespace {

QStringList Lines(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString Kinds(const QStringList& lines) {
    QStringList kinds;
    for (const QString& line : lines) kinds << line.section(' ', 0, -2);
    return kinds.join(", ");
}

TEST(FrameStats, RecordsPressesTheirFirstReadingAndRepaints) {
    QTemporaryDir folder;
    const QString path = folder.filePath("frames.txt");
    ASSERT_EQ(plat::StartFrameStats(path.toStdString()), "");
    plat::KeyPressed(plat::vbKeyLeft);
    plat::GetAsyncKeyState(plat::vbKeyLeft);
    plat::GetAsyncKeyState(plat::vbKeyLeft);  // still held, but no longer news
    plat::KeyReleased(plat::vbKeyLeft);
    plat::RecordTimer("tick", "tmrKeyBoard");
    QWidget window;
    window.resize(40, 30);
    window.show();
    window.update();
    QCoreApplication::sendPostedEvents(&window, QEvent::UpdateRequest);
    EXPECT_TRUE(plat::StopFrameStats());

    const QStringList lines = Lines(path);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(Kinds(lines.mid(0, 4)), "key 37, seen 37, tick tmrKeyBoard, frame");
    // Times come from one monotonic clock, in order.
    qint64 last = 0;
    for (const QString& line : lines) {
        const qint64 t = line.section(' ', -1).toLongLong();
        EXPECT_GE(t, last) << line.toStdString();
        last = t;
    }
}

TEST(FrameStats, AFileThatCannotBeWrittenIsRefused) {
    EXPECT_NE(plat::StartFrameStats("/nonexistent-folder/frames.txt"), "");
    QProcess game;
    QTemporaryDir tmp;
    // Its own folders: no other copy of the game counts as running.
    QProcessEnvironment env = childenv::OwnFolders(tmp.path());
    env.insert("TMPDIR", tmp.path());
    game.setProcessEnvironment(env);
    game.start(NIBBLY_BIN_DIR "/nibbly", {"--frame-stats", "/nonexistent-folder/frames.txt"});
    ASSERT_TRUE(game.waitForFinished(20000));
    EXPECT_EQ(game.exitCode(), 2);
    EXPECT_TRUE(game.readAllStandardError().contains("--frame-stats needs a file it can write"));
}

}  // namespace
