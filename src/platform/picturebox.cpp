#include "platform/picturebox.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <iostream>
#include <utility>

#include "platform/bitmap.h"
#include "platform/controls.h"
#include "platform/files.h"

namespace plat {

PictureBox::PictureBox(QWidget* parent, int x, int y, int width, int height, Colour back)
    : QWidget(parent), size_(width, height), back_(back) {
    setGeometry(x, y, width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage& PictureBox::Image() {
    return const_cast<QImage&>(std::as_const(*this).Image());
}

const QImage& PictureBox::Image() const {
    if (image_.isNull()) {
        image_ = QImage(size_, QImage::Format_RGB32);
        image_.fill(ToQColor(back_));
    }
    return image_;
}

void PictureBox::Cls() {
    // Not made yet: it will be made clear.
    if (!image_.isNull()) image_.fill(ToQColor(back_));
    update();
}

void PictureBox::Refresh() {
    update();
}

bool PictureBox::LoadPicture(const std::string& path, int width, int height) {
    // Far above any picture a box shows; keeps a huge file from being read whole.
    constexpr std::size_t kLimit = 64 << 20;
    std::string bytes;
    std::string error;
    QImage loaded;
    if (ReadRegularFile(ResolveFile(path), kLimit, bytes, error))
        loaded = DecodeBitmap(bytes, width, height, error);
    if (loaded.isNull()) {
        std::cerr << "nibbly: cannot use " << path << ": " << error << '\n';
        return false;
    }
    image_ = std::move(loaded);
    update();
    return true;
}

Colour PictureBox::Point(int x, int y) const {
    const QRgb pixel = Image().pixel(x, y);
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

void PictureBox::SetPicture(const PictureBox& other) {
    image_ = other.Image();
    update();
}

void PictureBox::Print(const std::string& text, int x, int y, Colour colour, const Font& font) {
    QPainter painter(&Image());
    painter.setFont(ToQFont(font));
    painter.setPen(ToQColor(colour));
    painter.drawText(x, y + painter.fontMetrics().ascent(), QString::fromStdString(text));
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, Image());
    // A loaded picture may be smaller than the box; the rest shows the back colour.
    painter.setClipRegion(QRegion(rect()).subtracted(QRegion(image_.rect())));
    painter.fillRect(rect(), ToQColor(back_));
}

namespace {

constexpr QRgb kOpaque = 0xFF000000;

void BlitRow(QRgb* dst, const QRgb* src, int count, RasterOp op, QRgb p) {
    switch (op) {
        case RasterOp::SrcCopy:
            std::memmove(dst, src, count * sizeof(QRgb));
            break;
        case RasterOp::SrcAnd:
            for (int i = 0; i < count; ++i) dst[i] = (dst[i] & src[i]) | kOpaque;
            break;
        case RasterOp::SrcPaint:
            for (int i = 0; i < count; ++i) dst[i] = dst[i] | src[i] | kOpaque;
            break;
        case RasterOp::DSna:
            for (int i = 0; i < count; ++i) dst[i] = (dst[i] & ~src[i]) | kOpaque;
            break;
        case RasterOp::PSDPxax:
            for (int i = 0; i < count; ++i) dst[i] = (p ^ (src[i] & (dst[i] ^ p))) | kOpaque;
            break;
    }
}

}  // namespace

void BitBlt(PictureBox& dst, int x, int y, int w, int h, const PictureBox& src, int sx, int sy,
            RasterOp op) {
    BitBlt(dst.Image(), x, y, w, h, src.Image(), sx, sy, op);
}

// Both images must be Format_RGB32; a rectangle that overlaps itself within one image is not
// supported.
void BitBlt(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy, RasterOp op,
            Colour brush) {
    Q_ASSERT(dst.format() == QImage::Format_RGB32 && src.format() == QImage::Format_RGB32);
    // Clipping one side's corner moves the other side's corner by the same amount.
    if (x < 0) {
        sx -= x;
        w += x;
        x = 0;
    }
    if (y < 0) {
        sy -= y;
        h += y;
        y = 0;
    }
    if (sx < 0) {
        x -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        y -= sy;
        h += sy;
        sy = 0;
    }
    w = std::min({w, dst.width() - x, src.width() - sx});
    h = std::min({h, dst.height() - y, src.height() - sy});
    if (w <= 0 || h <= 0) return;

    // Detach the destination first, so a source sharing its data keeps the old pixels.
    uchar* dstBits = dst.bits();
    const uchar* srcBits = src.constBits();
    const qsizetype dstStride = dst.bytesPerLine();
    const qsizetype srcStride = src.bytesPerLine();
    const QRgb p = ToQColor(brush).rgb();
    for (int row = 0; row < h; ++row) {
        auto* d = reinterpret_cast<QRgb*>(dstBits + (y + row) * dstStride) + x;
        const auto* s = reinterpret_cast<const QRgb*>(srcBits + (sy + row) * srcStride) + sx;
        BlitRow(d, s, w, op, p);
    }
}

}  // namespace plat
