#include "game/bassetup.h"

#include <iostream>
#include <vector>

#include "game/basghostai.h"
#include "game/gamestate.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/sound.h"
#include "shell/frmmain.h"

using plat::BitBlt;
using plat::SRCAND;
using plat::SRCCOPY;
using plat::SRCPAINT;

namespace {

// Where each save-under slot's block was taken from, while it still belongs there: a
// sprite goes back exactly where it was drawn, even if its record has moved since.
struct SavedBlock {
    int x = 0;
    int y = 0;
    bool held = false;
};
SavedBlock savedBlocks[6];

constexpr plat::Colour kBlack = plat::RGB(0, 0, 0);
constexpr plat::Colour kWhite = plat::RGB(255, 255, 255);

void ReportUnreadable(const std::string& path) {
    plat::MsgBox("无法读取游戏文件：\r\n" + path + "\r\n\r\n请重新安装游戏。", plat::vbExclamation,
                 "Nibbly");
}

// Drawing ANDs a mask in and then ORs the image, so a mask of any other colour smears over
// the board; noise in a well-formed file fails here.
bool MasksAreBlackAndWhite(const plat::PictureBox& sheet) {
    struct Area {
        int x, y, width, height;
    };
    const Area masks[] = {
        {192, 0, 64, 128},     // ghosts, frightened ghosts and eyes
        {128, 128, 128, 192},  // the player's frames and the fruit
        {0, 336, 32, 16},      // dot and power pill
    };
    for (const Area& area : masks) {
        for (int y = area.y; y < area.y + area.height; ++y) {
            for (int x = area.x; x < area.x + area.width; ++x) {
                const plat::Colour colour = sheet.Point(x, y);
                if (colour != kBlack && colour != kWhite) return false;
            }
        }
    }
    return true;
}

}  // namespace

bool LoadGamePicture(plat::PictureBox& box, const std::string& file, int width, int height) {
    const std::string path = plat::AppPath() + file;
    if (box.LoadPicture(path, width, height)) return true;
    ReportUnreadable(path);
    return false;
}

bool LoadSpriteSheet(plat::PictureBox& box, const std::string& file) {
    const std::string path = plat::AppPath() + file;
    if (box.LoadPicture(path, kSheetWidth, kSheetHeight)) {
        if (MasksAreBlackAndWhite(box)) return true;
        std::cerr << "nibbly: cannot use " << path << ": its masks are not black and white\n";
    }
    ReportUnreadable(path);
    return false;
}

bool BuildLevel() {
    // A fresh board has no fruit, whatever the last one left.
    Game.FruitShown = kFalse;
    Game.FruitGone = kFalse;
    Game.DotsLeft = 0;
    for (int row = 0; row < kMazeRows; ++row) {
        for (int col = 0; col < kMazeCols; ++col) {
            MazeCell& cell = Maze[col][row];
            switch (kMazeLayout[row][col]) {
                case 'W':
                    cell.Item = -1;
                    break;
                case '.':
                    cell.Item = 1;
                    ++Game.DotsLeft;
                    break;
                case 'o':
                    cell.Item = 2;
                    ++Game.DotsLeft;
                    break;
                default:
                    cell.Item = 0;
            }
        }
    }
    for (int row = 1; row <= 29; ++row) {
        for (int col = 1; col <= 26; ++col) {
            MazeCell& cell = Maze[col][row];
            if (cell.Item == -1) continue;
            if (Maze[col][row - 1].Item != -1) cell.Up = kTrue;
            if (Maze[col][row + 1].Item != -1) cell.Down = kTrue;
            if (Maze[col - 1][row].Item != -1) cell.Left = kTrue;
            if (Maze[col + 1][row].Item != -1) cell.Right = kTrue;
            const bool vertical = cell.Up || cell.Down;
            const bool horizontal = cell.Left || cell.Right;
            cell.Turn = vertical && horizontal ? kTrue : kFalse;
        }
    }
    return DrawMaze();
}

bool DrawMaze() {
    FrmMain& form = frmMain();
    if (!LoadGamePicture(form.pctScreen, DefaultMode ? "/level1.bmp" : "/levelold.bmp", kLevelWidth,
                         kLevelHeight)) {
        return false;
    }
    form.pctpicture.SetPicture(form.pctScreen);
    // The repaint leaves nothing on the playfield that a slot could put back.
    for (SavedBlock& block : savedBlocks) block.held = false;
    for (int row = 1; row <= 29; ++row) {
        for (int col = 1; col <= 26; ++col) {
            const int item = Maze[col][row].Item;
            if (item != 1 && item != 2) continue;
            const int sheetX = item == 1 ? 0 : 16;
            BitBlt(form.pctScreen, col * kCell, row * kCell, 16, 16, form.pctTiles, sheetX, 336,
                   SRCAND);
            BitBlt(form.pctScreen, col * kCell, row * kCell, 16, 16, form.pctTiles, sheetX, 320,
                   SRCPAINT);
        }
    }
    return true;
}

