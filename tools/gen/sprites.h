#pragma once
#include <QImage>

#include "look.h"

inline constexpr int kSheetWidth = 256;
inline constexpr int kSheetHeight = 352;

// Every image of the game's actors with its mask beside it, laid out where the game reads them.
QImage drawSpriteSheet(Look look);
