#include "actors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>
#include <array>
#include <cmath>
#include <numbers>

namespace {

QPointF step(int dir) {
    switch (dir) {
        case kUp:
            return {0, -1};
        case kDown:
            return {0, 1};
        case kLeft:
            return {-1, 0};
        default:
            return {1, 0};
    }
}

// Four ghosts told apart by brightness as well as hue: dark red-ish, dark blue-ish,
// light blue-ish and light yellow-ish stay four different things without red-green vision.
QColor ghostColour(const SpriteStyle& st, int ghost) {
    if (st.retro()) {
        constexpr std::array kRetro = {retrocolour::kCrimson, retrocolour::kViolet,
                                       retrocolour::kAzure, retrocolour::kAmber};
        return QColor(kRetro[ghost]);
    }
    constexpr std::array kPolished = {qRgb(214, 36, 72), qRgb(124, 76, 240), qRgb(70, 182, 255),
                                      qRgb(245, 150, 25)};
    return QColor(kPolished[ghost]);
}

// A wisp: a flame-tipped dome whose tip trails behind the motion, over a skirt of three round
// lobes.
QPainterPath ghostBody(const SpriteStyle& st, int dir) {
    const qreal lean = dir == kRight ? -4 : dir == kLeft ? 4 : 0;
    constexpr qreal kLeftX = 3.5, kRightX = 28.5, kShoulder = 16, kTipY = 0.8;
    // Deeper notches in the retro look, or the 2-pixel grid swallows them.
    const qreal hem = st.retro() ? 22 : 24.5;
    const qreal tipX = 16 + lean;
    QPainterPath path;
    path.moveTo(kLeftX, hem);
    path.lineTo(kLeftX, kShoulder);
    path.cubicTo(kLeftX, 7, tipX - 4 - lean * 0.5, 8, tipX, kTipY);
    path.cubicTo(tipX + 4 - lean * 0.5, 8, kRightX, 7, kRightX, kShoulder);
    path.lineTo(kRightX, hem);
    constexpr qreal kLobe = (kRightX - kLeftX) / 3;
    const qreal dip = (29.5 - 0.25 * hem) / 0.75;  // lobes' lowest points at y = 29.5
    for (int i = 0; i < 3; ++i) {
        const qreal x0 = kRightX - i * kLobe;
        path.cubicTo(x0, dip, x0 - kLobe, dip, x0 - kLobe, hem);
    }
    path.closeSubpath();
    return path;
}

void paintBody(QPainter& p, const SpriteStyle& st, const QPainterPath& body, QColor colour) {
    p.setPen(st.outline(colour));
    p.setBrush(st.body(colour, {11, 8}, 24));
    p.drawPath(body);
    if (st.retro()) return;
    // Glossy sheen on the dome.
    QRadialGradient sheen(QPointF(11, 9), 5);
    sheen.setColorAt(0, QColor(255, 255, 255, 150));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawEllipse(QPointF(11, 9), 5, 4);
}

struct EyePair {
    QPointF left, right;
};

EyePair ghostEyeCentres(int dir, qreal shift) {
    const QPointF d = step(dir) * shift;
    return {QPointF(11.5, 13.5) + d, QPointF(20.5, 13.5) + d};
}

void paintGhostEyesPolished(QPainter& p, int dir) {
    const EyePair eyes = ghostEyeCentres(dir, 1.5);
    for (QPointF c : {eyes.left, eyes.right}) {
        p.setPen(QPen(QColor(20, 22, 60), 0.8));
        QRadialGradient white(c + QPointF(-1, -1.5), 5);
        white.setColorAt(0, QColor(255, 255, 255));
        white.setColorAt(1, QColor(206, 214, 240));
        p.setBrush(white);
        p.drawEllipse(c, 3.7, 4.5);
        const QPointF pupil = c + step(dir) * 1.9;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(28, 32, 96));
        p.drawEllipse(pupil, 2.1, 2.1);
        p.setBrush(QColor(255, 255, 255, 220));
        p.drawEllipse(pupil + QPointF(-0.7, -0.8), 0.6, 0.6);
    }
}

