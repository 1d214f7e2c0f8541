#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "game_board.h"

namespace game_test {
namespace {

struct Spot {
    int x, y;  // top-left corner
};

// Draws and erases in the order of the tick, with actors bunched together so they overlap
// each other and the fruit, often poking out of the playfield, and with items eaten
// between the erase and the draw. Whenever the actors are off, the playfield must be the
// bare maze with its remaining items (and the fruit while it is up).
TEST(GameDrawing, SaveUnderLeavesNoFragments) {
    Board board;
    board.Lift();
    QImage clean = board.BareBoard();
    ASSERT_TRUE(SameImage(board.Screen(), clean));
    board.Drop();

    std::mt19937 rng(20240611);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<Spot> items;
    for (int row = 1; row < 30; ++row)
        for (int col = 1; col < 27; ++col)
            if (Maze[col][row].Item > 0) items.push_back({col, row});

    const QImage& sheet = board.form.pctTiles.Image();
    const int fruitUp = 40;
    const int fruitDown = 170;
    QImage cleanWithoutFruit;
    for (int frame = 1; frame <= 240; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        // Around the fruit, at the edges (the tunnel rows), or anywhere.
        int cx = pick(-16, 432);
        int cy = pick(-16, 480);
        if (frame % 3 == 0) {
            cx = 216;
            cy = 264;
        } else if (frame % 3 == 1) {
            cx = pick(0, 1) ? pick(-24, 8) : pick(408, 440);
            cy = pick(200, 248);
        }
        for (int slot = 0; slot <= 4; ++slot) {
            SpriteState& s = Sprites[slot];
            s.OldX = s.NewX;
            s.OldY = s.NewY;
            s.NewX = static_cast<std::int16_t>(cx + pick(-20, 20));
            s.NewY = static_cast<std::int16_t>(cy + pick(-20, 20));
            const int dir = pick(0, 3);
            s.SrcY = static_cast<std::int16_t>(slot == 0 ? 128 + 32 * pick(0, 3) : 32 * dir);
            s.SrcX = static_cast<std::int16_t>(slot == 0 ? 32 * dir : 32 * (slot - 1));
        }
        for (int g = 1; g <= 4; ++g) {
            GhostState& ghost = Ghosts[g - 1];
            ghost.Eaten = pick(0, 3) == 0 ? kTrue : kFalse;
            ghost.Frightened =
                static_cast<std::int16_t>(ghost.Eaten ? 0 : pick(0, 1) * pick(1, 400));
            if (ghost.Eaten) Sprites[g].SrcX = 160;
        }

        EraseSprites();
        ASSERT_TRUE(SameImage(board.Screen(), clean));

        if (frame == fruitDown) {
            EraseSprite(kFruitSlot);
            clean = cleanWithoutFruit;
            ASSERT_TRUE(SameImage(board.Screen(), clean));
        }
        if (!items.empty() && pick(0, 1) == 0) {
            const std::size_t i =
                static_cast<std::size_t>(pick(0, static_cast<int>(items.size()) - 1));
            const Spot cell = items[i];
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
            Maze[cell.x][cell.y].Item = 0;
            plat::BitBlt(board.form.pctScreen, cell.x * 16, cell.y * 16, 16, 16,
                         board.form.pctpicture, cell.x * 16, cell.y * 16, plat::SRCCOPY);
            const QImage bareCell =
                Block(board.form.pctpicture.Image(), cell.x * 16, cell.y * 16, 16, 16);
            Paste(clean, bareCell, cell.x * 16, cell.y * 16);
            if (!cleanWithoutFruit.isNull()) {
                Paste(cleanWithoutFruit, bareCell, cell.x * 16, cell.y * 16);
            }
        }
        if (frame == fruitUp) {
            cleanWithoutFruit = clean.copy();
            DrawSprite(216, 264, 64, 256, kFruitSlot);
            Paste(clean, Masked(Block(clean, 216, 264), sheet, 64, 256, 192, 256), 216, 264);
            ASSERT_TRUE(SameImage(board.Screen(), clean));
        }
        DrawSprites();
    }

    for (SpriteState& s : Sprites) {
        s.OldX = s.NewX;
        s.OldY = s.NewY;
    }
    EraseSprites();
    EXPECT_TRUE(SameImage(board.Screen(), clean));
    EXPECT_TRUE(SameImage(board.Screen(), board.BareBoard())) << "items out of step with Maze";
}

TEST(GameDrawing, StatusStripIcons) {
    struct Row {
        const char* name;
        int lives, level;
    };
    const Row rows[] = {
        {"lives1-level1", 1, 1}, {"lives3-level2", 3, 2}, {"lives5-level5", 5, 5},
        {"lives8-level7", 8, 7}, {"lives9-level8", 9, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board;
        Game.Lives = 9;
        Game.Level = 8;
        DrawStats();  // a full strip first: the next one must clear it

        Game.Lives = static_cast<std::int16_t>(row.lives);
        Game.Level = static_cast<std::int16_t>(row.level);
        DrawStats();

        ExpectStats(board, row.lives, row.level);
    }
}

// The last 200 / Speed ticks of frightened time alternate every 8 frames between the
// ghost's own colour (FlashPhase 0 to 7 after the increment) and the frightened look.
TEST(GameDrawing, FrightenedGhostsFlashNearTheEnd) {
    struct Row {
        const char* name;
        int speed, frightened;
        bool flashes;
    };
    const Row rows[] = {
        {"speed1-199-flashes", 1, 199, true}, {"speed1-200-steady", 1, 200, false},
        {"speed1-1-flashes", 1, 1, true},     {"speed2-99-flashes", 2, 99, true},
        {"speed2-100-steady", 2, 100, false}, {"speed4-49-flashes", 4, 49, true},
        {"speed4-50-steady", 4, 50, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Board board(row.speed);
        for (int phase = 0; phase < 16; ++phase) {
            SCOPED_TRACE("FlashPhase " + std::to_string(phase));
            Ghosts[2].Frightened = static_cast<std::int16_t>(row.frightened);
            Board::Aim();
            Game.FlashPhase = static_cast<std::int16_t>((phase + 15) % 16);

            DrawSprites();

            EXPECT_EQ(Game.FlashPhase, phase);
            const bool ownColour = row.flashes && phase <= 7;
            EXPECT_EQ(Sprites[3].SrcX, ownColour ? 64 : 128);
            EXPECT_EQ(Sprites[2].SrcX, 32) << "a ghost that is not frightened";
        }
    }
}

TEST(GameDrawing, EyesAreDrawnWithTheEyesImageAndMask) {
    Board board;
    board.Lift();
    board.PutGhost(2, 104, 88, kLeft).Eaten = kTrue;
    Board::Aim();
    const QImage under = Block(board.Screen(), 88, 72);
    for (int phase = 0; phase < 16; ++phase) {
        SCOPED_TRACE("FlashPhase " + std::to_string(phase));
        Game.FlashPhase = static_cast<std::int16_t>(phase);
        if (phase > 0) EraseSprites();
        DrawSprites();
        for (SpriteState& s : Sprites) {
            s.OldX = s.NewX;
            s.OldY = s.NewY;
        }
        EXPECT_EQ(Sprites[2].SrcX, 160);
        EXPECT_TRUE(SameImage(Block(board.Screen(), 88, 72),
                              Masked(under, board.form.pctTiles.Image(), 160, 64, 224, 64)));
    }
}

// A frightened ghost keeps the ghost mask under the frightened image.
TEST(GameDrawing, FrightenedLookUsesTheGhostMask) {
    Board board;
    board.Lift();
    board.PutGhost(4, 104, 88, kDown).Frightened = 300;
    Board::Aim();
    const QImage under = Block(board.Screen(), 88, 72);

    DrawSprites();

    EXPECT_EQ(Sprites[4].SrcX, 128);
    EXPECT_TRUE(SameImage(Block(board.Screen(), 88, 72),
                          Masked(under, board.form.pctTiles.Image(), 128, 32, 192, 32)));
}

}  // namespace
}  // namespace game_test
