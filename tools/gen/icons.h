#pragma once
#include <QImage>

// Sizes the program icon is drawn at, each on its own.
inline constexpr int kProgramIconSizes[] = {16, 32, 48, 64, 128, 256};
inline constexpr int kTitleIconPx = 16;

// Nibbly alone, pixel by pixel, for the title band.
QImage drawTitleIcon();
// Nibbly in a corner of the maze; at 16 px only Nibbly and the dot it is about to eat.
QImage drawProgramIcon(int size);
