#include "spritestyle.h"

#include <QRadialGradient>

QBrush SpriteStyle::body(QColor base, QPointF light, qreal radius) const {
    if (retro()) return QBrush(base);
    QRadialGradient g(light, radius);
    g.setColorAt(0.0, base.lighter(165));
    g.setColorAt(0.35, base);
    g.setColorAt(1.0, base.darker(175));
    return QBrush(g);
}

QPen SpriteStyle::outline(QColor base, qreal width) const {
    if (retro()) return Qt::NoPen;
    return QPen(base.darker(280), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}
