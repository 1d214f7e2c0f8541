#pragma once
#include <cstdint>

namespace plat {

// Colours are 0x00BBGGRR, as the window's properties store them.
using Colour = std::uint32_t;

constexpr Colour RGB(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16);
}

// Font as the window's layout names it; the platform maps faces to installed fonts and
// points to pixels at 96 DPI.
struct Font {
    const char* face;
    double points;
    bool bold = false;
};

}  // namespace plat