// Rounded 8 x 8 whites and 4 x 4 pupils on the 2-pixel grid; the pupils alone show the way.
void paintGhostEyesRetro(QPainter& p, int dir) {
    p.setPen(Qt::NoPen);
    for (qreal x : {6.0, 18.0}) {
        const QRectF white(x, 10, 8, 8);
        p.setBrush(QColor(retrocolour::kWhite));
        p.drawRect(white.adjusted(2, 0, -2, 0));
        p.drawRect(white.adjusted(0, 2, 0, -2));
        QPointF at = white.topLeft() + QPointF(2, 2);
        if (dir == kUp) at = white.topLeft() + QPointF(2, 0);
        if (dir == kDown) at = white.topLeft() + QPointF(2, 4);
        if (dir == kLeft) at = white.topLeft() + QPointF(0, 2);
        if (dir == kRight) at = white.topLeft() + QPointF(4, 2);
        p.setBrush(QColor(retrocolour::kNavy));
        p.drawRect(QRectF(at, QSizeF(4, 4)));
    }
}

// A toothy grin: these are our ghosts, not anyone else's.
void paintGrin(QPainter& p, const SpriteStyle& st, QColor body, int dir) {
    p.setPen(Qt::NoPen);
    if (st.retro()) {
        p.setBrush(QColor(retrocolour::kNavy));
        p.drawRect(QRectF(10, 20, 12, 2));
        p.drawRect(QRectF(12, 22, 8, 2));
        p.setBrush(QColor(retrocolour::kWhite));
        p.drawRect(QRectF(12, 20, 2, 2));
        p.drawRect(QRectF(18, 20, 2, 2));
        return;
    }
    const QPointF d = step(dir) * 1.2;
    QPainterPath mouth;
    mouth.moveTo(QPointF(11, 19.8) + d);
    mouth.quadTo(QPointF(16, 21.2) + d, QPointF(21, 19.8) + d);
    mouth.quadTo(QPointF(16, 26.5) + d, QPointF(11, 19.8) + d);
    p.setBrush(body.darker(450));
    p.drawPath(mouth);
    p.setBrush(QColor(255, 255, 250));
    for (qreal x : {13.4, 18.6}) {
        const QPointF top = QPointF(x, 20.2) + d;
        p.drawPolygon(
            QPolygonF({top + QPointF(-0.9, 0), top + QPointF(0.9, 0), top + QPointF(0, 2.0)}));
    }
}

void paintGhostEyes(QPainter& p, const SpriteStyle& st, int dir) {
    if (st.retro())
        paintGhostEyesRetro(p, dir);
    else
        paintGhostEyesPolished(p, dir);
}

void paintScaredFacePolished(QPainter& p, int dir) {
    const QColor ink(40, 34, 110);
    const EyePair eyes = ghostEyeCentres(dir, 1.0);
    for (QPointF c : {eyes.left, eyes.right}) {
        p.setPen(QPen(ink, 0.8));
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(c, 3.3, 3.6);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(c + step(dir) * 1.3, 1.15, 1.15);
    }
    // Brows raised at the inner ends: worry.
    p.setPen(QPen(ink, 1.3, Qt::SolidLine, Qt::RoundCap));
    const QPointF lift = step(dir) * 1.0;
    p.drawLine(QPointF(8.2, 9.6) + lift, QPointF(13.0, 7.9) + lift);
    p.drawLine(QPointF(19.0, 7.9) + lift, QPointF(23.8, 9.6) + lift);
    // A gasping mouth.
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(16, 21.3) + lift, 2.4, 3.0);
    p.setBrush(QColor(236, 110, 150));
    p.drawEllipse(QPointF(16, 22.6) + lift, 1.4, 1.1);
}

void paintScaredFaceRetro(QPainter& p, int dir) {
    const QPointF shift = step(dir) * 2;
    p.setPen(Qt::NoPen);
    // Staring rings: the pale body leaves no contrast for whites.
    for (qreal x : {8.0, 18.0}) {
        const QRectF ring = QRectF(x, 10, 6, 6).translated(shift);
        p.setBrush(QColor(retrocolour::kNavy));
        p.drawRect(ring);
        p.setBrush(QColor(retrocolour::kWhite));
        p.drawRect(QRectF(ring.center() - QPointF(1, 1), QSizeF(2, 2)));
    }
    p.setBrush(QColor(retrocolour::kNavy));
    p.drawRect(QRectF(14, 18, 4, 4).translated(shift));
}

}  // namespace

void paintGhost(QPainter& p, const SpriteStyle& st, int ghost, int dir) {
    const QPainterPath body = ghostBody(st, dir);
    const QColor colour = ghostColour(st, ghost);
    paintBody(p, st, body, colour);
    p.setClipPath(body);
    paintGhostEyes(p, st, dir);
    paintGrin(p, st, colour, dir);
}

void paintFrightened(QPainter& p, const SpriteStyle& st, int dir) {
    const QPainterPath body = ghostBody(st, dir);
    paintBody(p, st, body, st.retro() ? QColor(retrocolour::kPale) : QColor(238, 236, 255));
    p.setClipPath(body);
    if (st.retro())
        paintScaredFaceRetro(p, dir);
    else
        paintScaredFacePolished(p, dir);
}

