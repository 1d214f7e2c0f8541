// The drawing engine and the eight looks.
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/controls.h"
#include "platform/desktop.h"
#include "platform/picturebox.h"
#include "widgets/xpbutton.h"

namespace {

constexpr std::int32_t kNone = -1;
constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kBlack = 0x000000;
constexpr std::int32_t kGrey = 0x808080;
constexpr std::int32_t kLight = 0xE9E9E9;
constexpr int kTwipsPerPixel = 15;

using Table = std::array<std::int32_t, 12>;

// Rows by groups: inner left/top, inner right/bottom, middle ..., outer ...
Table Rings(std::int32_t innerLT, std::int32_t innerRB, std::int32_t middleLT,
            std::int32_t middleRB, std::int32_t outerLT, std::int32_t outerRB) {
    return {innerLT,  innerLT,  innerRB, innerRB, middleLT, middleLT,
            middleRB, middleRB, outerLT, outerLT, outerRB,  outerRB};
}

QColor Q(std::int32_t colour) {
    return plat::ToQColor(static_cast<plat::Colour>(colour));
}

std::int32_t Shade(std::int32_t colour, int amount) {
    return static_cast<std::int32_t>(XPButton::ShadeColor(colour, amount, false));
}

std::int32_t ShadeB(std::int32_t colour, int amount) {
    return static_cast<std::int32_t>(XPButton::ShadeColor(colour, amount, true));
}

QString CaptionText(const std::string& caption) {
    return QString::fromStdString(caption).replace(QStringLiteral("||"), QStringLiteral("\r\n"));
}

int TextFlags(int captionAlign) {
    const int align = captionAlign == 0   ? Qt::AlignLeft
                      : captionAlign == 1 ? Qt::AlignRight
                                          : Qt::AlignHCenter;
    return align | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
}

// Removes the three pixels of a corner triangle; (x, y) is the corner pixel, (dx, dy) points
// inwards.
void CutCorner(QRegion& region, int x, int y, int dx, int dy) {
    region -= QRegion(x, y, 1, 1);
    region -= QRegion(x + dx, y, 1, 1);
    region -= QRegion(x, y + dy, 1, 1);
}

void CutCorners(QRegion& region, int w, int h, int style, bool enabled, bool left, bool right) {
    switch (style) {
        case XPButton::Framed:
            if (left) region -= QRegion(0, 0, 1, 1) + QRegion(0, h - 1, 1, 1);
            if (right) region -= QRegion(w - 1, h - 1, 1, 1) + QRegion(w - 1, 0, 1, 1);
            break;
        case XPButton::Flat:
            if (!enabled) break;
            if (left) region -= QRegion(0, h - 1, 1, 1);
            if (right) region -= QRegion(w - 1, 0, 1, 1);
            break;
        case XPButton::Themed:
        case XPButton::Rounded:
            if (left) {
                CutCorner(region, 0, 0, 1, 1);
                CutCorner(region, 0, h - 1, 1, -1);
            }
            if (right) {
                CutCorner(region, w - 1, 0, -1, 1);
                CutCorner(region, w - 1, h - 1, -1, -1);
            }
            break;
        default:
            break;
    }
}

}  // namespace

plat::Colour XPButton::ShadeColor(plat::Colour colour, int amount, bool blueScaled) {
    const int r = static_cast<int>(colour & 0xFF);
    const int g = static_cast<int>((colour >> 8) & 0xFF);
    const int b = static_cast<int>((colour >> 16) & 0xFF);
    const int b2 = blueScaled ? b + amount * b / 192 : b + amount;
    return plat::RGB(std::clamp(r + amount, 0, 255), std::clamp(g + amount, 0, 255),
                     std::clamp(b2, 0, 255));
}

QRegion XPButton::ShapeRegion(int w, int h, int shape, int style, bool enabled) {
    if (shape >= 4) return QRegion(0, 0, w + 1, h + 1, QRegion::Ellipse);
    QRegion region;
    if (shape == 0) {
        region = QRegion(0, 0, w + 1, h + 1);
    } else {
        // The polygon (0,0), (d,H+1), (W+1,H+1), (W-d+1,0) with the slanted sides, a row at a
        // time: a pixel belongs to it when its top-left corner does, so the edge lines drawn
        // on the slants stay inside.
        const int d = h + 1;
        for (int y = 0; y <= h; ++y) {
            const int left = shape == 2 ? 0 : d * y / (h + 1);
            const int right = shape == 1 ? w + 1 : w - d + 1 + d * y / (h + 1);
            region += QRegion(left, y, right - left, 1);
        }
    }
    CutCorners(region, w, h, style, enabled, shape == 0 || shape == 2, shape == 0 || shape == 1);
    return region;
}

