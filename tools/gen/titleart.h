#pragma once
#include <QImage>

inline constexpr int kTitleArtWidth = 355;
inline constexpr int kTitleArtHeight = 136;

// The logo the idle window shows: our own lettering of the name over a stretch of the maze, with
// Nibbly and the ghosts running its corridor. Opaque, its edge the window's green.
QImage drawTitleArt();
