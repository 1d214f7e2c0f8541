#include "titleart.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <algorithm>
#include <vector>

#include "actors.h"
#include "cellrender.h"
#include "palette.h"

namespace {

constexpr QRgb kWindowGreen = qRgb(0, 128, 0);
const QRectF kPanel(2.5, 2.5, kTitleArtWidth - 5, kTitleArtHeight - 5);
constexpr qreal kPanelRadius = 15;
constexpr qreal kCorridorWallY = 101;
constexpr qreal kCorridorY = 118;

// Letter strokes: centre lines of a round-ended pen, ascender at 0, x-height 30, baseline 62.
constexpr qreal kStroke = 16;
constexpr qreal kAscender = 0, kXHeight = 30, kBaseline = 62;

struct Letter {
    QPainterPath path;
    qreal width;  // between the outer centre lines
    qreal dy;     // its own bounce off the baseline
    qreal tilt;   // degrees
};

std::vector<Letter> letters() {
    std::vector<Letter> out;
    {
        QPainterPath n;
        n.moveTo(0, kBaseline);
        n.lineTo(0, kAscender);
        n.lineTo(38, kBaseline);
        n.lineTo(38, kAscender);
        out.push_back({n, 38, 0, -5});
    }
    {
        QPainterPath i;
        i.moveTo(0, kXHeight);
        i.lineTo(0, kBaseline);
        out.push_back({i, 0, -3, 4});
    }
    for (const auto& [dy, tilt] : {std::pair{2.0, -3.0}, std::pair{-2.0, 4.0}}) {
        QPainterPath b;
        b.moveTo(0, kAscender);
        b.lineTo(0, kBaseline);
        b.addEllipse(QRectF(0, kXHeight, 38, kBaseline - kXHeight));
        out.push_back({b, 38, dy, tilt});
    }
    {
        QPainterPath l;
        l.moveTo(0, kAscender);
        l.lineTo(0, kBaseline - 12);
        l.quadTo(0, kBaseline, 11, kBaseline);
        out.push_back({l, 11, 3, -4});
    }
    {
        QPainterPath y;
        y.moveTo(0, kXHeight);
        y.lineTo(0, kBaseline - 14);
        y.quadTo(0, kBaseline, 17, kBaseline);
        y.quadTo(34, kBaseline, 34, kBaseline - 14);
        y.moveTo(34, kXHeight);
        y.lineTo(34, kBaseline + 14);
        y.quadTo(34, kBaseline + 26, 18, kBaseline + 26);
        y.lineTo(10, kBaseline + 26);
        out.push_back({y, 34, 0, 5});
    }
    return out;
}

struct Lettering {
    QPainterPath strokes;
    QPointF pill;                 // the i's dot
    std::vector<QPointF> glints;  // tops of the N and the l, where the light catches
};

// Each letter placed and tilted about its own middle, left to right with even gaps.
Lettering placedLetters(QPointF origin, qreal gap) {
    Lettering out;
    qreal x = origin.x();
    const std::vector<Letter> all = letters();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Letter& l = all[i];
        QTransform t;
        const QPointF middle(x + l.width / 2, origin.y() + kBaseline / 2 + l.dy);
        t.translate(middle.x(), middle.y());
        t.rotate(l.tilt);
        t.translate(-l.width / 2, -kBaseline / 2);
        out.strokes.addPath(t.map(l.path));
        if (i == 1) out.pill = t.map(QPointF(0, kAscender + 4));
        if (i == 0 || i == 4) out.glints.push_back(t.map(QPointF(-2, kAscender + 2)));
        x += l.width + kStroke + gap;
    }
    return out;
}

QPainterPath strokeOf(const QPainterPath& centre, qreal width) {
    QPainterPathStroker s;
    s.setWidth(width);
    s.setCapStyle(Qt::RoundCap);
    s.setJoinStyle(Qt::RoundJoin);
    return s.createStroke(centre).simplified();
}