void XPButton::BuildRegion() {
    left_ = 0;
    faceWidth_ = width();
    clip_ = QRegion();
    if (Slanted()) {
        const int d = height() + 1;
        int n = width();
        while (n - d <= 4) n += 5;
        if (n != width()) {
            const bool held = delayed_;
            delayed_ = true;
            resize(n, height());
            delayed_ = held;
        }
        if (shape_ == 1 || shape_ == 3) left_ = d;
        if (shape_ == 2 || shape_ == 3) faceWidth_ = width() - d;
    } else if (Oval()) {
        const int inset = shape_ == 6 ? 2 : 1;
        clip_ = QRegion(inset, inset, width() - 2 * inset + 1, height() - 2 * inset + 1,
                        QRegion::Ellipse);
    }
    setMask(ShapeRegion(width(), height(), shape_, buttonStyle_, isEnabled()));
}

XPButton::Extent XPButton::LayoutContent(bool full) {
    const int w = width();
    const int h = height();
    const int l = left_;
    const int wf = faceWidth_;
    Extent e{0, wf, w};
    if (shape_ == 1) {
        e.r = l - l / 3;
        e.p = w - e.r;
    } else if (shape_ == 2) {
        e.R = wf + (w - wf) / 3;
        e.p = e.R;
    } else if (shape_ == 3) {
        e.r = l - l / 3;
        e.R = wf + (w - wf) / 3;
        e.p = e.R - e.r;
    }
    if (!full) return e;

    const bool hasPicture = !picture_.isNull() && pictureSize_ <= 32;
    const int s = hasPicture ? pictureSize_ : 0;
    const int leftRoom = hasPicture && pictureAlign_ <= 1 ? s : 0;
    const int rightRoom = hasPicture && (pictureAlign_ == 2 || pictureAlign_ == 3) ? s : 0;
    const int topRoom = hasPicture && pictureAlign_ == 4 ? s : 0;
    const int bottomRoom = hasPicture && pictureAlign_ == 5 ? s : 0;

    int tw = 0;
    int th = -3;
    if (!caption_.empty()) {
        const QFontMetrics metrics(canvasFont_);
        const int boxW = std::max(1, e.p - 12 - leftRoom - rightRoom);
        const int boxH = std::max(1, h - 12 - topRoom - bottomRoom);
        const QRect measured = metrics.boundingRect(
            QRect(0, 0, boxW, boxH), TextFlags(captionAlign_), CaptionText(caption_));
        tw = measured.width();
        th = measured.height();
        if (captionStyle_ != 0) {
            tw += 2;
            th += 2;
        }
    }

    int x = 0;
    if (captionAlign_ == 0) {
        x = e.r + leftRoom + 6 + (leftRoom ? 6 : 0);
    } else if (captionAlign_ == 1) {
        x = e.R - rightRoom - tw - 6 - (rightRoom ? 6 : 0);
    } else if (leftRoom && pictureAlign_ == 1) {
        x = (e.p - (tw + leftRoom + 6)) / 2 + e.r + leftRoom + 6;
    } else if (rightRoom && pictureAlign_ == 3) {
        x = (e.p - (tw + rightRoom + 6)) / 2 + e.r;
    } else {
        x = (e.p - leftRoom - rightRoom - tw) / 2 + e.r + leftRoom;
    }
    int y = (h - th) / 2;
    QRect picture;
    if (!picture_.isNull()) {
        int px = 0;
        int py = (h - s) / 2;
        const bool noCaption = caption_.empty();
        switch (pictureAlign_) {
            case 0:
                px = e.r + 6;
                break;
            case 1:
                px = noCaption ? e.r + 6 : x - leftRoom - 6;
                break;
            case 2:
                px = e.R - rightRoom - 6;
                break;
            case 3:
                px = noCaption ? e.R - rightRoom - 6 : x + tw + 6;
                break;
            default: {
                const int b = (h - (th + s)) / 2;
                py = pictureAlign_ == 4 ? b : th + b + 3;
                y = pictureAlign_ == 4 ? b + s + 2 : b + 1;
                px = e.r + (e.p - s) / 2;
            }
        }
        picture = QRect(QPoint(px, py), QPoint(px + s, py + s));
    }
    QRect caption(QPoint(x, y), QPoint(x + tw, y + th));
    // Rectangles here are left, top, right, bottom as the layout computes them.
    const auto clamp = [&](QRect& rect) {
        rect.setLeft(std::max(rect.left(), 6));
        rect.setTop(std::max(rect.top(), 6));
        rect.setRight(std::min(rect.right(), e.R));
        rect.setBottom(std::min(rect.bottom(), h - 6));
    };
    clamp(caption);
    clamp(picture);
    captionRect_ = caption;
    pictureRect_ = picture;
    return e;
}

