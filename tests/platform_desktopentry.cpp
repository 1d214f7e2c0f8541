#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>

#include "platform/desktopentry.h"

namespace {

TEST(DesktopEntry, IdAndTheIconSizesFoundInTheFolder) {
    QTemporaryDir folder;
    for (const int size : {16, 48}) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::yellow);
        ASSERT_TRUE(image.save(folder.filePath(QString("icon-%1.png").arg(size))));
    }

    plat::UseDesktopEntry("org.example.nibbly");
    plat::UseProgramIcon(folder.path().toStdString());

    EXPECT_EQ(QGuiApplication::desktopFileName(), "org.example.nibbly");
    const QList<QSize> sizes = QGuiApplication::windowIcon().availableSizes();
    EXPECT_EQ(sizes, (QList<QSize>{{16, 16}, {48, 48}}));
    QGuiApplication::setWindowIcon({});
}

}  // namespace
