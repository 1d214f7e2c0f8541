#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/collisions.h"
#include "game_board.h"

namespace game_test {
namespace {

void Ticks(int n) {
    for (int i = 0; i < n; ++i) MoveGhosts();
}

// Ghost 1 draws a side on its first tick; which one must follow the number drawn, and it
// reaches the centre of (13, 11) or (14, 11) after 8 / Speed ticks.
TEST(GameGhosts, FirstGhostPicksASideAtRandomOnItsFirstTick) {
    bool sawLeft = false;
    bool sawRight = false;
    for (const int speed : {1, 2, 4}) {
        for (std::uint32_t seed = 1; seed <= 12; ++seed) {
            SCOPED_TRACE("speed " + std::to_string(speed) + ", seed " + std::to_string(seed));
            Board board(speed, seed);
            std::vector<double> drawn;
            plat::SetRandomObserver([&drawn](double r) { drawn.push_back(r); });

            MoveGhosts();

            ASSERT_EQ(drawn.size(), 1u);
            const bool left = drawn[0] <= 0.5;
            (left ? sawLeft : sawRight) = true;
            const GhostState& ghost = Ghosts[0];
            EXPECT_EQ(ghost.Roaming, kTrue);
            EXPECT_EQ(ghost.Dir, left ? kLeft : kRight);
            EXPECT_EQ(ghost.X, left ? 224 - speed : 224 + speed);

            Ticks(8 / speed - 1);
            EXPECT_EQ(ghost.X, left ? CentreOf(13) : CentreOf(14));
            EXPECT_EQ(ghost.Y, 184);
            EXPECT_EQ(ghost.Align, 0);
        }
    }
    EXPECT_TRUE(sawLeft && sawRight) << "the seeds never covered both sides";
}

// Ghost 3 turns up at once, bounces 240 -> 224 -> 240 -> 224, and heads up on its second
// visit to the house centre.
TEST(GameGhosts, CentreGhostLeavesAfterTwoVisitsToTheHouseCentre) {
    struct Row {
        const char* name;
        int speed, atDoorRow, leaves;
    };
    const Row rows[] = {
        {"ghost3-speed1", 1, 88, 89},
        {"ghost3-speed2", 2, 44, 45},
        {"ghost3-speed4", 4, 22, 23},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board(row.speed);
        const GhostState& ghost = Ghosts[2];
        MoveGhosts();
        EXPECT_EQ(ghost.Dir, kUp);
        EXPECT_EQ(ghost.Y, 240 - row.speed);

        Ticks(row.atDoorRow - 2);
        EXPECT_EQ(ghost.Y, 184 + row.speed) << "one step below the door row";
        EXPECT_EQ(ghost.Roaming, kFalse);
        MoveGhosts();
        EXPECT_EQ(ghost.Y, 184);
        EXPECT_EQ(ghost.X, 224);
        EXPECT_EQ(ghost.Roaming, kFalse);
        EXPECT_EQ(ghost.Bounces, 2);

        MoveGhosts();
        EXPECT_EQ(ghost.Roaming, kTrue);
        EXPECT_TRUE(ghost.Dir == kLeft || ghost.Dir == kRight);
        EXPECT_EQ(ghost.X, ghost.Dir == kLeft ? 224 - row.speed : 224 + row.speed);
        EXPECT_EQ(ghost.Y, 184);
        EXPECT_EQ(ghost.Align, ghost.Dir == kLeft ? 8 - row.speed : 8 + row.speed);
    }
}

// Ghost 2 bounces on x 192 until it sees ghost 3 out (the tick after ghost 3 left), walks
// to x 224 and leaves after two visits to the house centre; ghost 4 bounces on x 256 and
// heads left in the very tick ghost 2 leaves. Speed 1, worked out tick by tick.
TEST(GameGhosts, SideGhostsWaitForTheirTurn) {
    Board board;
    const GhostState& two = Ghosts[1];
    const GhostState& three = Ghosts[2];
    const GhostState& four = Ghosts[3];

    Ticks(89);
    EXPECT_EQ(three.Roaming, kTrue);
    EXPECT_EQ(two.X, 192);
    EXPECT_EQ(two.Y, 231);
    EXPECT_EQ(two.Dir, kUp);
    EXPECT_EQ(four.X, 256);

    MoveGhosts();  // tick 90
    EXPECT_EQ(two.Dir, kRight);
    EXPECT_EQ(two.X, 193);
    EXPECT_EQ(two.Y, 231);

    Ticks(31);  // tick 121: on the centre line
    EXPECT_EQ(two.X, 224);
    EXPECT_EQ(two.Y, 231);
    EXPECT_EQ(two.Roaming, kFalse);

    Ticks(79);  // tick 200: on the door row
    EXPECT_EQ(two.X, 224);
    EXPECT_EQ(two.Y, 184);
    EXPECT_EQ(two.Roaming, kFalse);
    EXPECT_EQ(two.Bounces, 2);
    EXPECT_EQ(four.X, 256);
    EXPECT_EQ(four.Y, 232);
    EXPECT_EQ(four.Dir, kDown);

    MoveGhosts();  // tick 201
    EXPECT_EQ(two.Roaming, kTrue);
    EXPECT_EQ(four.Dir, kLeft);
    EXPECT_EQ(four.X, 255);
    EXPECT_EQ(four.Roaming, kFalse);
}

struct ChoiceRow {
    const char* name;
    int ghost;
    int col, row, dir;  // the ghost on this cell's centre, heading dir
    int playerCol, playerRow, playerDir;
    int frightened;
    bool eaten;
    int want;
};

// (6, 5) is open on all four sides; (1, 5) has a wall on its left; (1, 8) walls left and
// below; (26, 5) a wall on its right.
const ChoiceRow kChoices[] = {
    {"up-left-both-closer-goes-left", 1, 6, 5, kUp, 1, 1, kRight, 0, false, kLeft},
    {"down-right-both-closer-goes-right", 1, 6, 5, kDown, 20, 20, kRight, 0, false, kRight},
    {"straight-up", 1, 6, 5, kLeft, 6, 1, kRight, 0, false, kUp},
    {"behind-is-never-chosen", 1, 6, 5, kUp, 6, 20, kRight, 0, false, kRight},
    {"left-wall-ahead-takes-down", 1, 1, 5, kLeft, 0, 5, kRight, 0, false, kDown},
    {"left-wall-ahead-down-closed-takes-up", 1, 1, 8, kLeft, 0, 8, kRight, 0, false, kUp},
    {"on-target-heading-up-right", 1, 6, 5, kUp, 6, 5, kRight, 0, false, kRight},
    {"on-target-heading-left-left", 1, 6, 5, kLeft, 6, 5, kRight, 0, false, kLeft},
    {"on-target-heading-down-right", 1, 6, 5, kDown, 6, 5, kRight, 0, false, kRight},
    {"on-target-right-wall-left", 1, 26, 5, kUp, 26, 5, kRight, 0, false, kLeft},
    {"on-target-left-wall-down", 1, 1, 5, kLeft, 1, 5, kRight, 0, false, kDown},
    // Corridor cells keep their direction whatever the target.
    {"corridor-keeps-dir", 1, 2, 5, kRight, 2, 20, kRight, 0, false, kRight},
    // Fleeing: the signs are reversed.
    {"flee-from-up-left-goes-right", 1, 6, 5, kUp, 1, 1, kRight, 100, false, kRight},
    {"flee-from-down-right-goes-left", 1, 6, 5, kDown, 20, 20, kRight, 100, false, kLeft},
    {"flee-way-is-back-takes-down", 1, 26, 5, kRight, 27, 5, kRight, 100, false, kDown},
    // Eyes head for (14, 11), down and to the right of (6, 5), wherever the player is.
    {"eyes-ignore-player", 1, 6, 5, kLeft, 1, 1, kRight, 0, true, kDown},
    // Ghost 2 leads by 4 cells beyond 2 cells, ghost 3 by 8 beyond 3, ghost 4 by 12
    // beyond 4: a player to the right facing left pulls the target past the ghost.
    {"ghost2-d2-aims-at-player", 2, 6, 5, kUp, 8, 5, kLeft, 0, false, kRight},
    {"ghost2-d3-aims-4-ahead", 2, 6, 5, kUp, 9, 5, kLeft, 0, false, kLeft},
    {"ghost3-d3-aims-at-player", 3, 6, 5, kUp, 9, 5, kLeft, 0, false, kRight},
    {"ghost3-d4-aims-8-ahead", 3, 6, 5, kUp, 10, 5, kLeft, 0, false, kLeft},
    {"ghost4-d4-aims-at-player", 4, 6, 5, kUp, 10, 5, kLeft, 0, false, kRight},
    {"ghost4-d5-aims-12-ahead", 4, 6, 5, kUp, 11, 5, kLeft, 0, false, kLeft},
    {"ghost2-lead-follows-player-up", 2, 6, 5, kLeft, 6, 8, kUp, 0, false, kUp},
    {"ghost1-never-leads", 1, 6, 5, kUp, 11, 5, kLeft, 0, false, kRight},
};

TEST(GameGhosts, DecisionCellChoices) {
    for (const ChoiceRow& row : kChoices) {
        SCOPED_TRACE(row.name);
        Board board;
        board.PutPlayer(CentreOf(row.playerCol), CentreOf(row.playerRow), row.playerDir);
        GhostState& ghost =
            board.PutGhost(row.ghost, CentreOf(row.col), CentreOf(row.row), row.dir);
        ghost.Frightened = static_cast<std::int16_t>(row.frightened);
        ghost.Eaten = row.eaten ? kTrue : kFalse;
        if (row.eaten) ghost.Stride = 2;

        MoveGhosts();

        EXPECT_EQ(ghost.Dir, row.want);
        EXPECT_EQ(Sprites[row.ghost].SrcY, row.want * 32);
    }
}

// Moves on every second tick while the count drops on every tick; speed 1 from x 36 on
// row 5, a corridor up to the centre of (6, 5).
TEST(GameGhosts, FrightenedGhostMovesEverySecondTick) {
    struct Row {
        const char* name;
        int speed;
        std::vector<int> xs;
    };
    const Row rows[] = {
        {"frightened-speed1", 1, {37, 37, 38, 38, 39, 39, 40, 40, 41, 41, 42, 43}},
        {"frightened-speed2", 2, {38, 38, 40, 40, 42, 42, 44, 44, 46, 46, 48, 50}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board(row.speed);
        GhostState& ghost = board.PutGhost(1, 36, 88, kRight);
        ghost.Frightened = 10;
        for (std::size_t i = 0; i < row.xs.size(); ++i) {
            MoveGhosts();
            EXPECT_EQ(ghost.X, row.xs[i]) << "after tick " << i + 1;
            EXPECT_EQ(ghost.Frightened, i < 10 ? 9 - static_cast<int>(i) : 0)
                << "after tick " << i + 1;
        }
    }
}

// A frightened ghost that rests on a junction centre decides again on its resting tick,
// now with its new direction's reverse as "back", so it can turn back. Target straight
// above (6, 5): fleeing wants down, which is back for a ghost heading up.
TEST(GameGhosts, FrightenedGhostRestingOnAJunctionDecidesAgain) {
    struct Row {
        const char* name;
        int halfStep;
        std::vector<int> dirs, xs, ys;  // after each tick
    };
    const Row rows[] = {
        {"moving-tick-decides-once", 0, {kRight}, {105}, {88}},
        {"resting-tick-then-turns-back", 1, {kRight, kDown}, {104, 104}, {88, 89}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board;
        board.PutPlayer(CentreOf(6), CentreOf(1), kRight);
        GhostState& ghost = board.PutGhost(1, CentreOf(6), CentreOf(5), kUp);
        ghost.Frightened = 100;
        ghost.HalfStep = static_cast<std::int16_t>(row.halfStep);
        for (std::size_t i = 0; i < row.dirs.size(); ++i) {
            MoveGhosts();
            EXPECT_EQ(ghost.Dir, row.dirs[i]) << "after tick " << i + 1;
            EXPECT_EQ(ghost.X, row.xs[i]) << "after tick " << i + 1;
            EXPECT_EQ(ghost.Y, row.ys[i]) << "after tick " << i + 1;
        }
    }
}

// Eyes travel at twice the speed to the door point, sink into the house at the normal
// speed, turn up at y 224 in their own colour and leave again.
TEST(GameGhosts, EyesGoHomeAndComeOutAgain) {
    struct Row {
        const char* name;
        int speed, startCol, dir;
        int atDoor, atRestLine, leaves;  // ticks
    };
    const Row rows[] = {
        {"eyes-from-left-speed1", 1, 12, kRight, 12, 52, 93},
        {"eyes-from-right-speed1", 1, 15, kLeft, 12, 52, 93},
        {"eyes-from-left-speed2", 2, 12, kRight, 6, 26, 47},
        {"eyes-from-right-speed4", 4, 15, kLeft, 3, 13, 24},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board(row.speed);
        board.PutPlayer(CentreOf(1), CentreOf(29), kRight);
        GhostState& ghost = board.PutGhost(2, CentreOf(row.startCol), 184, row.dir);
        ghost.Eaten = kTrue;
        ghost.Stride = static_cast<std::int16_t>(2 * row.speed);
        auto tick = [] {
            MoveGhosts();
            CheckCollisions();
        };

        for (int t = 1; t <= row.atDoor; ++t) tick();
        EXPECT_EQ(ghost.X, 224);
        EXPECT_EQ(ghost.Y, 184);
        EXPECT_EQ(ghost.Roaming, kTrue);
        EXPECT_EQ(Sprites[2].SrcX, 160);

        tick();
        EXPECT_EQ(ghost.Roaming, kFalse);
        EXPECT_EQ(ghost.Stride, row.speed);
        EXPECT_EQ(ghost.Dir, kDown);
        EXPECT_EQ(ghost.Y, 184 + row.speed);
        EXPECT_EQ(ghost.Eaten, kTrue);

        for (int t = row.atDoor + 2; t <= row.atRestLine; ++t) tick();
        EXPECT_EQ(ghost.Y, 224);
        EXPECT_EQ(ghost.Eaten, kTrue);
        EXPECT_EQ(Sprites[2].SrcX, 160);

        tick();
        EXPECT_EQ(ghost.Eaten, kFalse);
        EXPECT_EQ(ghost.Dir, kUp);
        EXPECT_EQ(ghost.Y, 224 - row.speed);
        EXPECT_EQ(Sprites[2].SrcX, 32) << "own colour again";

        for (int t = row.atRestLine + 2; t < row.leaves; ++t) tick();
        EXPECT_EQ(ghost.Y, 184);
        EXPECT_EQ(ghost.Roaming, kFalse);
        tick();
        EXPECT_EQ(ghost.Roaming, kTrue);
        EXPECT_TRUE(ghost.Dir == kLeft || ghost.Dir == kRight);
    }
}

}  // namespace
}  // namespace game_test