void XPButton::SyncColours() {
    face_ = edge_ = Resolve(backColour_);
    hoverFace_ = Resolve(hoverBack_);
    switch (buttonStyle_) {
        case Themed:
            face_ = ShadeB(face_, 48);
            edge_ = ShadeB(face_, -32);
            hoverFace_ = ShadeB(hoverFace_, 48);
            highlight_ = ShadeB(kWhite, -32);
            break;
        case Flat:
            edge_ = Shade(kGrey, 12);
            highlight_ = Shade(edge_, 31);
            break;
        case Rounded:
            face_ = Shade(face_, 31);
            edge_ = Shade(kGrey, -16);
            hoverFace_ = Shade(hoverFace_, 31);
            highlight_ = ShadeB(kGrey, 16);
            break;
        default:
            highlight_ = Shade(kWhite, -32);
    }
}

void XPButton::Redraw() {
    if (delayed_ || canvas_.isNull()) return;
    QPainter painter(&canvas_);
    painter_ = &painter;
    SetClipped(true);
    penColour_ = kBlack;
    penDotted_ = false;
    switch (buttonStyle_) {
        case Classic:
            PaintClassic();
            break;
        case Framed:
            PaintFramed();
            break;
        case Themed:
            PaintThemed();
            break;
        case Flat:
            PaintFlat();
            break;
        case Thin:
            PaintThin();
            break;
        case Toolbar:
            PaintToolbar();
            break;
        case Soft:
            PaintSoft();
            break;
        case Rounded:
            PaintRounded();
            break;
    }
    painter_ = nullptr;
    update();
}

// Face painting of the oval shapes stays inside the inner ellipse. Unclipped means clipped to
// the canvas: a painter whose clipping was switched off ignores the next equal clip region.
void XPButton::SetClipped(bool clipped) {
    if (clipped && Oval())
        painter_->setClipRegion(clip_);
    else
        painter_->setClipRect(canvas_.rect());
}

void XPButton::Pixel(int x, int y, std::int32_t colour) {
    painter_->fillRect(x, y, 1, 1, Q(colour));
}

void XPButton::FillBox(int left, int top, int right, int bottom, std::int32_t colour) {
    painter_->fillRect(QRect(left, top, right - left, bottom - top), Q(colour));
    penColour_ = colour;
    penDotted_ = false;
}

// A line without its end point; a dotted pen sets every other pixel.
void XPButton::Line(QPoint from, QPoint to, std::int32_t colour, bool dotted) {
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1;
    const int sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint at = from;
    for (int step = 0; at != to; ++step) {
        if (!dotted || step % 2 == 0) Pixel(at.x(), at.y(), colour);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            at.rx() += sx;
        }
        if (twice <= dx) {
            error += dx;
            at.ry() += sy;
        }
    }
}

// A closed outline around the rectangle's pixels.
void XPButton::Outline(QRect rect, std::int32_t colour) {
    const QPoint corners[] = {rect.topLeft(), rect.topRight(), rect.bottomRight(),
                              rect.bottomLeft()};
    for (int i = 0; i < 4; ++i) {
        Line(corners[i], corners[(i + 1) % 4], colour);
    }
}

// The desktop's focus rectangle: every other pixel of the outline inverted.
void XPButton::DottedFocusRect(QRect rect) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const bool edge =
                x == rect.left() || x == rect.right() || y == rect.top() || y == rect.bottom();
            if (!edge || (x + y) % 2 != 0 || !QWidget::rect().contains(x, y)) continue;
            const QRgb under = canvas_.pixel(x * CanvasScale(), y * CanvasScale());
            const plat::Colour inverted =
                plat::RGB(qRed(under), qGreen(under), qBlue(under)) ^ 0xFFFFFF;
            Pixel(x, y, static_cast<std::int32_t>(inverted));
        }
    }
}

void XPButton::Ellipse(QRect rect, std::int32_t colour, int width, bool dotted) {
    QPen pen(Q(colour), width, dotted ? Qt::DotLine : Qt::SolidLine);
    painter_->setPen(pen);
    painter_->setBrush(Qt::NoBrush);
    painter_->drawEllipse(rect.adjusted(0, 0, -1, -1));
}

