#pragma once

#include "spritestyle.h"

class QPainter;

inline constexpr int kBonusCount = 8;

// The bonus item of `level` (1..8), each with its own silhouette, in a 32 x 32 cell.
void paintBonus(QPainter& p, const SpriteStyle& st, int level);
