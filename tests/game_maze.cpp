#include <gtest/gtest.h>

#include <string>

#include "game_board.h"

namespace game_test {
namespace {

TEST(GameMaze, BuildLevelCountsEveryDotAndPill) {
    Board board;
    int dots = 0;
    int pills = 0;
    for (int row = 0; row < 34; ++row) {
        for (int col = 0; col < 28; ++col) {
            dots += Maze[col][row].Item == 1;
            pills += Maze[col][row].Item == 2;
        }
    }
    EXPECT_EQ(dots, 240);
    EXPECT_EQ(pills, 4);
    EXPECT_EQ(Game.DotsLeft, 244);
}

TEST(GameMaze, RebuildingRefillsAnEatenBoard) {
    Board board;
    Maze[2][1].Item = 0;
    Maze[1][3].Item = 0;
    Game.DotsLeft = 2;

    ASSERT_TRUE(BuildLevel());

    EXPECT_EQ(Game.DotsLeft, 244);
    EXPECT_EQ(Maze[2][1].Item, 1);
    EXPECT_EQ(Maze[1][3].Item, 2);
}

struct CellFacts {
    const char* name;
    int col, row;
    int item;
    bool up, down, left, right, turn;
};

// Worked out from the layout rows by hand.
const CellFacts kLandmarks[] = {
    {"junction-6-5", 6, 5, 1, true, true, true, true, true},
    {"corner-1-1", 1, 1, 1, false, true, false, true, true},
    {"pill-1-3", 1, 3, 2, true, true, false, false, false},
    {"pill-26-23", 26, 23, 2, true, false, true, false, true},
    {"vertical-corridor-6-2", 6, 2, 1, true, true, false, false, false},
    {"tunnel-meets-maze-6-14", 6, 14, 1, true, true, true, true, true},
    {"house-corridor-left-junction-12-11", 12, 11, 0, true, false, true, true, true},
    {"house-corridor-right-junction-15-11", 15, 11, 0, true, false, true, true, true},
    {"house-door-corridor-13-11", 13, 11, 0, false, false, true, true, false},
    {"house-door-corridor-14-11", 14, 11, 0, false, false, true, true, false},
    {"player-start-left-13-23", 13, 23, 0, false, false, true, true, false},
    {"player-start-right-14-23", 14, 23, 0, false, false, true, true, false},
    {"fruit-spot-14-17", 14, 17, 0, false, false, true, true, false},
    {"corner-26-29", 26, 29, 1, true, false, true, false, true},
    {"wall-0-0", 0, 0, -1, false, false, false, false, false},
    {"house-wall-13-12", 13, 12, -1, false, false, false, false, false},
    {"tunnel-edge-left-0-14", 0, 14, 0, false, false, false, false, false},
    {"tunnel-edge-right-27-14", 27, 14, 0, false, false, false, false, false},
};

TEST(GameMaze, LandmarkCells) {
    Board board;
    for (const CellFacts& want : kLandmarks) {
        SCOPED_TRACE(want.name);
        const MazeCell& cell = Maze[want.col][want.row];
        EXPECT_EQ(cell.Item, want.item);
        EXPECT_EQ(cell.Up, want.up ? kTrue : kFalse);
        EXPECT_EQ(cell.Down, want.down ? kTrue : kFalse);
        EXPECT_EQ(cell.Left, want.left ? kTrue : kFalse);
        EXPECT_EQ(cell.Right, want.right ? kTrue : kFalse);
        EXPECT_EQ(cell.Turn, want.turn ? kTrue : kFalse);
    }
}

TEST(GameMaze, TunnelCellsAreStraightAndOpenSideways) {
    Board board;
    for (const int col : {1, 2, 3, 4, 5, 22, 23, 24, 25, 26}) {
        SCOPED_TRACE("tunnel column " + std::to_string(col));
        const MazeCell& cell = Maze[col][14];
        EXPECT_EQ(cell.Item, 0);
        EXPECT_EQ(cell.Turn, kFalse);
        EXPECT_EQ(cell.Up, kFalse);
        EXPECT_EQ(cell.Down, kFalse);
        EXPECT_EQ(cell.Left, kTrue);
        EXPECT_EQ(cell.Right, kTrue);
    }
}

TEST(GameMaze, OuterRowsAndColumnsStayClosed) {
    Board board;
    auto closed = [](int col, int row) {
        const MazeCell& c = Maze[col][row];
        return c.Turn == 0 && c.Up == 0 && c.Down == 0 && c.Left == 0 && c.Right == 0;
    };
    for (int col = 0; col < 28; ++col) {
        EXPECT_TRUE(closed(col, 0)) << "row 0, column " << col;
        EXPECT_TRUE(closed(col, 30)) << "row 30, column " << col;
    }
    for (int row = 0; row < 31; ++row) {
        EXPECT_TRUE(closed(0, row)) << "column 0, row " << row;
        EXPECT_TRUE(closed(27, row)) << "column 27, row " << row;
    }
}

// The bare background keeps no item; the playfield shows each one masked onto it.
TEST(GameMaze, DrawMazePaintsItemsOnlyOnThePlayfield) {
    Board board;
    const QImage bare = board.BareBoard();
    const QImage& level = board.form.pctpicture.Image();
    const QImage& sheet = board.form.pctTiles.Image();
    struct Spot {
        const char* name;
        int col, row, sheetX;  // sheetX: -1 when the cell holds no item
    };
    const Spot spots[] = {{"dot-2-1", 2, 1, 0},       {"pill-1-3", 1, 3, 16},
                          {"pill-26-23", 26, 23, 16}, {"empty-13-23", 13, 23, -1},
                          {"wall-0-0", 0, 0, -1},     {"tunnel-0-14", 0, 14, -1},
                          {"dot-26-29", 26, 29, 0}};
    for (const Spot& spot : spots) {
        SCOPED_TRACE(spot.name);
        const QImage shown = Block(bare, spot.col * 16, spot.row * 16, 16, 16);
        const QImage under = Block(level, spot.col * 16, spot.row * 16, 16, 16);
        if (spot.sheetX < 0) {
            EXPECT_TRUE(SameImage(shown, under));
            continue;
        }
        QImage want = under;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb mask = sheet.pixel(spot.sheetX + x, 336 + y);
                const QRgb image = sheet.pixel(spot.sheetX + x, 320 + y);
                want.setPixel(x, y, (under.pixel(x, y) & mask) | image | 0xFF000000);
            }
        }
        EXPECT_TRUE(SameImage(shown, want));
        EXPECT_FALSE(SameImage(shown, under)) << "the item is invisible";
    }
}

}  // namespace
}  // namespace game_test