void XPButton::GradientFill(std::int32_t first, std::int32_t last, int mode) {
    const bool across = mode == 1 || mode == 2;
    const int extent = across ? width() : height();
    const int screen =
        (across ? plat::ScreenWidthTwips() : plat::ScreenHeightTwips()) / kTwipsPerPixel;
    int bands = extent;
    int thickness = 1;
    if (extent > 0 && screen < 4 * extent) {
        bands = extent / 2;
        thickness = 2;
    }
    if (bands <= 0) return;
    // BuildGradientColours: every channel moves by an equal step per band.
    std::vector<std::int32_t> colours(bands);
    for (int k = 0; k < bands; ++k) {
        int channel[3];
        for (int c = 0; c < 3; ++c) {
            const double a = (first >> (8 * c)) & 0xFF;
            const double b = (last >> (8 * c)) & 0xFF;
            const double step = bands > 1 ? (b - a) / (bands - 1) : 0;
            channel[c] = static_cast<int>(std::clamp(a + step * k, 0.0, 255.0));
        }
        colours[k] = static_cast<std::int32_t>(plat::RGB(channel[0], channel[1], channel[2]));
    }
    for (int k = 0; k < bands; ++k) {
        const std::int32_t colour = mode == 1 || mode == 3 ? colours[k] : colours[bands - 1 - k];
        const int at = k * thickness;
        if (across)
            FillBox(at, 0, at + thickness, height(), colour);
        else
            FillBox(0, at, width(), at + thickness, colour);
    }
}

int XPButton::PaintBackground(std::int32_t face, std::int32_t gradient, std::int32_t hoverFace) {
    const int w = width();
    const int h = height();
    const bool held = state_ & kHeld;
    const int bevel = HeldHovered() ? 2 : (state_ & kDefault) ? 1 : 0;
    if (hoverFace < 0) hoverFace = face;
    const bool hot = HoverTimerRunning() && (mode_ == CommandMode ? !held : !value_);
    const std::int32_t fill = hot ? hoverFace : face;
    if (Oval()) {
        SetClipped(false);
        if (HoverTimerRunning() || HeldHovered() || buttonStyle_ != Toolbar) {
            if (shape_ == 6) {
                Ellipse(QRect(0, 0, w, h), kBlack, 2);
            } else if (shape_ == 4 || !held) {
                GradientFill(Shade(containerColour_, 172), Shade(containerColour_, -32),
                             held ? 4 : 3);
            }
        }
        SetClipped(true);
    }
    if (value_ || gradientMode_ == 0) {
        if (buttonStyle_ == Themed && (isEnabled() || mode_ != CommandMode)) {
            for (int i = 1; i < h; ++i) {
                const int amount = static_cast<int>(std::lrint(-25.0 * i / h));
                FillBox(1, i, w - 1, i + 1, ShadeB(fill, amount));
            }
        } else {
            FillBox(0, 0, w, h, fill);
        }
    } else if (!HoverTimerRunning() || HeldHovered() || gradient == hoverFace) {
        GradientFill(face, gradient < 0 ? face : gradient, gradientMode_);
    } else {
        FillBox(0, 0, w, h, hoverFace);
    }
    return bevel;
}

void XPButton::DrawBevelRings(const std::array<std::int32_t, 12>& table, int outerPenStyle) {
    const int w = width();
    const int h = height();
    const int l = left_;
    const int wf = faceWidth_;
    const int e = shape_ == 1 || shape_ == 3 ? 1 : 0;
    const int f = shape_ == 2 || shape_ == 3 ? 1 : 0;
    QPoint p[16];
    p[0] = {l + 2 - 4 * e, h - 3};
    p[1] = {2 + 2 * e, 2};
    p[2] = {wf - 3 + 3 * f, 2};
    p[3] = {w - 3 - 3 * f, h - 3};
    p[4] = {l + 1 - 4 * e, h - 3};
    p[5] = p[0] + QPoint(e - 1, 1);
    p[6] = p[1] + QPoint(-e - 1, -1);
    p[7] = p[2] + QPoint(1 - f, -1);
    p[8] = p[3] + QPoint(f + 1, 1);
    p[9] = p[4] + QPoint(-1, 1);
    p[10] = {l - e, h - 1 + e};
    p[11] = {0, 0};
    p[12] = {wf - 1 + f, 0};
    p[13] = {w - 1, h - 1 + f};
    p[14] = {l - 1 - 2 * e, h - 1};
    p[15] = {w - 1, h - 1};
    static constexpr int kFrom[12] = {0, 1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 13};
    for (int row = 0; row < 12; ++row) {
        if (table[row] < 0) continue;
        penColour_ = table[row];
        penDotted_ = row >= 8 && outerPenStyle >= 0;
        Line(p[kFrom[row]], p[kFrom[row] + 1], penColour_, penDotted_);
    }
    Line(p[14], p[15], penColour_, penDotted_);
}

