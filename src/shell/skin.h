#pragma once
#include <QRect>
#include <QRegion>
#include <array>
#include <cstdint>

// The window's layout is in twips, converted at 15 to the pixel.
inline constexpr int kTwipsPerPixel = 15;

// Whole pixels from twips, halves to even, as the window system places windows.
int TwipsToPixels(double twips);

// One stretching copy from the skin picture onto the window, in pixels.
struct SkinPiece {
    QRect source;
    QRect target;
};

// The frame's eight pieces for a window and skin of the given sizes in twips, in painting
// order: the bands and edges first, so the corners overwrite them.
std::array<SkinPiece, 8> SkinPieces(int windowWidth, int windowHeight, int skinWidth,
                                    int skinHeight);

// The window's rounded outline for a window of w x h pixels. The four corners are rounded
// differently, as the skin's art is.
QRegion WindowOutline(int w, int h);

struct Placement {
    std::int32_t x;
    std::int32_t y;
};

// Keeps a remembered window position (twips) on the screen: first not above or left of it,
// then not past its right or bottom edge, which wins on a screen smaller than the window.
Placement ClampPlacement(Placement wanted, std::int32_t screenWidth, std::int32_t screenHeight,
                         std::int32_t windowWidth, std::int32_t windowHeight);