void ResetActors() {
    Game.GobX = 224;
    Game.GobY = 376;
    Game.GobDir = 3;
    Game.GobAlign = 8;
    Game.GobSpeed = Speed;
    Game.GobFrame = 0;
    Game.GobFrameStep = 1;
    Game.GobFrameTicks = 0;
    DrawSprite(208, 360, 96, 224, 0);

    struct Start {
        std::int16_t x, y, dir;
    };
    const Start starts[4] = {{224, 184, 0}, {192, 224, 0}, {224, 240, 1}, {256, 224, 0}};
    for (int g = 0; g < 4; ++g) {
        GhostState& ghost = Ghosts[g];
        ghost.X = starts[g].x;
        ghost.Y = starts[g].y;
        ghost.Dir = g == 0 ? RandomSide() : starts[g].dir;
        // Ghost 4's counter is never read in the house, so it keeps whatever it had.
        if (g != 3) ghost.Align = 8;
        ghost.Roaming = kFalse;
        ghost.Eaten = kFalse;
        ghost.Frightened = 0;
        ghost.Stride = Speed;
        if (g != 0) ghost.Bounces = 0;
        DrawSprite(ghost.X - 16, ghost.Y - 16, g * 32, ghost.Dir * 32, g + 1);
    }
    frmMain().pctScreen.Refresh();
}

void DrawSprite(int x, int y, int srcX, int srcY, int slot) {
    FrmMain& form = frmMain();
    BitBlt(form.pctBack, 0, 32 * slot, 32, 32, form.pctScreen, x, y, SRCCOPY);
    savedBlocks[slot] = {x, y, true};
    int maskX = srcX + 128;
    int maskY = srcY;
    if (slot >= 1 && slot <= 4) maskX = Ghosts[slot - 1].Eaten ? 224 : 192;
    BitBlt(form.pctScreen, x, y, 32, 32, form.pctTiles, maskX, maskY, SRCAND);
    BitBlt(form.pctScreen, x, y, 32, 32, form.pctTiles, srcX, srcY, SRCPAINT);
}

void EraseSprite(int slot) {
    SavedBlock& block = savedBlocks[slot];
    if (!block.held) return;
    FrmMain& form = frmMain();
    BitBlt(form.pctScreen, block.x, block.y, 32, 32, form.pctBack, 0, 32 * slot, SRCCOPY);
    block.held = false;
}

void EraseSprites() {
    for (int slot = 4; slot >= 0; --slot) EraseSprite(slot);
}

void DrawSprites() {
    Game.FlashPhase = static_cast<std::int16_t>((Game.FlashPhase + 1) % 16);
    DrawSprite(Sprites[0].NewX, Sprites[0].NewY, Sprites[0].SrcX, Sprites[0].SrcY, 0);
    for (int g = 1; g <= 4; ++g) {
        const std::int16_t frightened = Ghosts[g - 1].Frightened;
        if (frightened > 0 && (frightened >= 200 / Speed || Game.FlashPhase > 7)) {
            Sprites[g].SrcX = 128;
        }
        DrawSprite(Sprites[g].NewX, Sprites[g].NewY, Sprites[g].SrcX, Sprites[g].SrcY, g);
    }
}

namespace {

// Sheet position of level n's fruit (n from 0): four to a row, two rows.
int FruitSheetX(int n) {
    return (n % 4) * 32;
}
int FruitSheetY(int n) {
    return 256 + (n / 4) * 32;
}

}  // namespace

void DrawFruit() {
    const int n = Game.Level - 1;
    DrawSprite(kFruitX, kFruitY, FruitSheetX(n), FruitSheetY(n), kFruitSlot);
}

void WrapX(std::int16_t& x) {
    if (x > 416) x = static_cast<std::int16_t>(x - 416);
    if (x < 16) x = static_cast<std::int16_t>(x + 416);
}

void DrawStats() {
    FrmMain& form = frmMain();
    form.pctStats.Cls();
    for (int i = 1; i <= Game.Lives - 1; ++i) {
        BitBlt(form.pctStats, (i - 1) * 32, 0, 32, 32, form.pctTiles, 96, 224, SRCCOPY);
    }
    for (int n = 0; n <= Game.Level - 1; ++n) {
        BitBlt(form.pctStats, n * 32, 32, 32, 32, form.pctTiles, FruitSheetX(n), FruitSheetY(n),
               SRCCOPY);
    }
    form.pctStats.Refresh();
}

namespace {

std::string SoundPath(const std::string& name) {
    return plat::AppPath() + "/" + name + ".wav";
}

}  // namespace

void PlaySound(const std::string& name, int flags) {
    plat::sndPlaySound(SoundPath(name), flags);
}

const char* StartMusic(bool defaultLook) {
    return defaultLook ? "startMusic" : "startMusicold";
}

void LoadGameSounds() {
    std::vector<std::string> paths;
    // Both spellings of the fruit sound are played; the file matches either. Both looks'
    // music: the look can change between games, and nothing is read inside a tick.
    for (const char* name : {"eatpill", "fruiteat", "Fruiteat", "ghosteat", "killed", "extralife",
                             StartMusic(true), StartMusic(false)})
        paths.push_back(SoundPath(name));
    plat::LoadSounds(paths);
}
