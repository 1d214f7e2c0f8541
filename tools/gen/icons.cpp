#include "icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "actors.h"
#include "cellrender.h"
#include "palette.h"

namespace {

// Nibbly at 16 px, each pixel decided here: a lime disc lit from the top-left with a dark rim,
// a wedge mouth, one eye and the leaf on its crown.
QImage pixelNibbly() {
    constexpr double kCx = 7.5, kCy = 9.5, kRadius = 6.6;
    const auto body = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= 16 || y >= 16) return false;
        const double dx = x + 0.5 - kCx, dy = y + 0.5 - kCy;
        const bool mouth = dx > 0.5 && std::abs(dy) < (dx - 0.5) * 0.6;
        return std::hypot(dx, dy) <= kRadius && !mouth;
    };
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (!body(x, y)) continue;
            const bool rim =
                !body(x - 1, y) || !body(x + 1, y) || !body(x, y - 1) || !body(x, y + 1);
            const double light = (-(x + 0.5 - kCx) * 0.6 - (y + 0.5 - kCy) * 0.8) / kRadius;
            QRgb c = qRgb(170, 245, 90);
            if (rim)
                c = qRgb(36, 84, 18);
            else if (light > 0.62)
                c = qRgb(214, 252, 160);
            else if (light < -0.3)
                c = qRgb(112, 190, 48);
            img.setPixel(x, y, c);
        }
    }
    // Leaf: dark edge 'd', green 'g', light vein 'v'.
    static const char* const kLeaf[] = {
        ".ddd....",
        "dgggdd..",
        ".ddvggd.",
        "...dddd.",
    };
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            const char k = kLeaf[y][x];
            if (k == 'd') img.setPixel(x, y, qRgb(30, 90, 26));
            if (k == 'g') img.setPixel(x, y, qRgb(74, 172, 56));
            if (k == 'v') img.setPixel(x, y, qRgb(150, 220, 110));
        }
    }
    img.setPixel(8, 5, qRgb(255, 255, 255));
    img.setPixel(9, 5, qRgb(255, 255, 255));
    img.setPixel(8, 6, qRgb(255, 255, 255));
    img.setPixel(9, 6, qRgb(20, 26, 30));
    return img;
}

// The level's wall look at icon size: a glowing teal line round a dark block.
void paintWallBlock(QPainter& p, QRectF block, qreal radius, qreal line) {
    QColor glow(palette::kWallLine);
    glow.setAlpha(70);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(glow, line * 2.6));
    p.drawRoundedRect(block, radius, radius);
    QLinearGradient fill(block.topLeft(), block.bottomRight());
    fill.setColorAt(0, QColor(palette::kWallInner));
    fill.setColorAt(1, QColor(palette::kWallDeep));
    p.setBrush(fill);
    p.setPen(QPen(QColor(palette::kWallLine), line));
    p.drawRoundedRect(block, radius, radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(palette::kWallLineCore), line * 0.4));
    p.drawRoundedRect(block, radius, radius);
}

void paintDotAt(QPainter& p, QPointF at, qreal r) {
    QRadialGradient glow(at, r * 2.2);
    glow.setColorAt(0, QColor(255, 200, 160, 120));
    glow.setColorAt(1, QColor(255, 200, 160, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(at, r * 2.2, r * 2.2);
    p.setBrush(QColor(255, 222, 190));
    p.drawEllipse(at, r, r);
}

// Where a line `width` whole pixels wide must run so that it covers whole pixels.
qreal snap(qreal at, qreal width) {
    return std::lround(width) % 2 ? std::floor(at) + 0.5 : std::round(at);
}

QRectF snapped(const QRectF& r, qreal width) {
    return QRectF(QPointF(snap(r.left(), width), snap(r.top(), width)),
                  QPointF(snap(r.right(), width), snap(r.bottom(), width)));
}

// Composed on a 64-unit grid with its lines on whole pixels; sizes below 48 leave out the ghost,
// which would only be noise there.
void paintIcon(QPainter& p, int size) {
    const qreal u = size / 64.0;
    const qreal line = std::max(1.0, std::round(2.0 * u));

    const QRectF tile(0.5 * u, 0.5 * u, 63 * u, 63 * u);
    QLinearGradient floor(tile.topLeft(), tile.bottomLeft());
    floor.setColorAt(0, QColor(40, 30, 92));
    floor.setColorAt(1, QColor(palette::kFloor));
    p.setPen(Qt::NoPen);
    p.setBrush(floor);
    p.drawRoundedRect(tile, 12 * u, 12 * u);
    // The maze's border wall runs just inside the tile's edge.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(palette::kWallLine), line));
    p.drawRoundedRect(snapped(tile.adjusted(3 * u, 3 * u, -3 * u, -3 * u), line), 9 * u, 9 * u);

    paintWallBlock(p, snapped(QRectF(36 * u, 36 * u, 21 * u, 21 * u), line), 5 * u, line);

    const SpriteStyle st{Look::Polished};
    const qreal dotR = std::max(1.2, 2.4 * u);
    paintDotAt(p, QPointF(48 * u, 20 * u), dotR);
    if (size >= 48) {
        p.save();
        p.translate(6 * u, 35 * u);
        p.scale(24 * u / 32, 24 * u / 32);
        paintGhost(p, st, 0, kUp);
        p.restore();
    } else {
        paintDotAt(p, QPointF(20 * u, 48 * u), dotR);
    }
    p.save();
    p.translate(3 * u, 3 * u);
    p.scale(34 * u / 32, 34 * u / 32);
    paintPlayer(p, st, kRight, 2);
    p.restore();
}

}  // namespace

QImage drawTitleIcon() {
    return pixelNibbly();
}

QImage drawProgramIcon(int size) {
    if (size <= 16) {
        QImage img = pixelNibbly();
        img.setPixel(13, 9, qRgb(255, 214, 176));
        img.setPixel(14, 9, qRgb(255, 214, 176));
        img.setPixel(13, 10, qRgb(238, 170, 130));
        img.setPixel(14, 10, qRgb(238, 170, 130));
        return img;
    }
    return renderCoverage(Look::Polished, QSize(size, size),
                          [&](QPainter& p) { paintIcon(p, size); })
        .convertToFormat(QImage::Format_ARGB32);
}
