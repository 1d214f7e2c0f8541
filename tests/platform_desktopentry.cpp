#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QTranslator>

#include "platform/desktopentry.h"

namespace {

TEST(DesktopEntry, IdAndTheIconSizesFoundInTheFolder) {
    QTemporaryDir folder;
    for (const int size : {16, 48}) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::yellow);
        ASSERT_TRUE(image.save(folder.filePath(QString("icon-%1.png").arg(size))));
    }

    plat::UseDesktopEntry("org.example.nibbly", folder.path().toStdString());

    EXPECT_EQ(QGuiApplication::desktopFileName(), "org.example.nibbly");
    const QList<QSize> sizes = QGuiApplication::windowIcon().availableSizes();
    EXPECT_EQ(sizes, (QList<QSize>{{16, 16}, {48, 48}}));
    QGuiApplication::setWindowIcon({});
}

TEST(DesktopEntry, QtTextsInChinese) {
    plat::UseQtTexts("zh_CN");
    const QString yes = QCoreApplication::translate("QPlatformTheme", "&Yes");
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    // The mnemonic stays Y, so the keyboard answers the same in either language.
    EXPECT_EQ(yes, QString::fromUtf8("是(&Y)"));
}

}  // namespace
