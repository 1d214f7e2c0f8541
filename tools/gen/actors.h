#pragma once

#include "spritestyle.h"

class QPainter;

// Directions in the order of the sheet's rows and columns.
enum Dir { kUp = 0, kDown = 1, kLeft = 2, kRight = 3 };
inline constexpr int kGhostCount = 4;
inline constexpr int kMouthFrames = 4;

// All draw into a 32 x 32 cell, body about 26 px across.
void paintGhost(QPainter& p, const SpriteStyle& st, int ghost, int dir);
void paintFrightened(QPainter& p, const SpriteStyle& st, int dir);
void paintEyes(QPainter& p, const SpriteStyle& st, int dir);
void paintPlayer(QPainter& p, const SpriteStyle& st, int dir, int frame);

// Into a 16 x 16 cell.
void paintDot(QPainter& p, const SpriteStyle& st);
void paintPill(QPainter& p, const SpriteStyle& st);