void XPButton::DrawFocusMark(std::int32_t colour, bool solid, bool aroundCaption) {
    if (!(state_ & kDefault)) return;
    const int w = width();
    const int h = height();
    if (Slanted()) {
        const int l = left_ != 0 ? 1 : 0;
        const int q = w > faceWidth_ ? 1 : 0;
        const QPoint points[] = {{left_ + 4 - 6 * l, h - 5},
                                 {4 * l + 4, 4},
                                 {faceWidth_ - 5 + 4 * q, 4},
                                 {w - 5 - 6 * q, h - 5},
                                 {left_ + 3 - 4 * l, h - 5}};
        for (int i = 0; i < 4; ++i) Line(points[i], points[i + 1], colour);
    } else if (Oval()) {
        SetClipped(false);
        const int inset = shape_ == 6 ? 2 : 3;
        Ellipse(QRect(QPoint(inset, inset), QPoint(w - inset - 1, h - inset - 1)), colour);
        SetClipped(true);
    } else if (aroundCaption) {
        const QRect around = caption_.empty() ? pictureRect_ : captionRect_;
        if (solid) {
            Outline(around.adjusted(-3, -3, 2, 2), colour);
        } else {
            const int shift = value_ || HeldHovered() ? -2 : -3;
            DottedFocusRect(QRect(QPoint(around.left() + shift, around.top() + shift),
                                  QPoint(around.right() + shift + 5, around.bottom() + shift + 5)));
        }
    } else {
        const QRect face(QPoint(left_ + 4, 4), QPoint(faceWidth_ - 5, h - 5));
        if (solid)
            Outline(face, colour);
        else
            DottedFocusRect(face);
    }
}

void XPButton::DrawCaption(std::int32_t face, std::int32_t alternate, bool shifted,
                           bool keepPlain) {
    const Extent e = LayoutContent(false);
    QRect caption = captionRect_;
    QRect picture = pictureRect_;
    if ((shifted || HeldHovered()) && buttonStyle_ != Flat) {
        const QPoint by = Oval() ? QPoint(0, 1) : QPoint(1, 1);
        caption.translate(by);
        picture.translate(by);
    }
    DrawPicture(picture, e.p, e.r);
    if (caption_.empty()) return;
    const QString text = CaptionText(caption_);
    const int flags = TextFlags(captionAlign_);
    painter_->setFont(canvasFont_);
    const auto draw = [&](QRect at, std::int32_t colour) {
        painter_->setPen(Q(colour));
        // Layout rectangles hold right and bottom as edges, not as pixels.
        painter_->drawText(at.adjusted(0, 0, -1, -1), flags, text);
    };
    std::int32_t colour;
    bool etched = false;
    if (isEnabled()) {
        if (HoverTimerRunning() && !(state_ & kHeld))
            colour = Resolve(hoverFore_);
        else if (buttonStyle_ == Rounded && gradientMode_ == 0)
            colour = alternate;
        else
            colour = Resolve(foreColour_);
        if (captionStyle_ == 1 || captionStyle_ == 2) {
            const int amount = captionStyle_ == 1 ? -40 : 40;
            draw(caption.translated(-1, 0), Shade(face, amount));
            draw(caption.translated(1, 2), Shade(face, -amount));
            caption.translate(0, 1);
        }
    } else if (alternate < 0 || gradientMode_ != 0) {
        colour = kWhite;
        caption.translate(1, 1);
        etched = true;
    } else {
        colour = alternate;
    }
    draw(caption, colour);
    if (!isEnabled() && (etched || !keepPlain)) draw(caption.translated(-1, -1), kGrey);
}

void XPButton::DrawPicture(QRect rect, int p, int r) {
    if (picture_.isNull() || pictureWidth_ <= 0 || pictureHeight_ <= 0) return;
    const int s = rect.left() != pictureRect_.left() ? 1 : 0;
    const int w = width();
    const int h = height();
    QRect target;
    if (pictureSize_ <= 32) {
        target = QRect(rect.topLeft(), QSize(pictureSize_, pictureSize_));
    } else if (pictureSize_ == 40) {
        target = QRect(s, s, w - s, h - s);
    } else {
        const double k = std::min(static_cast<double>(p - 12) / pictureWidth_,
                                  static_cast<double>(h - 12) / pictureHeight_);
        const int pw = static_cast<int>(pictureWidth_ * k);
        const int ph = static_cast<int>(pictureHeight_ * k);
        target = QRect((p - pw) / 2 + r + s, (h - ph) / 2 + s, pw, ph);
    }
    if (target.width() <= 0 || target.height() <= 0) return;
    const QImage copy = picture_.scaled(target.size(), Qt::IgnoreAspectRatio);
    if (isEnabled()) {
        if (pictureKind_ == 1)
            painter_->drawImage(target.topLeft(), copy);
        else
            TransparentBlit(target, copy);
        return;
    }
    // Disabled: the picture's shape embossed in two greys, white where it has no ink.
    QImage shape(copy.width() + 1, copy.height() + 1, QImage::Format_RGB32);
    shape.fill(Qt::white);
    {
        QPainter into(&shape);
        into.drawImage(0, 0, copy);
    }
    for (int y = 0; y < shape.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shape.scanLine(y));
        for (int x = 0; x < shape.width(); ++x)
            line[x] = (line[x] & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFFFF : 0xFF000000;
    }
    BlitToCanvas(target.topLeft() - QPoint(1, 1), shape, plat::RasterOp::PSDPxax,
                 plat::Colour(ShadeColor(0xC0C0C0, 36)));
    BlitToCanvas(target.topLeft(), shape, plat::RasterOp::PSDPxax,
                 plat::Colour(ShadeColor(0xC0C0C0, -36)));
}