void paintWall(QPainter& p, const QRectF& block, qreal radius, qreal alpha) {
    QColor glow(palette::kWallLine), line(palette::kWallLine), core(palette::kWallLineCore);
    QColor fill(palette::kWallInner), deep(palette::kWallDeep);
    glow.setAlphaF(0.18 * alpha);
    line.setAlphaF(alpha);
    core.setAlphaF(0.8 * alpha);
    fill.setAlphaF(alpha);
    deep.setAlphaF(alpha);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(glow, 5));
    p.drawRoundedRect(block, radius, radius);
    QLinearGradient shade(block.topLeft(), block.bottomLeft());
    shade.setColorAt(0, fill);
    shade.setColorAt(1, deep);
    p.setBrush(shade);
    p.setPen(QPen(line, 1.8));
    p.drawRoundedRect(block, radius, radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(core, 0.7));
    p.drawRoundedRect(block, radius, radius);
}

void paintPanel(QPainter& p) {
    p.fillRect(QRectF(0, 0, kTitleArtWidth, kTitleArtHeight), QColor(kWindowGreen));
    QLinearGradient floor(kPanel.topLeft(), kPanel.bottomLeft());
    floor.setColorAt(0, QColor(40, 30, 96));
    floor.setColorAt(0.7, QColor(palette::kFloor));
    floor.setColorAt(1, QColor(palette::kFloor));
    p.setPen(QPen(QColor(10, 40, 20), 1.5));
    p.setBrush(floor);
    p.drawRoundedRect(kPanel, kPanelRadius, kPanelRadius);

    // A faint stretch of maze behind the name: rows of wall blocks with corridors between.
    constexpr qreal kLengths[] = {44, 26, 58, 34, 50, 30};
    int k = 0;
    for (const auto& [y, x0] :
         {std::pair{14.0, 14.0}, std::pair{44.0, 34.0}, std::pair{74.0, 20.0}}) {
        for (qreal x = x0; x < kTitleArtWidth - 30; ++k) {
            const qreal len = kLengths[k % 6];
            paintWall(p, QRectF(x, y, std::min(len, kTitleArtWidth - 22 - x), 12), 5, 0.34);
            x += len + 18;
        }
    }

    // The border and the corridor's inner wall, full strength.
    QColor glow(palette::kWallLine);
    glow.setAlphaF(0.25);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(glow, 5));
    const QRectF border = kPanel.adjusted(4, 4, -4, -4);
    p.drawRoundedRect(border, kPanelRadius - 4, kPanelRadius - 4);
    p.setPen(QPen(QColor(palette::kWallLine), 2));
    p.drawRoundedRect(border, kPanelRadius - 4, kPanelRadius - 4);
    p.setPen(QPen(QColor(palette::kWallLineCore), 0.8));
    p.drawRoundedRect(border, kPanelRadius - 4, kPanelRadius - 4);
    paintWall(p, QRectF(22, kCorridorWallY - 4, kTitleArtWidth - 44, 8), 4, 1.0);
}

