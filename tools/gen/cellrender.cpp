#include "cellrender.h"

#include <QPainter>

namespace {

constexpr int kSupersample = 8;

QImage transparent(QSize size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// Averages each factor x factor block; premultiplied colour makes this the correct blend.
QImage boxDown(const QImage& big, int factor) {
    QImage out = transparent(big.size() / factor);
    const int n = factor * factor;
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            int r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < factor; ++sy) {
                const auto* line =
                    reinterpret_cast<const QRgb*>(big.constScanLine(y * factor + sy));
                for (int sx = 0; sx < factor; ++sx) {
                    const QRgb p = line[x * factor + sx];
                    r += qRed(p);
                    g += qGreen(p);
                    b += qBlue(p);
                    a += qAlpha(p);
                }
            }
            out.setPixel(x, y,
                         qRgba((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n, (a + n / 2) / n));
        }
    }
    return out;
}

}  // namespace

QImage renderCoverage(Look look, QSize size, const PaintFn& paint) {
    if (look == Look::Polished) {
        QImage big = transparent(size * kSupersample);
        {
            QPainter p(&big);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(kSupersample, kSupersample);
            paint(p);
        }
        return boxDown(big, kSupersample);
    }
    QImage small = transparent(size / 2);
    {
        QPainter p(&small);
        p.scale(0.5, 0.5);
        paint(p);
    }
    return small.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage maskFromCoverage(const QImage& coverage, int minAlpha) {
    QImage mask(coverage.size(), QImage::Format_RGB32);
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            const bool drawn = qAlpha(coverage.pixel(x, y)) >= minAlpha;
            mask.setPixel(x, y, drawn ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    return mask;
}

QImage uniteMasks(const QImage& a, const QImage& b) {
    QImage out = a.copy();
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            if (qRed(b.pixel(x, y)) == 0) out.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return out;
}

QImage imageForMask(const QImage& coverage, const QImage& mask, QColor under) {
    QImage out(coverage.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            if (qRed(mask.pixel(x, y)) != 0) continue;
            const QRgb p = coverage.pixel(x, y);  // premultiplied: already "over black"
            const int rest = 255 - qAlpha(p);
            auto over = [rest](int fg, int bg) { return fg + (bg * rest + 127) / 255; };
            out.setPixel(x, y,
                         qRgb(over(qRed(p), under.red()), over(qGreen(p), under.green()),
                              over(qBlue(p), under.blue())));
        }
    }
    return out;
}
