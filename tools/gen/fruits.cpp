#include "fruits.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>

namespace {

QColor pick(const SpriteStyle& st, QRgb polished, QRgb retro) {
    return QColor(st.retro() ? retro : polished);
}

// A small white glint, a single pixel block in the retro look.
void glint(QPainter& p, const SpriteStyle& st, QPointF at, qreal r) {
    p.setPen(Qt::NoPen);
    if (st.retro()) {
        p.setBrush(QColor(retrocolour::kWhite));
        p.drawRect(QRectF(at - QPointF(1, 1), QSizeF(2, 2)));
        return;
    }
    p.setBrush(QColor(255, 255, 255, 190));
    p.drawEllipse(at, r, r * 0.8);
}

void leaf(QPainter& p, const SpriteStyle& st, QPointF at, qreal angle, qreal len, qreal width) {
    const QColor green = pick(st, qRgb(86, 190, 70), retrocolour::kGreen);
    p.save();
    p.translate(at);
    p.rotate(angle);
    QPainterPath path;
    path.moveTo(0, 0);
    path.cubicTo(len * 0.3, -width, len * 0.8, -width, len, 0);
    path.cubicTo(len * 0.8, width, len * 0.3, width, 0, 0);
    p.setPen(st.outline(green, 0.7));
    p.setBrush(st.body(green, {len * 0.3, -width * 0.5}, len));
    p.drawPath(path);
    p.restore();
}

void stem(QPainter& p, const SpriteStyle& st, QPointF from, QPointF to, qreal width) {
    const QColor brown = pick(st, qRgb(130, 80, 40), retrocolour::kBrown);
    p.setPen(QPen(brown, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
}

void pear(QPainter& p, const SpriteStyle& st) {
    stem(p, st, {16, 9}, {17.5, 3.5}, 2);
    leaf(p, st, {17.3, 5}, -25, 8, 2.8);
    QPainterPath body;
    body.moveTo(16, 7);
    body.cubicTo(19.8, 7, 20, 11.5, 22.3, 15);
    body.cubicTo(26.5, 20.5, 25, 29, 16, 29);
    body.cubicTo(7, 29, 5.5, 20.5, 9.7, 15);
    body.cubicTo(12, 11.5, 12.2, 7, 16, 7);
    const QColor gold = pick(st, qRgb(236, 206, 70), retrocolour::kYellow);
    p.setPen(st.outline(gold));
    p.setBrush(st.body(gold, {13, 16}, 16));
    p.drawPath(body);
    glint(p, st, {12.5, 19}, 1.6);
}

void grapes(QPainter& p, const SpriteStyle& st) {
    stem(p, st, {16, 9}, {16.5, 3.5}, 1.8);
    leaf(p, st, {16, 6}, 200, 8.5, 3);
    const QColor purple = pick(st, qRgb(140, 80, 214), retrocolour::kViolet);
    constexpr std::array<QPointF, 6> kBerries = {QPointF(10, 12), QPointF(16, 11),
                                                 QPointF(22, 12), QPointF(13, 18),
                                                 QPointF(19, 18), QPointF(16, 24.5)};
    for (QPointF c : kBerries) {
        if (st.retro()) {
            // Flat berries need a shadow edge to stay separate.
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(retrocolour::kNavy));
            p.drawEllipse(c + QPointF(0.5, 0.5), 4, 4);
            p.setBrush(purple);
            p.drawEllipse(c - QPointF(0.5, 0.5), 3.2, 3.2);
            continue;
        }
        p.setPen(st.outline(purple, 0.8));
        p.setBrush(st.body(purple, c + QPointF(-1.5, -1.5), 5));
        p.drawEllipse(c, 4, 4);
        glint(p, st, c + QPointF(-1.4, -1.4), 0.9);
    }
    if (st.retro()) glint(p, st, {11, 11}, 1);
}

void carrot(QPainter& p, const SpriteStyle& st) {
    p.save();
    p.translate(20, 10);
    p.rotate(38);  // root points down-left
    leaf(p, st, {0, -1}, -90, 9, 2.2);
    leaf(p, st, {0, -1}, -125, 8, 2.0);
    leaf(p, st, {0, -1}, -55, 8, 2.0);
    QPainterPath root;
    root.moveTo(-5, 0);
    root.cubicTo(-5, 8, -1.5, 17, 0, 21.5);
    root.cubicTo(1.5, 17, 5, 8, 5, 0);
    root.cubicTo(5, -2.8, -5, -2.8, -5, 0);
    const QColor orange = pick(st, qRgb(255, 134, 40), retrocolour::kAmber);
    p.setPen(st.outline(orange));
    p.setBrush(st.body(orange, {-2, 2}, 14));
    p.drawPath(root);
    // Growth rings.
    p.setClipPath(root);
    const QColor ring = st.retro() ? QColor(retrocolour::kBrown) : orange.darker(160);
    p.setPen(QPen(ring, st.retro() ? 2 : 0.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1, 5), QPointF(5, 5));
    p.drawLine(QPointF(-5, 10), QPointF(-1.5, 10));
    p.drawLine(QPointF(0.5, 14.5), QPointF(3, 14.5));
    p.restore();
}

void melonSlice(QPainter& p, const SpriteStyle& st) {
    p.save();
    p.translate(16, 15);
    p.rotate(-14);
    const QRectF outer(-13, -13, 26, 26);
    QPainterPath rind;
    rind.moveTo(-13, -1);
    rind.arcTo(outer.translated(0, -1), 180, 180);
    rind.closeSubpath();
    const QColor green = pick(st, qRgb(52, 160, 74), retrocolour::kGreen);
    p.setPen(st.outline(green));
    p.setBrush(st.body(green, {-4, 4}, 16));
    p.drawPath(rind);
    const QRectF inner = outer.adjusted(2.5, 2.5, -2.5, -2.5).translated(0, -1);
    QPainterPath flesh;
    flesh.moveTo(inner.left(), -1);
    flesh.arcTo(inner, 180, 180);
    flesh.closeSubpath();
    const QColor red = pick(st, qRgb(244, 62, 82), retrocolour::kCrimson);
    if (!st.retro()) {
        p.setPen(QPen(QColor(236, 250, 214), 1.2));
    } else {
        p.setPen(Qt::NoPen);
    }
    p.setBrush(st.body(red, {-3, 1}, 14));
    p.drawPath(flesh);
    p.setPen(Qt::NoPen);
    p.setBrush(st.retro() ? QColor(Qt::black) : QColor(40, 20, 24));
    for (QPointF seed :
         {QPointF(-6, 2), QPointF(0, 3), QPointF(6, 2), QPointF(-3, 6.5), QPointF(3, 6.5)}) {
        if (st.retro())
            p.drawRect(QRectF(seed, QSizeF(2, 2)));
        else
            p.drawEllipse(seed, 0.9, 1.3);
    }
    p.restore();
}

void cupcake(QPainter& p, const SpriteStyle& st) {
    const QColor blue = pick(st, qRgb(96, 172, 255), retrocolour::kAzure);
    const QPolygonF cup({QPointF(7, 17.5), QPointF(25, 17.5), QPointF(22, 29), QPointF(10, 29)});
    p.setPen(st.outline(blue));
    p.setBrush(st.body(blue, {12, 20}, 14));
    p.drawPolygon(cup);
    p.setPen(
        QPen(st.retro() ? QColor(retrocolour::kNavy) : blue.darker(150), st.retro() ? 2 : 0.9));
    for (qreal x : {12.0, 16.0, 20.0}) p.drawLine(QPointF(x + (x - 16) * 0.25, 19), QPointF(x, 28));

    const QColor pink = pick(st, qRgb(255, 150, 200), retrocolour::kPink);
    p.setPen(st.outline(pink, 0.8));
    p.setBrush(st.body(pink, {12, 10}, 14));
    QPainterPath cream;
    cream.setFillRule(Qt::WindingFill);  // the blobs overlap; their union is the frosting
    cream.addEllipse(QPointF(16, 16.5), 10.5, 4.2);
    cream.addEllipse(QPointF(16, 12.5), 7.8, 3.8);
    cream.addEllipse(QPointF(16, 9), 4.8, 3.2);
    p.drawPath(cream.simplified());
    const QColor cherry = pick(st, qRgb(226, 30, 60), retrocolour::kCrimson);
    stem(p, st, {18, 4.5}, {20.5, 1.5}, 1);
    p.setPen(st.outline(cherry, 0.7));
    p.setBrush(st.body(cherry, {17, 4.5}, 4));
    p.drawEllipse(QPointF(18, 5.5), 2.8, 2.8);
    // Sprinkles.
    p.setPen(Qt::NoPen);
    const std::array<QRgb, 3> kSprinkles = {qRgb(255, 240, 120), qRgb(120, 230, 255),
                                            qRgb(255, 255, 255)};
    const std::array<QPointF, 5> kAt = {QPointF(10, 16), QPointF(14, 13), QPointF(21, 16),
                                        QPointF(18, 12), QPointF(14, 18)};
    for (std::size_t i = 0; i < kAt.size(); ++i) {
        if (st.retro()) {
            if (i % 2) continue;
            p.setBrush(QColor(retrocolour::kWhite));
            p.drawRect(QRectF(kAt[i], QSizeF(2, 2)));
        } else {
            p.setBrush(QColor(kSprinkles[i % 3]));
            p.drawRoundedRect(QRectF(kAt[i], QSizeF(1.8, 1.0)), 0.5, 0.5);
        }
    }
}

void iceCream(QPainter& p, const SpriteStyle& st) {
    const QColor tan = pick(st, qRgb(222, 164, 92), retrocolour::kBrown);
    const QPolygonF cone({QPointF(9, 15), QPointF(23, 15), QPointF(16, 30)});
    p.setPen(st.outline(tan));
    p.setBrush(st.body(tan, {13, 17}, 14));
    p.drawPolygon(cone);
    p.save();
    QPainterPath clip;
    clip.addPolygon(cone);
    p.setClipPath(clip);
    p.setPen(
        QPen(st.retro() ? QColor(retrocolour::kAmber) : tan.darker(150), st.retro() ? 2 : 0.8));
    for (int i = -2; i <= 3; ++i) {
        p.drawLine(QPointF(6 + i * 5, 14), QPointF(18 + i * 5, 32));
        p.drawLine(QPointF(26 - i * 5, 14), QPointF(14 - i * 5, 32));
    }
    p.restore();

    const QColor mint = pick(st, qRgb(126, 238, 176), retrocolour::kWhite);
    QPainterPath scoop;
    scoop.setFillRule(Qt::WindingFill);
    scoop.addEllipse(QPointF(16, 10), 8, 7.5);
    for (qreal x : {10.5, 16.0, 21.5}) scoop.addEllipse(QPointF(x, 15.5), 3, 2.4);
    scoop.addEllipse(QPointF(13.2, 17.8), 1.5, 2.2);  // a drip
    p.setPen(st.outline(mint, 0.8));
    p.setBrush(st.body(mint, {12, 7}, 14));
    p.drawPath(scoop.simplified());
    if (st.retro()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(retrocolour::kPink));
        for (QPointF c : {QPointF(12, 8), QPointF(18, 6), QPointF(20, 12)})
            p.drawRect(QRectF(c, QSizeF(2, 2)));
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 40, 30));
        for (QPointF c : {QPointF(12.5, 9), QPointF(18.5, 7), QPointF(19.5, 12.5), QPointF(15, 13)})
            p.drawEllipse(c, 0.8, 0.6);
        glint(p, st, {12, 6.5}, 1.7);
    }
}

