#include "sprites.h"

#include <QPainter>
#include <vector>

#include "actors.h"
#include "cellrender.h"
#include "fruits.h"
#include "palette.h"

namespace {

constexpr int kCellPx = 32;
constexpr int kFrightenedX = 128;
constexpr int kEyesX = 160;
constexpr int kGhostMaskX = 192;
constexpr int kEyesMaskX = 224;
constexpr int kPlayerY = 128;
constexpr int kPlayerMaskX = 128;
constexpr int kBonusY = 256;
constexpr int kBonusMaskX = 128;
constexpr int kDotY = 320;
constexpr int kSmallPx = 16;
// Glow fades to nothing; below this it is left to the floor.
constexpr int kGlowCut = 8;

class Sheet {
  public:
    explicit Sheet(Look look) : look_(look), img_(kSheetWidth, kSheetHeight, QImage::Format_RGB32) {
        img_.fill(Qt::black);
    }

    QImage render(int size, const PaintFn& paint) const {
        return renderCoverage(look_, QSize(size, size), paint);
    }

    void put(int x, int y, const QImage& part) {
        QPainter p(&img_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(x, y, part);
    }

    // One image with its own mask.
    void putMasked(QPoint at, QPoint maskAt, const QImage& coverage, int minAlpha = 128,
                   QColor under = Qt::black) {
        const QImage mask = maskFromCoverage(coverage, minAlpha);
        put(at.x(), at.y(), imageForMask(coverage, mask, under));
        put(maskAt.x(), maskAt.y(), mask);
    }

    const QImage& image() const { return img_; }

  private:
    Look look_;
    QImage img_;
};

}  // namespace

QImage drawSpriteSheet(Look look) {
    const SpriteStyle st{look};
    Sheet sheet(look);

    for (int dir = 0; dir < 4; ++dir) {
        const int y = dir * kCellPx;
        // The game masks all five bodies of a row with one mask, so it is their union.
        std::vector<QImage> bodies;
        for (int g = 0; g < kGhostCount; ++g)
            bodies.push_back(
                sheet.render(kCellPx, [&](QPainter& p) { paintGhost(p, st, g, dir); }));
        bodies.push_back(sheet.render(kCellPx, [&](QPainter& p) { paintFrightened(p, st, dir); }));
        QImage mask = maskFromCoverage(bodies.front());
        for (const QImage& b : bodies) mask = uniteMasks(mask, maskFromCoverage(b));
        for (int g = 0; g < kGhostCount; ++g)
            sheet.put(g * kCellPx, y, imageForMask(bodies[g], mask));
        sheet.put(kFrightenedX, y, imageForMask(bodies.back(), mask));
        sheet.put(kGhostMaskX, y, mask);

        const QImage eyes = sheet.render(kCellPx, [&](QPainter& p) { paintEyes(p, st, dir); });
        sheet.putMasked({kEyesX, y}, {kEyesMaskX, y}, eyes);

        for (int f = 0; f < kMouthFrames; ++f) {
            const QImage player =
                sheet.render(kCellPx, [&](QPainter& p) { paintPlayer(p, st, dir, f); });
            const QPoint at(dir * kCellPx, kPlayerY + f * kCellPx);
            sheet.putMasked(at, at + QPoint(kPlayerMaskX, 0), player);
        }
    }

    for (int level = 1; level <= kBonusCount; ++level) {
        const QImage item = sheet.render(kCellPx, [&](QPainter& p) { paintBonus(p, st, level); });
        const QPoint at((level - 1) % 4 * kCellPx, kBonusY + (level - 1) / 4 * kCellPx);
        sheet.putMasked(at, at + QPoint(kBonusMaskX, 0), item);
    }

    // Dots only ever sit on floor cells, so their soft glow is blended with the floor itself.
    const QColor floor(palette::floorColour(look == Look::Retro));
    const QImage dot = sheet.render(kSmallPx, [&](QPainter& p) { paintDot(p, st); });
    const QImage pill = sheet.render(kSmallPx, [&](QPainter& p) { paintPill(p, st); });
    sheet.putMasked({0, kDotY}, {0, kDotY + kSmallPx}, dot, kGlowCut, floor);
    sheet.putMasked({kSmallPx, kDotY}, {kSmallPx, kDotY + kSmallPx}, pill, kGlowCut, floor);
    return sheet.image();
}