void paintEyes(QPainter& p, const SpriteStyle& st, int dir) {
    paintGhostEyes(p, st, dir);
}

namespace {

// Facing right is drawn; the other directions map it, keeping the eye on the upper or left side.
QTransform facing(int dir) {
    switch (dir) {
        case kUp:
            return QTransform(0, -1, 1, 0, 0, 32);
        case kDown:
            return QTransform(0, 1, 1, 0, 0, 0);
        case kLeft:
            return QTransform(-1, 0, 0, 1, 32, 0);
        default:
            return QTransform();
    }
}

constexpr std::array<qreal, kMouthFrames> kMouthHalfAngle = {0, 15, 29, 43};
constexpr qreal kPlayerRadius = 13;
constexpr qreal kToothFromHalfAngle = 25;

QPointF polar(qreal degrees, qreal r) {
    const qreal a = degrees * std::numbers::pi / 180;
    return {16 + r * std::cos(a), 16 - r * std::sin(a)};
}

// The leaf on Nibbly's crown, drawn first so the body covers its stalk.
void paintSprout(QPainter& p, const SpriteStyle& st, const QTransform& to) {
    const QColor green = st.retro() ? QColor(retrocolour::kGreen) : QColor(70, 168, 52);
    if (st.retro()) {
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        for (const QRectF& r : {QRectF(12, 1, 2, 4), QRectF(6, 1, 6, 2), QRectF(8, 3, 4, 2)})
            p.drawRect(to.mapRect(r));
        return;
    }
    QPainterPath leaf;
    leaf.moveTo(13.5, 4.8);
    leaf.cubicTo(12, -0.2, 6.5, -0.6, 2.8, 2.6);
    leaf.cubicTo(6.0, 6.4, 10.5, 6.8, 13.5, 4.8);
    p.setPen(st.outline(green, 0.8));
    p.setBrush(st.body(green, to.map(QPointF(8, 2)), 8));
    p.drawPath(to.map(leaf));
    p.setPen(QPen(green.lighter(160), 0.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(to.map(QPointF(12.5, 4.2)), to.map(QPointF(5.0, 2.7)));
}

QPointF onGrid(QPointF at) {
    return {std::floor(at.x() / 2) * 2, std::floor(at.y() / 2) * 2};
}

// Closed mouth: the lips still show as a line.
void paintLips(QPainter& p, const SpriteStyle& st, const QTransform& to, QColor lime) {
    if (st.retro()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(retrocolour::kGreen));
        p.drawRect(to.mapRect(QRectF(20, 16, 10, 2)));
        return;
    }
    p.setPen(QPen(lime.darker(250), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(to.map(QPointF(17, 16.3)), to.map(QPointF(29, 16.3)));
}

// The front tooth hangs from the upper lip into the open mouth.
void paintTooth(QPainter& p, const SpriteStyle& st, const QTransform& to, qreal halfAngle) {
    const qreal a = halfAngle * std::numbers::pi / 180;
    const QPointF intoMouth = QPointF(std::sin(a), std::cos(a)) * 2.6;
    if (st.retro()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(retrocolour::kWhite));
        p.drawRect(QRectF(onGrid(to.map(polar(halfAngle, 8.6) + intoMouth * 0.5)), QSizeF(2, 2)));
        return;
    }
    const QPointF root = polar(halfAngle, 7.2), edge = polar(halfAngle, 10.2);
    p.setPen(QPen(QColor(90, 90, 70), 0.5));
    p.setBrush(QColor(255, 253, 236));
    p.drawPolygon(to.map(QPolygonF({root, edge, edge + intoMouth, root + intoMouth})));
}

void paintPlayerFaceRetro(QPainter& p, const QTransform& to) {
    const QRectF white(onGrid(to.map(QPointF(18, 8))) - QPointF(2, 2), QSizeF(4, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(retrocolour::kWhite));
    p.drawRect(white);
    // The pupil sits in the forward, upper corner.
    const QPointF look = to.map(QPointF(1, -1)) - to.map(QPointF(0, 0));
    p.setBrush(Qt::black);
    p.drawRect(QRectF(white.topLeft() + QPointF(look.x() > 0 ? 2 : 0, look.y() > 0 ? 2 : 0),
                      QSizeF(2, 2)));
}

void paintPlayerFacePolished(QPainter& p, const QTransform& to) {
    p.setPen(Qt::NoPen);
    // Shine on the top-left, whatever the direction.
    QRadialGradient shine(QPointF(10.5, 9.5), 5.5);
    shine.setColorAt(0, QColor(255, 255, 235, 170));
    shine.setColorAt(1, QColor(255, 255, 235, 0));
    p.setBrush(shine);
    p.drawEllipse(QPointF(10.5, 9.5), 5.5, 4.5);
    const QPointF cheek = to.map(QPointF(14, 21));
    QRadialGradient blush(cheek, 3.2);
    blush.setColorAt(0, QColor(255, 120, 120, 120));
    blush.setColorAt(1, QColor(255, 120, 120, 0));
    p.setBrush(blush);
    p.drawEllipse(cheek, 3.2, 3.2);

    const QPointF eye = to.map(polar(74, 7.6));
    const QPointF pupil = eye + (to.map(QPointF(1, 0)) - to.map(QPointF(0, 0))) * 0.9;
    p.setPen(QPen(QColor(40, 70, 10), 0.7));
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(eye, 2.7, 3.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 26, 30));
    p.drawEllipse(pupil, 1.5, 1.7);
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(pupil + QPointF(-0.6, -0.7), 0.55, 0.55);
}

}  // namespace

// Nibbly: a lime with a leaf, one bright eye and a front tooth; the light stays top-left
// whichever way it faces.
void paintPlayer(QPainter& p, const SpriteStyle& st, int dir, int frame) {
    const QTransform to = facing(dir);
    const qreal half = kMouthHalfAngle[frame];
    const QRectF disc(16 - kPlayerRadius, 16 - kPlayerRadius, 2 * kPlayerRadius, 2 * kPlayerRadius);
    QPainterPath local;
    if (half == 0) {
        local.addEllipse(disc);
    } else {
        local.moveTo(15, 16);
        local.arcTo(disc, half, 360 - 2 * half);
        local.closeSubpath();
    }
    const QPainterPath body = to.map(local);

    paintSprout(p, st, to);
    const QColor lime = st.retro() ? QColor(retrocolour::kLime) : QColor(170, 245, 90);
    p.setPen(st.outline(lime, 1.0));
    p.setBrush(st.body(lime, {11, 10}, 22));
    p.drawPath(body);
    // A narrower mouth would close around the tooth and trap a pocket of floor.
    if (half >= kToothFromHalfAngle) paintTooth(p, st, to, half);
    p.setClipPath(body);
    if (half == 0) paintLips(p, st, to, lime);
    if (st.retro())
        paintPlayerFaceRetro(p, to);
    else
        paintPlayerFacePolished(p, to);
}

void paintDot(QPainter& p, const SpriteStyle& st) {
    p.setPen(Qt::NoPen);
    if (st.retro()) {
        p.setBrush(QColor(retrocolour::kPeach));
        p.drawRect(QRectF(6, 6, 4, 4));
        return;
    }
    QRadialGradient glow(QPointF(8, 8), 4.2);
    glow.setColorAt(0, QColor(255, 214, 176, 255));
    glow.setColorAt(0.5, QColor(255, 196, 150, 230));
    glow.setColorAt(0.62, QColor(255, 170, 120, 60));
    glow.setColorAt(1, QColor(255, 170, 120, 0));
    p.setBrush(glow);
    p.drawEllipse(QPointF(8, 8), 4.2, 4.2);
}

void paintPill(QPainter& p, const SpriteStyle& st) {
    p.setPen(Qt::NoPen);
    if (st.retro()) {
        p.setBrush(QColor(retrocolour::kPeach));
        p.drawRect(QRectF(4, 2, 8, 12));
        p.drawRect(QRectF(2, 4, 12, 8));
        p.setBrush(QColor(retrocolour::kWhite));
        p.drawRect(QRectF(4, 4, 2, 2));
        return;
    }
    QRadialGradient glow(QPointF(8, 8), 8);
    glow.setColorAt(0, QColor(255, 190, 150, 160));
    glow.setColorAt(0.55, QColor(255, 150, 120, 70));
    glow.setColorAt(1, QColor(255, 140, 110, 0));
    p.setBrush(glow);
    p.drawEllipse(QPointF(8, 8), 8, 8);
    QRadialGradient ball(QPointF(6.8, 6.6), 5.5);
    ball.setColorAt(0, QColor(255, 252, 240));
    ball.setColorAt(0.45, QColor(255, 212, 170));
    ball.setColorAt(1, QColor(238, 150, 104));
    p.setBrush(ball);
    p.drawEllipse(QPointF(8, 8), 4.6, 4.6);
}
