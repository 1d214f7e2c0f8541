#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game/basgobbler.h"
#include "game/collisions.h"
#include "game_board.h"

namespace game_test {
namespace {

using Names = std::vector<std::string>;

constexpr const char* kKilled = "killed (wait)";

TEST(GameCollisions, ContactNeedsBothDistancesBelowSixteen) {
    struct Row {
        const char* name;
        int ghostX, ghostY;
        bool contact;
    };
    const Row rows[] = {
        {"same-spot", 100, 200, true},
        {"15-15-below-right", 115, 215, true},
        {"15-15-above-left", 85, 185, true},
        {"16-right", 116, 200, false},
        {"16-left", 84, 200, false},
        {"16-below", 100, 216, false},
        {"15-right-16-above", 115, 184, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board;
        board.PutPlayer(100, 200, kRight);
        board.PutGhost(1, row.ghostX, row.ghostY, kLeft);

        CheckCollisions();

        EXPECT_EQ(Game.GobCaught, row.contact ? kTrue : kFalse);
        EXPECT_EQ(board.sounds, row.contact ? Names{kKilled} : Names{});
    }
}

TEST(GameCollisions, GhostsEatenOnOnePillScoreTheChain) {
    Board board;
    board.PutPlayer(100, 200, kRight);
    for (int g = 1; g <= 4; ++g) board.PutGhost(g, 100 + g, 200, kLeft).Frightened = 50;

    CheckCollisions();

    EXPECT_EQ(Game.Score, 200 + 400 + 800 + 1600);
    EXPECT_EQ(Game.GhostsEaten, 4);
    EXPECT_EQ(Game.GobCaught, kFalse);
    EXPECT_EQ(HiScore, 3000);
    EXPECT_EQ(board.form.lblHiscore.Caption(), "3000");
    EXPECT_EQ(board.sounds, (Names{"ghosteat", "ghosteat", "ghosteat", "ghosteat"}));
    for (int g = 1; g <= 4; ++g) {
        SCOPED_TRACE("ghost " + std::to_string(g));
        EXPECT_EQ(Ghosts[g - 1].Eaten, kTrue);
        EXPECT_EQ(Ghosts[g - 1].Frightened, 0);
        EXPECT_EQ(Ghosts[g - 1].Stride, 2);
        EXPECT_EQ(Sprites[g].SrcX, 160);
    }

    // Eyes are harmless and are not eaten twice.
    CheckCollisions();
    EXPECT_EQ(Game.Score, 3000);
    EXPECT_EQ(Game.GobCaught, kFalse);
}

TEST(GameCollisions, SecondPillRestartsTheChain) {
    Board board;
    board.PutPlayer(24, 72, kUp);  // the pill of (1, 3) is the cell ahead
    board.PutGhost(1, 24, 72, kLeft).Frightened = 50;
    board.PutGhost(2, 24, 72, kRight).Frightened = 50;
    GhostState& third = board.PutGhost(3, CentreOf(6), CentreOf(5), kLeft);
    third.Frightened = 30;

    CheckCollisions();
    EXPECT_EQ(Game.Score, 600);

    MoveGob();
    EXPECT_EQ(Game.Score, 610);
    EXPECT_EQ(Game.GhostsEaten, 0);
    EXPECT_EQ(third.Frightened, 900);

    third.X = Game.GobX;
    third.Y = Game.GobY;
    CheckCollisions();
    EXPECT_EQ(Game.Score, 810);
    EXPECT_EQ(Game.GhostsEaten, 1);
    EXPECT_EQ(Game.GobCaught, kFalse);
}

// The eyes' position is rounded down to the doubled stride, so they pass exactly through
// cell centres: eaten at x 220 at speed 4, they go on from x 216 with Align 0.
TEST(GameCollisions, EatenGhostAlignsToItsDoubledStride) {
    struct Row {
        const char* name;
        int speed, x, y, dir;
        int wantX, wantY, wantAlign;
    };
    const Row rows[] = {
        {"speed4-horizontal-220", 4, 220, 88, kRight, 216, 88, 0},
        {"speed4-vertical-92", 4, 104, 92, kDown, 104, 88, 0},
        {"speed2-horizontal-102", 2, 102, 88, kRight, 100, 88, 12},
        {"speed1-horizontal-103", 1, 103, 88, kRight, 102, 88, 14},
        {"speed1-vertical-on-grid", 1, 104, 90, kUp, 104, 90, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board(row.speed);
        board.PutPlayer(row.x, row.y, row.dir);
        GhostState& ghost = board.PutGhost(1, row.x, row.y, row.dir);
        ghost.Frightened = 20;

        CheckCollisions();

        EXPECT_EQ(ghost.X, row.wantX);
        EXPECT_EQ(ghost.Y, row.wantY);
        EXPECT_EQ(ghost.Align, row.wantAlign);
        EXPECT_EQ(ghost.Stride, 2 * row.speed);

        MoveGhosts();
        EXPECT_EQ(std::abs(ghost.X - row.wantX) + std::abs(ghost.Y - row.wantY), 2 * row.speed);
        EXPECT_EQ(ghost.Align % (2 * row.speed), 0);
    }
}

TEST(GameCollisions, ExtraLifeAtEachThresholdCrossed) {
    struct Row {
        const char* name;
        int score, points, wantLives;
    };
    const Row rows[] = {
        {"below-10000", 9980, 10, 3},          {"exactly-10000", 9990, 10, 4},
        {"across-10000", 9900, 200, 4},        {"from-10000-on", 10000, 10, 3},
        {"zero-points-at-10000", 10000, 0, 3}, {"exactly-20000", 19990, 10, 4},
        {"exactly-50000", 49990, 10, 4},       {"no-threshold-at-60000", 59990, 10, 3},
        {"across-100000", 99500, 1000, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board;
        Game.Score = row.score;

        AddScore(row.points);

        EXPECT_EQ(Game.Score, row.score + row.points);
        EXPECT_EQ(Game.Lives, row.wantLives);
        EXPECT_EQ(board.sounds, row.wantLives == 4 ? Names{"extralife"} : Names{});
        EXPECT_EQ(board.form.lblScore.Caption(), std::to_string(row.score + row.points));
        EXPECT_EQ(HiScore, row.score + row.points);
    }
}

// With 4 lives the status strip shows three spare-life icons.
TEST(GameCollisions, DotAcrossThresholdPlaysExtraLifeAfterEatpill) {
    Board board;
    Game.Score = 9990;
    board.PutPlayer(24, 24, kRight);

    MoveGob();

    EXPECT_EQ(Game.Score, 10000);
    EXPECT_EQ(Game.Lives, 4);
    EXPECT_EQ(board.sounds, (Names{"eatpill", "extralife"}));
    const QImage& stats = board.form.pctStats.Image();
    const QImage icon = Block(board.form.pctTiles.Image(), 96, 224);
    EXPECT_TRUE(SameImage(Block(stats, 64, 0), icon));
    EXPECT_FALSE(SameImage(Block(stats, 96, 0), icon));
}

TEST(GameCollisions, GhostAcrossThresholdPlaysExtraLifeAfterGhosteat) {
    Board board;
    Game.Score = 9900;
    board.PutPlayer(100, 200, kRight);
    board.PutGhost(1, 100, 200, kLeft).Frightened = 10;

    CheckCollisions();

    EXPECT_EQ(Game.Lives, 4);
    EXPECT_EQ(board.form.lblScore.Caption(), "10100");
    EXPECT_EQ(board.sounds, (Names{"ghosteat", "extralife"}));
}

// Ghosts are handled in order: frightened ones are eaten even in the tick the player is
// caught, and only the first catch plays the waiting sound.
TEST(GameCollisions, EatAndCatchInOneTick) {
    struct Row {
        const char* name;
        const char* frightened;  // ghosts 1 to 4, all on the player: F frightened
        int wantScore;
        Names wantSounds;
    };
    const Row rows[] = {
        {"three-eaten-then-caught", "FFF.", 1400, {"ghosteat", "ghosteat", "ghosteat", kKilled}},
        {"caught-then-two-eaten", ".FF.", 600, {kKilled, "ghosteat", "ghosteat"}},
        {"caught-by-two", "..FF", 600, {kKilled, "ghosteat", "ghosteat"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board;
        board.PutPlayer(100, 200, kRight);
        for (int g = 1; g <= 4; ++g) {
            board.PutGhost(g, 100, 200, kLeft).Frightened = row.frightened[g - 1] == 'F' ? 10 : 0;
        }

        CheckCollisions();

        EXPECT_EQ(Game.GobCaught, kTrue);
        EXPECT_EQ(Game.Score, row.wantScore);
        EXPECT_EQ(board.sounds, row.wantSounds);
    }
}

TEST(GameCollisions, FruitIsEatenOnlyOnItsRowNearItsCentre) {
    struct Row {
        const char* name;
        int x, y;
        bool shown, gone;
        int level;
        bool eaten;
    };
    const Row rows[] = {
        {"centre", 232, 280, true, false, 1, true},
        {"15-left", 217, 280, true, false, 3, true},
        {"15-right", 247, 280, true, false, 8, true},
        {"16-left", 216, 280, true, false, 1, false},
        {"16-right", 248, 280, true, false, 1, false},
        {"one-row-pixel-above", 232, 279, true, false, 1, false},
        {"one-row-pixel-below", 232, 281, true, false, 1, false},
        {"timed-out", 232, 280, true, true, 1, false},
        {"already-eaten", 232, 280, false, false, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board;
        Game.Level = static_cast<std::int16_t>(row.level);
        Game.FruitShown = row.shown ? kTrue : kFalse;
        Game.FruitGone = row.gone ? kTrue : kFalse;
        board.PutPlayer(row.x, row.y, kLeft);

        CheckCollisions();

        EXPECT_EQ(Game.Score, row.eaten ? 500 * row.level : 0);
        EXPECT_EQ(Game.FruitShown, row.shown && !row.eaten ? kTrue : kFalse);
        EXPECT_EQ(Game.FruitGone, row.gone ? kTrue : kFalse);
        EXPECT_EQ(board.sounds, row.eaten ? Names{"Fruiteat"} : Names{});
    }
}

}  // namespace
}  // namespace game_test
