#pragma once
#include <cstdint>
#include <string>

#include "game/mazelayout.h"
#include "platform/picturebox.h"

// The maze grid, the sprite records, the drawing routines and sound.

struct MazeCell {
    std::int16_t Turn;
    std::int16_t Up;
    std::int16_t Down;
    std::int16_t Left;
    std::int16_t Right;
    std::int16_t Item;  // -1 wall, 0 empty, 1 dot, 2 power pill
    std::int16_t OtherItem;
};

// Indexed (column, row); rows 31 to 33 are never filled nor reached.
inline MazeCell Maze[kMazeCols][34];

struct SpriteState {
    std::int16_t OldX;
    std::int16_t OldY;
    std::int16_t NewX;
    std::int16_t NewY;
    std::int16_t SrcX;
    std::int16_t SrcY;
};

// Slot 0 the player, slots 1 to 4 ghosts 1 to 4.
inline SpriteState Sprites[5];

// Save-under slot of the bonus fruit, and where it stands.
inline constexpr int kFruitSlot = 5;
inline constexpr int kFruitX = 216;
inline constexpr int kFruitY = 264;

// Both false when the level picture cannot be read (reported to the player).
bool BuildLevel();
bool DrawMaze();
void ResetActors();

void DrawSprite(int x, int y, int srcX, int srcY, int slot);
// Puts back what the slot saved, where it saved it; nothing once put back or after a
// repaint of the whole playfield.
void EraseSprite(int slot);
void EraseSprites();
void DrawSprites();
void DrawStats();
// The tunnel: x leaving one side comes back on the other, kept in 16..431.
void WrapX(std::int16_t& x);
// The fruit of the current level at its spot, in the fruit's save-under slot.
void DrawFruit();

// Plays "<program folder>/<name>.wav"; flags 1 returns at once, 0 when it has ended.
void PlaySound(const std::string& name, int flags);
// The music a game starts with in the default look, or in the other.
const char* StartMusic(bool defaultLook);
// Reads the sounds PlaySound is given in either look, before the first tick needs one.
void LoadGameSounds();

// The sizes the drawing code relies on.
inline constexpr int kLevelWidth = 448;
inline constexpr int kLevelHeight = 496;
inline constexpr int kSheetWidth = 256;
inline constexpr int kSheetHeight = 352;

// Makes "<program folder><file>" the picture of a surface. When it cannot be read or is not
// width x height, a message box names the file and the result is false.
bool LoadGamePicture(plat::PictureBox& box, const std::string& file, int width, int height);
// The same for a sprite sheet, whose masks must also be pure black and white.
bool LoadSpriteSheet(plat::PictureBox& box, const std::string& file);
