#include <gtest/gtest.h>

#include <QDir>
#include <iostream>
#include <string>

#include "flow/roundflow.h"
#include "game_board.h"

namespace game_test {
namespace {

using plat::vbKeyDown;
using plat::vbKeyLeft;
using plat::vbKeyRight;
using plat::vbKeyUp;

// A whole game through the real timers on the virtual clock, the held key changing every
// 300 ticks in a fixed pattern. The last frame is left in the temporary folder for a look.
TEST(GamePlay, HeldKeysPlayThousandsOfTicks) {
    Board board;
    ASSERT_TRUE(StartGame());
    EXPECT_EQ(board.sounds, std::vector<std::string>{"startMusic"});
    Game.Lives = 30;  // enough to play on through the catches

    const int pattern[] = {vbKeyLeft, vbKeyUp,   vbKeyRight, vbKeyDown, vbKeyRight, vbKeyUp,
                           vbKeyLeft, vbKeyDown, vbKeyUp,    vbKeyLeft, vbKeyDown,  vbKeyRight};
    constexpr int kPatternLength = sizeof pattern / sizeof pattern[0];
    int ticks = 0;
    int deaths = 0;
    board.clock.AfterFire = [&](const plat::Timer& timer) {
        if (&timer != &board.form.tmrKeyBoard) return;
        ++ticks;
        if (ticks % 300 == 0) Board::Hold({pattern[(ticks / 300) % kPatternLength]});
    };
    board.onSound = [&deaths](const std::string& name) { deaths += name == "killed"; };
    Board::Hold({pattern[0]});

    while (ticks < 3000 && GameRunning) board.clock.RunUntil(board.clock.Now() + 10);
    board.clock.AfterFire = {};

    const QString path = QDir::tempPath() + "/nibbly-play.png";
    EXPECT_TRUE(board.form.pctScreen.Image().save(path));
    std::cout << "[ play     ] " << ticks << " ticks, score " << Game.Score << ", " << Game.DotsLeft
              << " items left, level " << Game.Level << ", " << deaths << " deaths; last frame in "
              << path.toStdString() << '\n';

    EXPECT_EQ(ticks, 3000);
    EXPECT_EQ(GameRunning, kTrue);
    EXPECT_GT(Game.Score, 0);
    EXPECT_LT(Game.DotsLeft, 244);
    EXPECT_GE(Game.Score, 10 * (244 - Game.DotsLeft));
    EXPECT_TRUE(board.messages.empty());
}

}  // namespace
}  // namespace game_test
