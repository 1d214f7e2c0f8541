#include <gtest/gtest.h>

#include "flow/roundflow.h"
#include "game/collisions.h"
#include "game_board.h"

namespace game_test {
namespace {

// Player 2 has started and is waiting on a board of its own with the level 2 fruit on it.
void WaitingPlayerWithFruit(bool fruitPresent) {
    NumPlayers = 2;
    CurPlayer = 0;
    for (auto& column : Maze)
        for (MazeCell& cell : column) cell.OtherItem = cell.Item;
    Players[1] = Game;
    Players[1].Level = 2;
    Players[1].Lives = 3;
    Players[1].NewLevel = kFalse;
    Players[1].FruitShown = fruitPresent ? kTrue : kFalse;
    Players[1].FruitGone = kFalse;
}

TEST(TurnSwitch, RepaintedBoardShowsTheIncomingPlayersFruit) {
    for (const bool present : {true, false}) {
        SCOPED_TRACE(present ? "fruit-present" : "no-fruit");
        Board board;
        WaitingPlayerWithFruit(present);
        Game.GobCaught = kTrue;

        GobDied();

        ASSERT_EQ(CurPlayer, 1);
        const QImage bare = Block(board.form.pctpicture.Image(), kFruitX, kFruitY);
        const QImage shown = Block(board.Screen(), kFruitX, kFruitY);
        const QImage& sheet = board.form.pctTiles.Image();
        // Level 2's fruit: second cell of the first fruit row.
        const QImage fruit = Masked(bare, sheet, 32, 256, 32 + 128, 256);
        EXPECT_TRUE(SameImage(shown, present ? fruit : bare));
    }
}

TEST(NewGame, StartsWithoutTheLastGamesFruit) {
    Board board;
    Game.FruitShown = kTrue;
    Game.FruitGone = kFalse;
    Game.TickCount = 4500;

    ASSERT_TRUE(StartGame());
    board.PutPlayer(232, 280, kRight);
    const std::int32_t score = Game.Score;
    CheckCollisions();

    EXPECT_EQ(Game.FruitShown, kFalse);
    EXPECT_EQ(Game.Score, score);
    EXPECT_TRUE(SameImage(Block(board.Screen(), kFruitX, kFruitY),
                          Block(board.form.pctpicture.Image(), kFruitX, kFruitY)));
}

}  // namespace
}  // namespace game_test