void candy(QPainter& p, const SpriteStyle& st) {
    const QColor wrap = pick(st, qRgb(255, 216, 80), retrocolour::kYellow);
    p.setPen(st.outline(wrap, 0.8));
    for (int side : {-1, 1}) {
        const QPolygonF bow({QPointF(16 + side * 5, 13.5), QPointF(16 + side * 14, 9),
                             QPointF(16 + side * 12, 16), QPointF(16 + side * 14, 23),
                             QPointF(16 + side * 5, 18.5)});
        p.setBrush(st.body(wrap, QPointF(16 + side * 11, 13), 8));
        p.drawPolygon(bow);
    }
    const QColor red = pick(st, qRgb(240, 56, 76), retrocolour::kCrimson);
    p.setPen(st.outline(red));
    p.setBrush(st.body(red, {13.5, 13}, 10));
    QPainterPath ball;
    ball.addEllipse(QPointF(16, 16), 7, 7);
    p.drawPath(ball);
    p.save();
    p.setClipPath(ball);
    p.setPen(QPen(st.retro() ? QColor(retrocolour::kWhite) : QColor(255, 240, 240, 220), 2));
    for (int i = -1; i <= 1; ++i) p.drawLine(QPointF(8 + i * 6, 24), QPointF(18 + i * 6, 8));
    p.restore();
    if (!st.retro()) glint(p, st, {13.2, 12.6}, 1.5);
}

