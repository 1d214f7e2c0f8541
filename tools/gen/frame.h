#pragma once
#include <QImage>

// The window's own frame: one skin picture the window cuts its title band, edges and corners
// from, and the hover and pressed looks of the two title-band buttons.
inline constexpr int kSkinWidth = 271;
inline constexpr int kSkinHeight = 218;
inline constexpr int kFrameButtonPx = 16;

enum class FrameButton { Minimise, Close };
enum class ButtonLook { Normal, Hover, Pressed };

QImage drawSkin();
QImage drawFrameButton(FrameButton which, ButtonLook look);
