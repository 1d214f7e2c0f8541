#include "frame.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "cellrender.h"

namespace {

constexpr QRgb kGreen = qRgb(0, 128, 0);
constexpr QRgb kRim = qRgb(52, 62, 138);

constexpr int kTitleRows = 27;
constexpr int kBottomTop = 194;
constexpr int kButtonTop = 5;
constexpr int kMinimiseLeft = 229;
constexpr int kCloseLeft = 250;

QRgb lerp(QRgb a, QRgb b, double t) {
    const auto mix = [t](int x, int y) { return int(x + (y - x) * t + 0.5); };
    return qRgb(mix(qRed(a), qRed(b)), mix(qGreen(a), qGreen(b)), mix(qBlue(a), qBlue(b)));
}

// Dusk at the top, daylight by row 22, then a soft fall into a darker seam under the band.
QRgb titleBandRow(int y) {
    constexpr QRgb kTop = qRgb(55, 64, 141), kLight = qRgb(114, 155, 225);
    if (y <= 22) return lerp(kTop, kLight, y / 22.0);
    if (y < kTitleRows - 1) return lerp(kLight, qRgb(92, 128, 206), (y - 22) / 3.0);
    return qRgb(66, 95, 179);
}

QRgb bottomBandRow(int y) {
    if (y == kBottomTop) return qRgb(66, 95, 179);  // the same seam as under the title band
    return lerp(qRgb(98, 152, 225), qRgb(77, 133, 212), (y - kBottomTop) / 22.0);
}

// Outside in: dark rim, light bevel, two steps of middle blue.
QRgb sideBorder(int fromEdge) {
    constexpr QRgb kBands[] = {kRim, qRgb(109, 164, 235), qRgb(90, 136, 218), qRgb(72, 106, 194)};
    return kBands[fromEdge];
}

// The same outline the window gives itself, so frame and shape meet at every corner.
QRegion outline(int w, int h) {
    QRegion r(0, 5, w, h - 10);
    r += QRegion(5, 0, w - 10, h);
    r += QRegion(-2, 0, 17, 35, QRegion::Ellipse);
    r += QRegion(w - 15, 0, 17, 20, QRegion::Ellipse);
    r += QRegion(-1, h - 20, 11, 20, QRegion::Ellipse);
    r += QRegion(w - 20, h - 40, 23, 44, QRegion::Ellipse);
    return r;
}

struct ButtonColours {
    QColor edge, top, bottom, shine, glyph;
};

ButtonColours buttonColours(FrameButton which, ButtonLook look) {
    if (which == FrameButton::Minimise) {
        switch (look) {
            case ButtonLook::Normal:
                return {QColor(36, 52, 132), QColor(128, 170, 240), QColor(66, 104, 196),
                        QColor(196, 222, 255, 200), Qt::white};
            case ButtonLook::Hover:
                return {QColor(44, 72, 164), QColor(184, 218, 255), QColor(104, 156, 240),
                        QColor(255, 255, 255, 230), Qt::white};
            case ButtonLook::Pressed:
                return {QColor(22, 30, 96), QColor(52, 80, 164), QColor(34, 54, 136),
                        QColor(110, 140, 210, 150), QColor(236, 242, 255)};
        }
    }
    switch (look) {
        case ButtonLook::Normal:
            return {QColor(112, 30, 22), QColor(232, 104, 70), QColor(184, 52, 32),
                    QColor(255, 190, 160, 190), Qt::white};
        case ButtonLook::Hover:
            return {QColor(140, 36, 14), QColor(255, 142, 84), QColor(240, 72, 30),
                    QColor(255, 226, 200, 230), Qt::white};
        case ButtonLook::Pressed:
            return {QColor(70, 8, 10), QColor(150, 26, 26), QColor(104, 14, 16),
                    QColor(200, 90, 90, 140), QColor(255, 172, 188)};
    }
    return {};
}

void paintFrameButton(QPainter& p, FrameButton which, ButtonLook look) {
    const ButtonColours c = buttonColours(which, look);
    const QRectF face(0.5, 0.5, 15, 15);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0, c.top);
    fill.setColorAt(1, c.bottom);
    p.setPen(QPen(c.edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(face, 3.5, 3.5);
    p.setPen(QPen(c.shine, 1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 1.9), QPointF(12.5, 1.9));

    // A pressed button's sign sinks by a pixel.
    const qreal sink = look == ButtonLook::Pressed ? 1 : 0;
    QColor shadow = c.edge;
    shadow.setAlpha(150);
    for (const auto& [colour, dy] : {std::pair{shadow, sink + 1}, std::pair{c.glyph, sink}}) {
        if (which == FrameButton::Minimise) {
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawRect(QRectF(4, 9 + dy, 8, 2));
        } else {
            p.setPen(QPen(colour, 2.1, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4.8, 4.8 + dy), QPointF(11.2, 11.2 + dy));
            p.drawLine(QPointF(11.2, 4.8 + dy), QPointF(4.8, 11.2 + dy));
        }
    }
}

}  // namespace

QImage drawFrameButton(FrameButton which, ButtonLook look) {
    return renderCoverage(Look::Polished, QSize(kFrameButtonPx, kFrameButtonPx),
                          [&](QPainter& p) { paintFrameButton(p, which, look); })
        .convertToFormat(QImage::Format_ARGB32);
}

QImage drawSkin() {
    QImage skin(kSkinWidth, kSkinHeight, QImage::Format_ARGB32);
    skin.fill(Qt::transparent);
    const QRegion shape = outline(kSkinWidth, kSkinHeight);
    const auto inside = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < kSkinWidth && y < kSkinHeight &&
               shape.contains(QPoint(x, y));
    };
    for (int y = 0; y < kSkinHeight; ++y) {
        for (int x = 0; x < kSkinWidth; ++x) {
            if (!inside(x, y)) continue;
            const int fromSide = std::min(x, kSkinWidth - 1 - x);
            QRgb c = kGreen;
            if (y < kTitleRows)
                c = titleBandRow(y);
            else if (y >= kBottomTop)
                c = bottomBandRow(y);
            else if (fromSide < 4)
                c = sideBorder(fromSide);
            const bool rim =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            skin.setPixel(x, y, rim ? kRim : c);
        }
    }
    QPainter p(&skin);
    p.drawImage(kMinimiseLeft, kButtonTop,
                drawFrameButton(FrameButton::Minimise, ButtonLook::Normal));
    p.drawImage(kCloseLeft, kButtonTop, drawFrameButton(FrameButton::Close, ButtonLook::Normal));
    return skin;
}