void paintPill(QPainter& p, QPointF at, qreal r) {
    QRadialGradient glow(at, r * 2);
    glow.setColorAt(0, QColor(255, 190, 150, 170));
    glow.setColorAt(0.5, QColor(255, 150, 120, 60));
    glow.setColorAt(1, QColor(255, 140, 110, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(at, r * 2, r * 2);
    QRadialGradient ball(at - QPointF(r * 0.3, r * 0.35), r * 1.2);
    ball.setColorAt(0, QColor(255, 252, 240));
    ball.setColorAt(0.45, QColor(255, 212, 170));
    ball.setColorAt(1, QColor(238, 150, 104));
    p.setBrush(ball);
    p.drawEllipse(at, r, r);
}

// A four-pointed glint where the light catches a letter.
void paintSparkle(QPainter& p, QPointF at, qreal r) {
    QPainterPath star;
    star.moveTo(at + QPointF(0, -r));
    star.quadTo(at, at + QPointF(r, 0));
    star.quadTo(at, at + QPointF(0, r));
    star.quadTo(at, at + QPointF(-r, 0));
    star.quadTo(at, at + QPointF(0, -r));
    QRadialGradient glow(at, r * 0.9);
    glow.setColorAt(0, QColor(255, 255, 255, 200));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(at, r * 0.9, r * 0.9);
    p.setBrush(QColor(255, 255, 250));
    p.drawPath(star);
}

void paintLettering(QPainter& p) {
    const Lettering lettering = placedLetters(QPointF(18, 20), 5);
    const QPainterPath& all = lettering.strokes;
    const QPainterPath face = strokeOf(all, kStroke);
    const QPainterPath rim = strokeOf(all, kStroke + 6);

    // A chunky extrusion down and to the right, darkening as it recedes.
    p.setPen(Qt::NoPen);
    for (int k = 6; k >= 1; --k) {
        p.setBrush(QColor(70 - k * 6, 26, 110 - k * 8));
        p.drawPath(rim.translated(k * 0.6, k));
    }
    p.setBrush(QColor(22, 14, 52));
    p.drawPath(rim);

    QLinearGradient sun(0, 14, 0, 96);
    sun.setColorAt(0, QColor(255, 250, 170));
    sun.setColorAt(0.45, QColor(255, 214, 64));
    sun.setColorAt(1, QColor(255, 122, 36));
    p.setBrush(sun);
    p.drawPath(face);

    // Shine along the upper-left of every stroke, kept inside the letters.
    p.save();
    p.setClipPath(face);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 236, 190), kStroke * 0.28, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.drawPath(all.translated(-kStroke * 0.2, -kStroke * 0.24));
    p.restore();

    paintPill(p, lettering.pill, 8);
    for (QPointF at : lettering.glints) paintSparkle(p, at, 5.5);
}

void paintCorridor(QPainter& p) {
    const SpriteStyle st{Look::Polished};
    constexpr qreal kActor = 27.0 / 32;
    const auto actor = [&](qreal centreX, auto&& paint) {
        p.save();
        p.translate(centreX - 16 * kActor, kCorridorY - 16 * kActor);
        p.scale(kActor, kActor);
        paint();
        p.restore();
    };
    for (qreal x = 176; x <= 306; x += 13) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 214, 176));
        p.drawEllipse(QPointF(x, kCorridorY), 2.2, 2.2);
    }
    paintPill(p, QPointF(326, kCorridorY), 5);
    actor(46, [&] { paintGhost(p, st, 0, kRight); });
    actor(80, [&] { paintGhost(p, st, 2, kRight); });
    actor(152, [&] { paintPlayer(p, st, kRight, 2); });
}

void paintSeal(QPainter& p) {
    p.save();
    p.translate(322, 36);
    p.rotate(-7);
    const QRectF seal(-19, -19, 38, 38);
    p.setPen(QPen(QColor(120, 14, 24), 1.2));
    p.setBrush(QColor(214, 40, 52));
    p.drawRoundedRect(seal, 5, 5);
    p.setPen(QPen(QColor(255, 232, 220), 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(seal.adjusted(2.5, 2.5, -2.5, -2.5), 3, 3);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(14);
    font.setWeight(QFont::Black);
    // Read as a seal is: right column first, top to bottom.
    const QString glyphs = QStringLiteral("迷宫追逐");
    QPainterPath text;
    for (int k = 0; k < 4; ++k)
        text.addText(QPointF(k < 2 ? 0.5 : -14.5, k % 2 == 0 ? -2.5 : 13), font, glyphs[k]);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 240, 232));
    p.drawPath(text);
    p.restore();
}

}  // namespace

QImage drawTitleArt() {
    return renderCoverage(Look::Polished, QSize(kTitleArtWidth, kTitleArtHeight),
                          [](QPainter& p) {
                              paintPanel(p);
                              paintCorridor(p);
                              paintLettering(p);
                              paintSeal(p);
                          })
        .convertToFormat(QImage::Format_RGB32);
}
