#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/basgobbler.h"
#include "game_board.h"

namespace game_test {
namespace {

using plat::vbKeyDown;
using plat::vbKeyLeft;
using plat::vbKeyRight;
using plat::vbKeyUp;

void Ticks(int n) {
    for (int i = 0; i < n; ++i) MoveGob();
}

struct MoveRow {
    const char* name;
    int speed;
    int x, y, dir;  // x < 0: the start place of a fresh life
    std::vector<int> keys;
    int ticks;
    int wantX, wantY, wantDir;
};

constexpr int kStart = -1;
const std::vector<int> kAllArrows = {vbKeyUp, vbKeyDown, vbKeyLeft, vbKeyRight};

const MoveRow kMoves[] = {
    // A fresh life starts half a cell short of the centre of (14, 23).
    {"left-from-start-speed1-before-centre", 1, kStart, 0, 0, {vbKeyLeft}, 8, 232, 376, kRight},
    {"left-from-start-speed1-turns", 1, kStart, 0, 0, {vbKeyLeft}, 9, 231, 376, kLeft},
    {"left-from-start-speed2-before-centre", 2, kStart, 0, 0, {vbKeyLeft}, 4, 232, 376, kRight},
    {"left-from-start-speed2-turns", 2, kStart, 0, 0, {vbKeyLeft}, 5, 230, 376, kLeft},
    {"left-from-start-speed4-before-centre", 4, kStart, 0, 0, {vbKeyLeft}, 2, 232, 376, kRight},
    {"left-from-start-speed4-turns", 4, kStart, 0, 0, {vbKeyLeft}, 3, 228, 376, kLeft},
    // Row 5 from (2, 5): the cells above (2..5, 5) are walls, (6, 5) is open upwards.
    {"up-held-passes-closed-centres", 1, 40, 88, kRight, {vbKeyUp}, 64, 104, 88, kRight},
    {"up-held-turns-at-first-open-centre", 1, 40, 88, kRight, {vbKeyUp}, 65, 104, 87, kUp},
    {"reverse-waits-for-centre", 1, 100, 88, kRight, {vbKeyLeft}, 4, 104, 88, kRight},
    {"reverse-at-centre", 1, 100, 88, kRight, {vbKeyLeft}, 5, 103, 88, kLeft},
    // (6, 5) is open on all four sides: of the keys held, the last of up, down, left, right
    // wins, whatever order they were pressed in.
    {"order-up-only", 1, 104, 88, kRight, {vbKeyUp}, 1, 104, 87, kUp},
    {"order-up-down", 1, 104, 88, kRight, {vbKeyUp, vbKeyDown}, 1, 104, 89, kDown},
    {"order-up-left", 1, 104, 88, kRight, {vbKeyUp, vbKeyLeft}, 1, 103, 88, kLeft},
    {"order-down-left", 1, 104, 88, kRight, {vbKeyLeft, vbKeyDown}, 1, 103, 88, kLeft},
    {"order-up-right", 1, 104, 88, kLeft, {vbKeyRight, vbKeyUp}, 1, 105, 88, kRight},
    {"order-left-right", 1, 104, 88, kUp, {vbKeyRight, vbKeyLeft}, 1, 105, 88, kRight},
    {"order-all-four", 1, 104, 88, kDown, kAllArrows, 1, 105, 88, kRight},
    // A later key towards a wall does not override an earlier open one.
    {"order-right-is-wall-at-26-5", 1, 424, 88, kUp, {vbKeyLeft, vbKeyRight}, 1, 423, 88, kLeft},
    {"order-down-is-wall-at-1-8", 1, 24, 136, kRight, {vbKeyUp, vbKeyDown}, 1, 24, 135, kUp},
    // Tunnel: no centre is reached beyond the edge columns, so held keys change nothing.
    {"tunnel-right-speed1-edge", 1, 428, 232, kRight, {}, 3, 431, 232, kRight},
    {"tunnel-right-speed1-wraps", 1, 428, 232, kRight, {}, 4, 16, 232, kRight},
    {"tunnel-right-speed4-wraps", 4, 424, 232, kRight, {vbKeyUp}, 2, 16, 232, kRight},
    {"tunnel-left-speed1-wraps", 1, 18, 232, kLeft, {vbKeyDown}, 3, 431, 232, kLeft},
};

TEST(GamePlayer, MovesAndTurnsOnlyAtCellCentres) {
    for (const MoveRow& row : kMoves) {
        SCOPED_TRACE(row.name);
        Board board(row.speed);
        if (row.x != kStart) board.PutPlayer(row.x, row.y, row.dir);
        Board::Hold({});
        for (const int key : row.keys) plat::KeyPressed(key);

        Ticks(row.ticks);

        EXPECT_EQ(Game.GobX, row.wantX);
        EXPECT_EQ(Game.GobY, row.wantY);
        EXPECT_EQ(Game.GobDir, row.wantDir);
        EXPECT_EQ(Game.GobAlign, Board::AlignOf(row.wantX, row.wantY, row.wantDir));
    }
}

struct TunnelRow {
    const char* name;
    int speed, x, dir;
    std::vector<int> xs;  // GobX after each tick
};

const TunnelRow kTunnel[] = {
    {"tunnel-right-speed1", 1, 428, kRight, {429, 430, 431, 16, 17}},
    {"tunnel-right-speed2", 2, 426, kRight, {428, 430, 16, 18}},
    {"tunnel-right-speed4", 4, 424, kRight, {428, 16, 20, 24, 28}},
    {"tunnel-left-speed1", 1, 18, kLeft, {17, 16, 431, 430}},
    {"tunnel-left-speed2", 2, 20, kLeft, {18, 16, 430, 428}},
    {"tunnel-left-speed4", 4, 24, kLeft, {20, 16, 428, 424, 420}},
};

TEST(GamePlayer, TunnelWrapsAtEverySpeed) {
    for (const TunnelRow& row : kTunnel) {
        SCOPED_TRACE(row.name);
        Board board(row.speed);
        board.PutPlayer(row.x, 232, row.dir);
        for (std::size_t i = 0; i < row.xs.size(); ++i) {
            MoveGob();
            EXPECT_EQ(Game.GobX, row.xs[i]) << "after tick " << i + 1;
            EXPECT_EQ(Game.GobY, 232);
            EXPECT_EQ(Game.GobAlign, Board::AlignOf(row.xs[i], 232, row.dir))
                << "after tick " << i + 1;
            EXPECT_EQ(Sprites[0].NewX, row.xs[i] - 16);
        }
    }
}

// Row 5 at x 100 lies 4 pixels before the centre of (6, 5), whose upper side is open.
TEST(GamePlayer, PressBetweenCentresIsUsedUp) {
    struct Row {
        const char* name;
        int tapBeforeTick;  // the up key is pressed and released just before this tick
        int wantX, wantY, wantDir;
    };
    const Row rows[] = {
        {"tap-between-centres-lost", 1, 105, 88, kRight},
        {"tap-one-tick-before-centre-lost", 4, 105, 88, kRight},
        {"tap-at-centre-turns", 5, 104, 87, kUp},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board;
        board.PutPlayer(100, 88, kRight);
        for (int tick = 1; tick <= 5; ++tick) {
            if (tick == row.tapBeforeTick) {
                plat::KeyPressed(vbKeyUp);
                plat::KeyReleased(vbKeyUp);
            }
            MoveGob();
        }
        EXPECT_EQ(Game.GobX, row.wantX);
        EXPECT_EQ(Game.GobY, row.wantY);
        EXPECT_EQ(Game.GobDir, row.wantDir);
    }
}

// After a reset the mouth rests 4 ticks on frame 0, then every frame is held 5 ticks:
// 0, 1, 2, 3, 2, 1, 0, 1, ...
TEST(GamePlayer, BlockedAtWallWhileMouthKeepsMoving) {
    Board board;
    board.PutPlayer(24, 24, kLeft);  // (0, 1) to the left is a wall
    const std::string want =
        "0000"
        "11111"
        "22222"
        "33333"
        "22222"
        "11111"
        "00000"
        "11111";
    std::string frames;
    for (std::size_t tick = 1; tick <= want.size(); ++tick) {
        MoveGob();
        frames += static_cast<char>('0' + Game.GobFrame);
        ASSERT_EQ(Game.GobX, 24) << "after tick " << tick;
        ASSERT_EQ(Game.GobY, 24) << "after tick " << tick;
        EXPECT_EQ(Sprites[0].SrcX, kLeft * 32);
        EXPECT_EQ(Sprites[0].SrcY, Game.GobFrame * 32 + 128);
        EXPECT_EQ(Sprites[0].NewX, 8);
        EXPECT_EQ(Sprites[0].OldX, 8);
    }
    EXPECT_EQ(frames, want);
    EXPECT_EQ(Game.DotsLeft, 244);
    EXPECT_TRUE(board.sounds.empty());
}

// Leaving the centre of (1, 1) to the right eats the dot of (2, 1) while the player is
// still 16 pixels short of it; the next dot goes when it leaves (2, 1) 16 ticks later.
TEST(GamePlayer, EatsTheCellAheadWhenLeavingACentre) {
    Board board;
    board.PutPlayer(24, 24, kRight);

    MoveGob();
    EXPECT_EQ(Game.GobX, 25);
    EXPECT_EQ(Game.DotsLeft, 243);
    EXPECT_EQ(Maze[2][1].Item, 0);
    EXPECT_EQ(Maze[3][1].Item, 1);
    EXPECT_EQ(Game.DotEaten, kTrue);
    EXPECT_EQ(Game.Score, 10);
    EXPECT_EQ(board.form.lblScore.Caption(), "10");
    EXPECT_EQ(board.sounds, std::vector<std::string>{"eatpill"});

    for (int tick = 2; tick <= 16; ++tick) {
        MoveGob();
        EXPECT_EQ(Game.DotEaten, kFalse) << "tick " << tick;
    }
    EXPECT_EQ(Game.GobX, 40);
    EXPECT_EQ(Game.DotsLeft, 243);

    MoveGob();
    EXPECT_EQ(Game.DotsLeft, 242);
    EXPECT_EQ(Maze[3][1].Item, 0);
    EXPECT_EQ(Game.Score, 20);
    EXPECT_EQ(board.sounds, (std::vector<std::string>{"eatpill", "eatpill"}));
}

TEST(GamePlayer, PowerPillFrightensAndReversesRoamingGhostsOnly) {
    struct Row {
        const char* name;
        int level, speed, frightened;
    };
    const Row rows[] = {
        {"level1-speed1", 1, 1, 900}, {"level3-speed2", 3, 2, 350}, {"level5-speed4", 5, 4, 125},
        {"level8-speed1", 8, 1, 200}, {"level8-speed4", 8, 4, 50},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board(row.speed);
        Game.Level = static_cast<std::int16_t>(row.level);
        Game.GhostsEaten = 3;
        board.PutPlayer(24, 72, kUp);  // the pill of (1, 3) is the cell ahead
        board.PutGhost(1, 104, 88, kLeft);
        GhostState& inHouse = Ghosts[1];  // still at its start, heading up
        GhostState& eyes = board.PutGhost(3, 200, 184, kRight);
        eyes.Eaten = kTrue;
        GhostState& again = board.PutGhost(4, 296, 88, kUp);
        again.Frightened = 5;

        MoveGob();

        EXPECT_EQ(Maze[1][3].Item, 0);
        EXPECT_EQ(Game.DotsLeft, 243);
        EXPECT_EQ(Game.GhostsEaten, 0);
        EXPECT_EQ(Game.Score, 10);
        EXPECT_EQ(Game.DotEaten, kTrue);
        EXPECT_EQ(board.sounds, std::vector<std::string>{"fruiteat"});
        EXPECT_EQ(Ghosts[0].Frightened, row.frightened);
        EXPECT_EQ(Ghosts[0].Dir, kRight);
        EXPECT_EQ(inHouse.Frightened, 0);
        EXPECT_EQ(inHouse.Dir, kUp);
        EXPECT_EQ(eyes.Frightened, 0);
        EXPECT_EQ(eyes.Dir, kRight);
        EXPECT_EQ(again.Frightened, row.frightened);
        EXPECT_EQ(again.Dir, kDown);
    }
}

}  // namespace
}  // namespace game_test
