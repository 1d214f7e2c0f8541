#pragma once
#include <QColor>

// Colours shared by the level pictures and the sprite sheets of each edition.
namespace palette {

// Polished: neon-teal walls on a deep indigo floor.
inline constexpr QRgb kFloor = qRgb(15, 12, 36);
inline constexpr QRgb kWallLine = qRgb(94, 242, 214);
inline constexpr QRgb kWallLineCore = qRgb(224, 255, 248);
inline constexpr QRgb kWallInner = qRgb(28, 84, 96);
inline constexpr QRgb kWallDeep = qRgb(20, 30, 62);
inline constexpr QRgb kGate = qRgb(255, 143, 200);

// Retro: a small fixed palette, every pixel one of these.
namespace retro {
inline constexpr QRgb kFloor = qRgb(0, 0, 0);
inline constexpr QRgb kWallRim = qRgb(112, 248, 224);
inline constexpr QRgb kWallBand = qRgb(24, 168, 148);
inline constexpr QRgb kWallFill = qRgb(10, 60, 72);
inline constexpr QRgb kGate = qRgb(255, 144, 200);
}  // namespace retro

inline QRgb floorColour(bool retro) {
    return retro ? retro::kFloor : kFloor;
}

}  // namespace palette
