#pragma once
#include <QImage>

#include "look.h"

// Pixel size of the level picture: one 16 x 16 cell per maze cell.
inline constexpr int kLevelWidth = 448;
inline constexpr int kLevelHeight = 496;

// Walls only where the maze has them; every other pixel is exactly the edition's floor colour,
// so the game can paint dots onto the picture and wipe eaten cells back from it.
QImage drawLevel(Look look);