void gem(QPainter& p, const SpriteStyle& st) {
    const QPointF a(10, 7), b(22, 7), c(28, 13), d(4, 13), tip(16, 29);
    const QPointF m1(12.5, 13), m2(19.5, 13);
    const QColor cyan = pick(st, qRgb(80, 210, 255), retrocolour::kAzure);
    struct Facet {
        QPolygonF shape;
        int shade;  // QColor::lighter percentage
    };
    const std::array<Facet, 6> kFacets = {
        Facet{QPolygonF({a, b, m2, m1}), 150}, Facet{QPolygonF({d, a, m1}), 120},
        Facet{QPolygonF({b, c, m2}), 100},     Facet{QPolygonF({d, m1, tip}), 110},
        Facet{QPolygonF({m1, m2, tip}), 85},   Facet{QPolygonF({m2, c, tip}), 65}};
    p.setPen(Qt::NoPen);
    for (const Facet& f : kFacets) {
        // The retro look keeps two shades: light crown, plain pavilion.
        QColor shade = cyan.lighter(f.shade);
        if (st.retro()) shade = f.shade >= 120 ? QColor(retrocolour::kWhite) : cyan;
        p.setBrush(shade);
        p.drawPolygon(f.shape);
    }
    if (!st.retro()) {
        p.setPen(QPen(cyan.darker(260), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(QPolygonF({a, b, c, tip, d}));
        p.setPen(QPen(QColor(255, 255, 255, 120), 0.5));
        p.drawLine(d, c);
        // Four-point sparkle.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 235));
        QPainterPath star;
        const QPointF s(11, 9.5);
        star.moveTo(s + QPointF(0, -3));
        star.quadTo(s, s + QPointF(3, 0));
        star.quadTo(s, s + QPointF(0, 3));
        star.quadTo(s, s + QPointF(-3, 0));
        star.quadTo(s, s + QPointF(0, -3));
        p.drawPath(star);
    }
}

}  // namespace

void paintBonus(QPainter& p, const SpriteStyle& st, int level) {
    switch (level) {
        case 1:
            pear(p, st);
            break;
        case 2:
            grapes(p, st);
            break;
        case 3:
            carrot(p, st);
            break;
        case 4:
            melonSlice(p, st);
            break;
        case 5:
            cupcake(p, st);
            break;
        case 6:
            iceCream(p, st);
            break;
        case 7:
            candy(p, st);
            break;
        default:
            gem(p, st);
            break;
    }
}
