#pragma once
#include <QColor>
#include <QImage>
#include <functional>

#include "look.h"

class QPainter;

// Draws in the cell's own pixel coordinates, whatever resolution it is rendered at.
using PaintFn = std::function<void(QPainter&)>;

// Premultiplied colour and coverage of a drawing at the cell's final size. Polished: supersampled
// and anti-aliased. Retro: drawn at half resolution without anti-aliasing and doubled, so every
// pixel is a flat 2 x 2 block.
QImage renderCoverage(Look look, QSize size, const PaintFn& paint);

// The one place each edge pixel is decided: black (drawn) where coverage reaches `minAlpha`,
// white (background shows) elsewhere.
QImage maskFromCoverage(const QImage& coverage, int minAlpha = 128);

// Black where either mask is black.
QImage uniteMasks(const QImage& a, const QImage& b);

// The sheet image for a mask: colour blended against `under` where the mask is black, pure black
// where it is white.
QImage imageForMask(const QImage& coverage, const QImage& mask, QColor under = Qt::black);
