#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // The suite never needs a screen or a sound device.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
