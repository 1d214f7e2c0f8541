#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow/tick.h"
#include "game_board.h"

namespace game_test {
namespace {

using Names = std::vector<std::string>;

// The board with one dot left, at (2, 1), right ahead of the player on the centre of (1, 1).
void OneDotLeft(Board& board) {
    for (int row = 0; row < 31; ++row)
        for (int col = 0; col < 28; ++col)
            if (Maze[col][row].Item > 0) Maze[col][row].Item = 0;
    Maze[2][1].Item = 1;
    Game.DotsLeft = 1;
    board.Lift();
    board.PutPlayer(24, 24, kRight);
    board.Drop();
    board.form.tmrKeyBoard.SetEnabled(true);
}

// The fruit of a level drawn with its mask over what lay beneath.
QImage FruitOver(const QImage& under, const QImage& sheet, int level) {
    const int sx = ((level - 1) % 4) * 32;
    const int sy = 256 + ((level - 1) / 4) * 32;
    return Masked(under, sheet, sx, sy, sx + 128, sy);
}

TEST(GameTick, ClearingTheBoardStartsTheNextLevel) {
    struct Row {
        const char* name;
        int level, lives, score;
        int wantLevel, wantLives, wantScore;
        Names wantSounds;
    };
    const Row rows[] = {
        {"level2-lives1-raised-to-3", 2, 1, 500, 3, 3, 1510, {"eatpill", "startMusic"}},
        {"lives2-raised-to-3", 1, 2, 0, 2, 3, 1010, {"eatpill", "startMusic"}},
        {"lives4-kept", 1, 4, 0, 2, 4, 1010, {"eatpill", "startMusic"}},
        {"level7-to-8", 7, 3, 0, 8, 3, 1010, {"eatpill", "startMusic"}},
        {"level8-stays-8", 8, 3, 0, 8, 3, 1010, {"eatpill", "startMusic"}},
        // Lives go up to 3 first; the bonus then earns the fourth.
        {"bonus-extra-life", 1, 1, 8990, 2, 4, 10000, {"eatpill", "extralife", "startMusic"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board;
        Game.Level = static_cast<std::int16_t>(row.level);
        Game.Lives = static_cast<std::int16_t>(row.lives);
        Game.Score = row.score;
        Game.TickCount = 1234;
        Game.FruitShown = kTrue;
        Game.FruitGone = kFalse;
        OneDotLeft(board);

        tmrKeyBoard_Timer();

        EXPECT_EQ(Game.Level, row.wantLevel);
        EXPECT_EQ(Game.Lives, row.wantLives);
        EXPECT_EQ(Game.Score, row.wantScore);
        EXPECT_EQ(board.form.lblScore.Caption(), std::to_string(row.wantScore));
        EXPECT_EQ(board.sounds, row.wantSounds);
        EXPECT_EQ(Game.TickCount, 0);
        EXPECT_EQ(Game.NewLevel, kTrue);
        EXPECT_EQ(Game.FruitShown, kFalse);
        EXPECT_EQ(Game.FruitGone, kFalse);
        EXPECT_EQ(Game.DotsLeft, 244);
        EXPECT_EQ(Maze[2][1].Item, 1);
        EXPECT_EQ(Maze[3][1].Item, 1);
        EXPECT_EQ(Game.GobX, 224);
        EXPECT_EQ(Game.GobY, 376);
        EXPECT_EQ(Game.GobDir, kRight);
        EXPECT_EQ(Ghosts[2].Y, 240);
        EXPECT_FALSE(board.form.tmrKeyBoard.Enabled());
        EXPECT_TRUE(board.form.tmrReady.Enabled());
        ExpectStats(board, row.wantLives, row.wantLevel);

        // A full fresh board with the actors at their start places.
        board.Lift();
        EXPECT_TRUE(SameImage(board.Screen(), board.BareBoard()));
    }
}

// The death wins over the cleared board; the level ends on the next tick of play.
TEST(GameTick, LastItemEatenAndCaughtInOneTickIsADeath) {
    Board board;
    OneDotLeft(board);
    board.Lift();
    board.PutGhost(1, 40, 24, kLeft);
    board.Drop();

    tmrKeyBoard_Timer();

    EXPECT_EQ(Game.Lives, 2);
    EXPECT_EQ(Game.Level, 1);
    EXPECT_EQ(Game.DotsLeft, 0);
    EXPECT_EQ(Game.GobCaught, kFalse);
    EXPECT_EQ(Game.Score, 10);
    EXPECT_EQ(board.sounds, (Names{"eatpill", "killed (wait)"}));
    EXPECT_TRUE(board.form.tmrReady.Enabled());
    EXPECT_FALSE(board.form.tmrKeyBoard.Enabled());
}

TEST(GameTick, CaughtTickDrawsNothingBeforeGobDied) {
    Board board;
    board.Lift();
    board.PutGhost(1, 240, 376, kLeft);  // meets the player one step right of its start
    board.Drop();
    board.form.tmrKeyBoard.SetEnabled(true);
    const QImage before = board.Screen();
    QImage atCatch;
    board.onSound = [&](const std::string& name) {
        if (name == "killed") atCatch = board.Screen();
    };
    const std::int16_t flashPhase = Game.FlashPhase;

    tmrKeyBoard_Timer();

    EXPECT_EQ(board.sounds, Names{"killed (wait)"});
    EXPECT_TRUE(SameImage(atCatch, before)) << "the frame stays frozen while the sound plays";
    EXPECT_EQ(Game.Lives, 2);
    EXPECT_EQ(Game.FlashPhase, flashPhase) << "DrawSprites ran";
    EXPECT_EQ(Game.GobX, 224);
    EXPECT_EQ(Ghosts[0].Roaming, kFalse);
    // Only the start-place drawing of the reset is on the board: no fragment of the
    // actors at the places of the catch.
    board.Lift();
    EXPECT_TRUE(SameImage(board.Screen(), board.BareBoard()));
}

TEST(GameTick, FruitShowsFromTickNToTickM) {
    struct Row {
        const char* name;
        int speed, n, m;
    };
    const Row rows[] = {
        {"fruit-speed1", 1, 4000, 5000},
        {"fruit-speed2", 2, 2000, 2500},
        {"fruit-speed4", 4, 1000, 1250},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board(row.speed);
        Game.Level = 2;
        board.form.tmrKeyBoard.SetEnabled(true);
        const QImage bare = Block(board.BareBoard(), 216, 264);
        const QImage fruit = FruitOver(bare, board.form.pctTiles.Image(), 2);
        auto fruitBlock = [&] { return Block(board.Screen(), 216, 264); };

        Game.TickCount = row.n - 2;
        tmrKeyBoard_Timer();
        EXPECT_EQ(Game.FruitShown, kFalse);
        EXPECT_TRUE(SameImage(fruitBlock(), bare));

        tmrKeyBoard_Timer();
        EXPECT_EQ(Game.TickCount, row.n);
        EXPECT_EQ(Game.FruitShown, kTrue);
        EXPECT_EQ(Game.FruitGone, kFalse);
        EXPECT_TRUE(SameImage(fruitBlock(), fruit));

        Game.TickCount = row.m - 1;
        tmrKeyBoard_Timer();
        EXPECT_EQ(Game.TickCount, row.m);
        EXPECT_EQ(Game.FruitGone, kFalse);
        EXPECT_TRUE(SameImage(fruitBlock(), fruit));

        tmrKeyBoard_Timer();
        EXPECT_EQ(Game.TickCount, row.m + 1);
        EXPECT_EQ(Game.FruitShown, kTrue);
        EXPECT_EQ(Game.FruitGone, kTrue);
        EXPECT_TRUE(SameImage(fruitBlock(), bare));
    }
}

TEST(GameTick, EatenFruitLeavesTheScreenInTheSameTick) {
    Board board(4);
    Game.Level = 3;
    board.form.tmrKeyBoard.SetEnabled(true);
    Game.TickCount = 999;
    tmrKeyBoard_Timer();
    ASSERT_EQ(Game.FruitShown, kTrue);

    board.Lift();
    board.PutPlayer(248, 280, kLeft);  // 12 pixels from the fruit's centre after the move
    board.Drop();
    tmrKeyBoard_Timer();

    EXPECT_EQ(Game.GobX, 244);
    EXPECT_EQ(Game.Score, 1500);
    EXPECT_EQ(Game.FruitShown, kFalse);
    EXPECT_EQ(Game.FruitGone, kTrue);
    EXPECT_EQ(board.sounds, Names{"Fruiteat"});
    board.Lift();
    EXPECT_TRUE(SameImage(board.Screen(), board.BareBoard()));
}

// The cell whose item was eaten is copied from the bare maze even though the player's
// sprite covers some of it in the same frame.
TEST(GameTick, EatenCellIsWipedUnderThePlayer) {
    struct Row {
        const char* name;
        int speed, x, y, dir;
        std::vector<int> keys;
        int col, row;  // the cell eaten
    };
    const Row rows[] = {
        {"right-from-1-1", 1, 24, 24, kRight, {}, 2, 1},
        {"right-from-1-1-speed4", 4, 24, 24, kRight, {}, 2, 1},
        {"left-from-6-5", 1, 104, 88, kLeft, {}, 5, 5},
        {"down-from-6-5", 2, 104, 88, kDown, {}, 6, 6},
        {"up-from-6-5", 1, 104, 88, kUp, {}, 6, 4},
        {"turns-up-at-6-5", 1, 104, 88, kRight, {plat::vbKeyUp}, 6, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board(row.speed);
        board.Lift();
        board.PutPlayer(row.x, row.y, row.dir);
        board.Drop();
        board.form.tmrKeyBoard.SetEnabled(true);
        for (const int key : row.keys) plat::KeyPressed(key);

        tmrKeyBoard_Timer();

        EXPECT_EQ(Maze[row.col][row.row].Item, 0);
        EXPECT_EQ(Game.DotsLeft, 243);
        board.Lift();
        EXPECT_TRUE(SameImage(board.Screen(), board.BareBoard()));
    }
}

}  // namespace
}  // namespace game_test
