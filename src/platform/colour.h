#pragma once
#include <cstdint>

namespace plat {

// Colours are 0x00BBGGRR, as the window's properties store them.
using Colour = std::uint32_t;

constexpr Colour RGB(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16);
}

// A colour with the high bit set names a system colour by its low byte: 0x8000000F is the
// button face, 0x80000012 the button text.
constexpr Colour kSystemColourFlag = 0x80000000;
constexpr Colour vbButtonFace = 0x8000000F;
constexpr Colour vbButtonText = 0x80000012;
constexpr Colour vbWindowText = 0x80000008;

// The RGB of a colour value: system colours come from one fixed table of classic values, so the
// look never depends on the desktop's theme; an unknown index gives black.
Colour TranslateColor(Colour colour);

// Font as the window's layout names it; the platform maps faces to installed fonts and
// points to pixels at 96 DPI.
struct Font {
    const char* face;
    double points;
    bool bold = false;
};

}  // namespace plat
