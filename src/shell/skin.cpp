#include "shell/skin.h"

#include <cmath>

int TwipsToPixels(double twips) {
    return static_cast<int>(std::nearbyint(twips / kTwipsPerPixel));
}

namespace {

QRect Pixels(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

QRegion Ellipse(int left, int top, int right, int bottom) {
    return QRegion(left, top, right - left, bottom - top, QRegion::Ellipse);
}

}  // namespace

std::array<SkinPiece, 8> SkinPieces(int w, int h, int sw, int sh) {
    return {{
        {Pixels(420, 0, 120, 600), Pixels(420, 0, w, 600)},                 // top band
        {Pixels(420, sh - 600, 120, 600), Pixels(420, h - 600, w, 600)},    // bottom band
        {Pixels(0, 880, 200, 40), Pixels(0, 0, 200, h)},                    // left edge
        {Pixels(sw - 200, 880, 200, 40), Pixels(w - 200, 0, 200, h)},       // right edge
        {Pixels(0, 0, 450, 600), Pixels(0, 0, 450, 600)},                   // top left
        {Pixels(0, sh - 600, 450, 600), Pixels(0, h - 600, 450, 600)},      // bottom left
        {Pixels(sw - 1665, 0, 1665, 435), Pixels(w - 1665, 0, 1665, 435)},  // top right
        {Pixels(sw - 1665, sh - 525, 1665, 525), Pixels(w - 1665, h - 525, 1665, 525)},
    }};
}

QRegion WindowOutline(int w, int h) {
    QRegion outline(0, 5, w, h - 10);
    outline += QRegion(5, 0, w - 10, h);
    outline += Ellipse(-2, 0, 15, 35);
    outline += Ellipse(w - 15, 0, w + 2, 20);
    outline += Ellipse(-1, h - 20, 10, h);
    outline += Ellipse(w - 20, h - 40, w + 3, h + 4);
    // The ellipses reach past the window; the outline does not.
    return outline & QRegion(0, 0, w, h);
}

Placement ClampPlacement(Placement wanted, std::int32_t screenWidth, std::int32_t screenHeight,
                         std::int32_t windowWidth, std::int32_t windowHeight) {
    Placement place = wanted;
    if (place.x < 0) place.x = 0;
    if (place.y < 0) place.y = 0;
    if (screenWidth - windowWidth < place.x) place.x = screenWidth - windowWidth;
    if (screenHeight - windowHeight < place.y) place.y = screenHeight - windowHeight;
    return place;
}
