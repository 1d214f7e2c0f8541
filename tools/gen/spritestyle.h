#pragma once
#include <QBrush>
#include <QColor>
#include <QPen>
#include <QPointF>

#include "look.h"

// How one drawing routine serves both editions: the polished look gets gradients, outlines and
// highlights; the retro look gets the same shapes in flat palette colours.
struct SpriteStyle {
    Look look;

    bool retro() const { return look == Look::Retro; }

    // A ball lit from `light` (cell coordinates), or flat in the retro look.
    QBrush body(QColor base, QPointF light, qreal radius) const;
    // The subtle darker edge of a polished shape; none in the retro look.
    QPen outline(QColor base, qreal width = 0.9) const;
};

// Retro palette shared by the sprites, beside the walls' colours.
namespace retrocolour {
inline constexpr QRgb kWhite = qRgb(255, 255, 255);
inline constexpr QRgb kNavy = qRgb(40, 40, 160);
inline constexpr QRgb kLime = qRgb(168, 240, 48);
inline constexpr QRgb kGreen = qRgb(60, 140, 28);
inline constexpr QRgb kCrimson = qRgb(240, 48, 80);
inline constexpr QRgb kViolet = qRgb(128, 80, 240);
inline constexpr QRgb kAzure = qRgb(72, 184, 255);
inline constexpr QRgb kAmber = qRgb(248, 152, 32);
inline constexpr QRgb kPale = qRgb(236, 232, 255);
inline constexpr QRgb kPeach = qRgb(255, 200, 160);
inline constexpr QRgb kYellow = qRgb(255, 224, 80);
inline constexpr QRgb kBrown = qRgb(154, 90, 40);
inline constexpr QRgb kPink = qRgb(255, 144, 200);
}  // namespace retrocolour