void XPButton::TransparentBlit(QRect target, const QImage& bitmap) {
    QImage image = bitmap.convertToFormat(QImage::Format_RGB32);
    if (target.width() < image.width() || target.height() < image.height()) {
        const double k = std::min(static_cast<double>(target.width()) / image.width(),
                                  static_cast<double>(target.height()) / image.height());
        image = image.scaled(std::max(1, static_cast<int>(image.width() * k)),
                             std::max(1, static_cast<int>(image.height() * k)));
    }
    const QRgb transparent = image.pixel(0, 0);
    QImage mask(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            mask.setPixel(x, y, image.pixel(x, y) == transparent ? 0xFFFFFFFF : 0xFF000000);
    const int w = image.width();
    const int h = image.height();
    plat::BitBlt(image, 0, 0, w, h, mask, 0, 0, plat::RasterOp::DSna);
    BlitToCanvas(target.topLeft(), mask, plat::SRCAND);
    BlitToCanvas(target.topLeft(), image, plat::SRCPAINT);
}

void XPButton::BlitToCanvas(QPoint at, const QImage& source, plat::RasterOp op,
                            plat::Colour brush) {
    const int f = CanvasScale();
    const QImage scaled =
        f == 1 ? source
               : source.scaled(source.size() * f, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                     .convertToFormat(QImage::Format_RGB32);
    plat::BitBlt(canvas_, at.x() * f, at.y() * f, scaled.width(), scaled.height(), scaled, 0, 0, op,
                 brush);
}

int XPButton::CanvasScale() const {
    return qRound(canvas_.devicePixelRatio());
}

std::int32_t XPButton::CommonFill() const {
    return mode_ != CommandMode && value_ ? highlight_ : face_;
}

std::int32_t XPButton::MarkColour(std::int32_t fill) const {
    return !Checked() && Slanted() ? Shade(fill, -48) : kBlack;
}

void XPButton::PaintClassic() {
    const std::int32_t fill = CommonFill();
    int state = PaintBackground(fill, Resolve(gradientColour_), hoverFace_);
    if (Checked()) state = 3;
    if (shape_ <= 3) {
        const std::int32_t outer = state_ & kDefault ? kBlack : kWhite;
        static_assert(kLight == 0xE9E9E9);
        const Table tables[4] = {
            Rings(kNone, kNone, kLight, kGrey, outer, kBlack),
            Rings(kLight, kGrey, kWhite, kBlack, kBlack, kBlack),
            Rings(kNone, kNone, kNone, kGrey, outer, kBlack),
            Rings(kNone, kNone, kNone, kLight, kBlack, kWhite),
        };
        DrawBevelRings(tables[state]);
    }
    DrawFocusMark(MarkColour(fill), value_, false);
    DrawCaption(fill, isEnabled() || mode_ == CommandMode ? kNone : kGrey, value_,
                mode_ != CommandMode);
}

void XPButton::PaintFramed() {
    const std::int32_t fill = CommonFill();
    int state = PaintBackground(fill, Resolve(gradientColour_), hoverFace_);
    if (Checked())
        state = 2;
    else if (state < 2)
        state = 1;
    if (shape_ <= 3) {
        const bool in = state == 2;
        const std::int32_t lt = in ? kGrey : kWhite;
        const std::int32_t rb = in ? kWhite : kGrey;
        DrawBevelRings(Rings(lt, rb, lt, rb, kBlack, kBlack));
    }
    DrawFocusMark(MarkColour(fill), value_, false);
    DrawCaption(fill, isEnabled() || mode_ == CommandMode ? kNone : kGrey, value_,
                mode_ != CommandMode);
}

void XPButton::PaintThemed() {
    std::int32_t fill;
    std::int32_t base;
    if (mode_ == CommandMode) {
        fill = face_;
        if (HeldHovered() && gradientMode_ == 0) fill = edge_;
        if (!isEnabled()) fill = ShadeB(face_, -24);
        base = face_;
    } else {
        fill = value_ ? highlight_ : face_;
        base = fill;
    }
    const std::int32_t gradient = gradientMode_ ? ShadeB(Resolve(gradientColour_), 48) : fill;
    int state = PaintBackground(fill, gradient, hoverFace_);
    if (shape_ <= 3) {
        Table table;
        if (isEnabled()) {
            if (Checked()) state = state_ & kDefault ? 1 : 2;
            if ((state_ & kHover) && !(state_ & kHeld))
                state = 3;
            else if (state == 1 && !showFocusRect_)
                state = 0;
            const std::array<std::int32_t, 8> rows[4] = {
                {ShadeB(base, -10), ShadeB(base, 10), ShadeB(base, -24), ShadeB(base, -32),
                 ShadeB(base, -5), ShadeB(base, 16), ShadeB(base, -36), ShadeB(base, -48)},
                {0xF0D1B5, 0xF7D7BD, 0xF0D1B5, 0xE7AE8C, 0xE7AE8C, 0xFFDFBF, 0xE7AE8C, 0xEF826B},
                {ShadeB(base, -22), ShadeB(base, -24), base, ShadeB(base, 10), ShadeB(base, -32),
                 ShadeB(base, -32), ShadeB(base, 5), ShadeB(base, 16)},
                {0x6BCBFF, 0x8CDBFF, 0x6BCBFF, 0x31B2FF, 0x31B2FF, 0xA6E9FF, 0x31B2FF, 0x0096E7},
            };
            std::copy(rows[state].begin(), rows[state].end(), table.begin());
            std::fill(table.begin() + 8, table.end(), 0x733C00);
        } else {
            std::fill(table.begin(), table.begin() + 8, kNone);
            std::fill(table.begin() + 8, table.end(), ShadeB(base, -84));
        }
        DrawBevelRings(table);
        const std::int32_t border = table[8];
        const int w = width();
        const int h = height();
        if (left_ == 0) {
            Pixel(1, 1, border);
            Pixel(1, h - 2, border);
        }
        if (faceWidth_ == w) {
            Pixel(w - 2, 1, border);
            Pixel(w - 2, h - 2, border);
        }
    } else if (state_ & kHover) {
        DrawFocusMark(0x0096E7, value_, false);
    } else {
        DrawFocusMark(0xEF826B, value_, false);
    }
    DrawCaption(fill, isEnabled() ? 0 : ShadeB(fill, -104), value_, true);
}

void XPButton::PaintFlat() {
    std::int32_t fill;
    if (mode_ == CommandMode)
        fill = HeldHovered() ? edge_ : face_;
    else
        fill = value_ ? highlight_ : face_;
    int state = PaintBackground(fill, Resolve(gradientColour_), hoverFace_);
    const std::int32_t dark = Shade(kGrey, -26);
    std::int32_t alternate = kNone;
    if (isEnabled() || mode_ != CommandMode) {
        if (mode_ != CommandMode) state = value_ || pressedLook_ ? 2 : 3;
        if (state < 2) state = 1;
        if (!isEnabled()) alternate = Shade(kGrey, -16);
        if (shape_ <= 3)
            DrawBevelRings(Rings(kNone, kNone, state == 2 ? fill : kWhite, dark, dark, kWhite));
    } else {
        alternate = kGrey;
        if (shape_ <= 3) DrawBevelRings(Rings(fill, fill, fill, fill, dark, dark));
    }
    DrawFocusMark(0xCC9999, true, true);
    DrawCaption(fill, alternate, value_, true);
}

void XPButton::PaintThin() {
    const std::int32_t fill = CommonFill();
    int state = PaintBackground(fill, Resolve(gradientColour_), hoverFace_);
    if (Checked())
        state = 2;
    else if (state < 2)
        state = 1;
    if (shape_ <= 3) {
        const bool in = state == 2;
        DrawBevelRings(Rings(kNone, kNone, kNone, kNone, in ? kGrey : kWhite, in ? kWhite : kGrey));
    }
    DrawFocusMark(MarkColour(fill), value_, false);
    DrawCaption(fill, isEnabled() || mode_ == CommandMode ? kNone : kGrey, value_,
                mode_ != CommandMode);
}

void XPButton::PaintToolbar() {
    const std::int32_t fill = CommonFill();
    int state = PaintBackground(fill, Resolve(gradientColour_), hoverFace_);
    Table table = Rings(kNone, kNone, kNone, kNone, kNone, kNone);
    int outerStyle = -1;
    if ((state_ & kHover) || value_) {
        state = Checked() ? 2 : std::max(state, 1);
        const bool in = state == 2;
        table = Rings(kNone, kNone, kNone, kNone, in ? kGrey : kWhite, in ? kWhite : kGrey);
    } else if (DesignMode()) {
        std::int32_t outline = Shade(containerColour_, -64);
        if (outline == kBlack) outline = kWhite;
        table = Rings(kNone, kNone, kNone, kNone, outline, outline);
        outerStyle = 1;
    }
    if (shape_ <= 3) DrawBevelRings(table, outerStyle);
    if (Oval() && DesignMode() && fill == containerColour_) {
        SetClipped(false);
        Ellipse(QRect(0, 0, width(), height()), kWhite, 1, true);
        SetClipped(true);
    }
    const std::int32_t mark = !Checked() && Slanted() ? Shade(containerColour_, -32) : kBlack;
    DrawFocusMark(mark, value_, false);
    DrawCaption(fill, isEnabled() || mode_ == CommandMode ? kNone : kGrey, value_,
                mode_ != CommandMode);
}

void XPButton::PaintSoft() {
    const std::int32_t fill = CommonFill();
    PaintBackground(fill, Resolve(gradientColour_), hoverFace_);
    const std::int32_t light = Shade(0xDFDFDF, 8);
    const std::int32_t dark = kGrey;
    const bool in = Checked() || HeldHovered();
    if (shape_ <= 3) {
        const std::int32_t lt = in ? dark : light;
        const std::int32_t rb = in ? light : dark;
        DrawBevelRings(Rings(kNone, kNone, lt, rb, lt, rb));
    }
    DrawFocusMark(MarkColour(fill), value_, false);
    DrawCaption(fill, isEnabled() || mode_ == CommandMode ? kNone : kGrey, value_,
                mode_ != CommandMode);
}

void XPButton::PaintRounded() {
    std::int32_t fill;
    std::int32_t mark = MarkColour(face_);
    if (mode_ == CommandMode) {
        fill = HeldHovered() ? edge_ : face_;
        if (Slanted()) mark = Shade(fill, -64);
    } else if (value_) {
        fill = highlight_;
        mark = Shade(kGrey, -32);
    } else {
        fill = face_;
    }
    const std::int32_t gradient = gradientMode_ ? Shade(Resolve(gradientColour_), 31) : fill;
    int state = PaintBackground(fill, gradient, hoverFace_);
    if (shape_ <= 3) {
        if (Checked()) state = value_ ? 2 : 0;
        std::int32_t base = fill;
        std::int32_t h1 = kWhite;
        std::int32_t c1 = ShadeB(fill, 31);
        std::int32_t c2 = ShadeB(fill, -64);
        if (state == 2) {
            base = gradientMode_ ? face_ : kGrey;
            h1 = Shade(base, -32);
            c1 = Shade(base, -64);
            c2 = Shade(base, -16);
        }
        DrawBevelRings({h1, h1, base, base, c1, c1, c2, c2, kBlack, kBlack, kBlack, kBlack});
        const int w = width();
        const int h = height();
        if (left_ == 0) {
            Pixel(3, 3, h1);
            Pixel(1, h - 3, base);
            Pixel(2, 2, c1);
            Pixel(1, h - 2, kBlack);
            Pixel(1, 1, kBlack);
        }
        if (faceWidth_ == w) {
            Pixel(w - 4, h - 4, base);
            Pixel(w - 3, 1, base);
            Pixel(w - 3, h - 3, c2);
            Pixel(w - 2, h - 2, kBlack);
            Pixel(w - 2, 1, kBlack);
        }
    }
    DrawFocusMark(mark, value_, true);
    std::int32_t alternate;
    if ((mode_ == CommandMode && HeldHovered()) || (Checked() && value_)) {
        alternate = !isEnabled() && Checked() ? ShadeB(fill, -32) : face_;
    } else if (isEnabled()) {
        alternate = Resolve(foreColour_);
    } else {
        alternate = mode_ == CommandMode ? kNone : kGrey;
    }
    // While on, a hover colour that merely follows the caption colour shows the alternate.
    const plat::Colour hoverFore = hoverFore_;
    if (value_ && hoverFore_ == foreColour_ && alternate >= 0)
        hoverFore_ = static_cast<plat::Colour>(alternate);
    DrawCaption(fill, alternate, value_, mode_ != CommandMode);
    hoverFore_ = hoverFore;
}
