#include "level.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "distancefield.h"
#include "game/mazelayout.h"
#include "palette.h"

namespace {

// Ghosts leave the house through the top wall between these two cells.
constexpr int kGateRow = 12;
constexpr int kGateLeftCol = 13;
constexpr int kGateRightCol = 14;

bool isGate(int col, int row) {
    return row == kGateRow && (col == kGateLeftCol || col == kGateRightCol);
}

bool isWall(int col, int row) {
    if (col < 0 || row < 0 || col >= kMazeCols || row >= kMazeRows) return false;
    return kMazeLayout[row][col] == 'W';
}

// The gate is drawn as a door, so the wall bands end on both sides of it.
bool isWallBand(int col, int row) {
    return isWall(col, row) && !isGate(col, row);
}

struct Rgb {
    float r, g, b;
};

Rgb rgb(QRgb c) {
    return {float(qRed(c)), float(qGreen(c)), float(qBlue(c))};
}

Rgb mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

QImage floorOnly(QRgb floor) {
    QImage img(kLevelWidth, kLevelHeight, QImage::Format_RGB32);
    img.fill(floor);
    return img;
}

// Polished walls: a glowing line along a rounded outline of each wall block. The outline is an
// opening of the wall shape (shrink by kCoreDepth, grow back by kCornerRadius), which rounds the
// outer corners as well as the inner ones and T-joins.
constexpr int kSamples = 4;  // per pixel, each way
constexpr int kPad = kCell;  // floor around the picture, so the border is a band too
constexpr float kCornerRadius = 3.0f;
constexpr float kCoreDepth = 7.5f;  // line centre sits kCoreDepth - kCornerRadius inside

Rgb polishedWallSample(float s, float depthFromFloor) {
    const Rgb floor = rgb(palette::kFloor);
    Rgb c = floor;
    if (s < 0) {
        c = mix(rgb(palette::kWallInner), rgb(palette::kWallDeep), smoothstep(0.5f, 5.0f, -s));
    } else {
        const float glow =
            0.4f * std::exp(-(s - 1) / 1.4f) * smoothstep(0.0f, 1.5f, depthFromFloor);
        c = mix(floor, rgb(palette::kWallLine), std::min(glow, 1.0f));
    }
    c = mix(c, rgb(palette::kWallLine), smoothstep(1.35f, 0.75f, std::abs(s)));
    return mix(c, rgb(palette::kWallLineCore), 0.7f * smoothstep(0.55f, 0.0f, std::abs(s)));
}

void drawPolishedWalls(QImage& img) {
    const int w = (kLevelWidth + 2 * kPad) * kSamples;
    const int h = (kLevelHeight + 2 * kPad) * kSamples;
    auto wallAt = [](int sx, int sy) {
        const int x = sx / kSamples - kPad;
        const int y = sy / kSamples - kPad;
        return isWallBand(x < 0 ? -1 : x / kCell, y < 0 ? -1 : y / kCell);
    };
    std::vector<bool> floor(static_cast<std::size_t>(w) * h);
    for (int sy = 0; sy < h; ++sy)
        for (int sx = 0; sx < w; ++sx) floor[std::size_t(sy) * w + sx] = !wallAt(sx, sy);
    std::vector<float> depth = distanceToFeature(floor, w, h);
    // Distances between sample centres; the floor's edge lies half a sample nearer.
    for (float& d : depth) d = d / kSamples - 0.5f / kSamples;

    std::vector<bool> core(depth.size());
    for (std::size_t i = 0; i < depth.size(); ++i) core[i] = depth[i] >= kCoreDepth;
    const std::vector<float> toCore = distanceToFeature(core, w, h);

    for (int y = 0; y < kLevelHeight; ++y) {
        for (int x = 0; x < kLevelWidth; ++x) {
            if (!isWallBand(x / kCell, y / kCell)) continue;
            Rgb sum{0, 0, 0};
            for (int j = 0; j < kSamples; ++j) {
                for (int i = 0; i < kSamples; ++i) {
                    const std::size_t at =
                        std::size_t((y + kPad) * kSamples + j) * w + (x + kPad) * kSamples + i;
                    const float dc = toCore[at] / kSamples;
                    const float s =
                        dc > 0 ? dc - kCornerRadius : -(kCornerRadius + depth[at] - kCoreDepth);
                    const Rgb c = polishedWallSample(s, depth[at]);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            const float n = kSamples * kSamples;
            img.setPixel(
                x, y, qRgb(std::lround(sum.r / n), std::lround(sum.g / n), std::lround(sum.b / n)));
        }
    }
}

// A rounded door bar across the lower half of the gate cells.
void drawPolishedGate(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF cells(kGateLeftCol * kCell, kGateRow * kCell, 2 * kCell, kCell);
    p.setClipRect(cells);
    const QRectF bar(cells.left() + 1, cells.top() + 9, cells.width() - 2, 4);
    QColor glow = QColor(palette::kGate);
    glow.setAlphaF(0.22);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(bar.adjusted(-1, -2, 1, 2), 3.5, 3.5);
    QLinearGradient shade(bar.topLeft(), bar.bottomLeft());
    shade.setColorAt(0, QColor(255, 226, 240));
    shade.setColorAt(0.45, QColor(palette::kGate));
    shade.setColorAt(1, QColor(palette::kGate).darker(150));
    p.setBrush(shade);
    p.drawRoundedRect(bar, 2, 2);
}

// Retro walls: square-cornered bands at fixed depths from the floor (chessboard distance).
void drawRetroWalls(QImage& img) {
    constexpr int kReach = 9;
    for (int y = 0; y < kLevelHeight; ++y) {
        for (int x = 0; x < kLevelWidth; ++x) {
            if (!isWallBand(x / kCell, y / kCell)) continue;
            int d = kReach;
            for (int dy = -kReach + 1; dy < kReach; ++dy) {
                for (int dx = -kReach + 1; dx < kReach; ++dx) {
                    const int fx = x + dx, fy = y + dy;
                    const bool wall = fx >= 0 && fy >= 0 && isWallBand(fx / kCell, fy / kCell);
                    if (!wall) d = std::min(d, std::max(std::abs(dx), std::abs(dy)));
                }
            }
            QRgb c = palette::retro::kFloor;
            if (d >= 9)
                c = palette::retro::kWallFill;
            else if (d >= 5)
                c = palette::retro::kWallBand;
            else if (d >= 3)
                c = palette::retro::kWallRim;
            img.setPixel(x, y, c);
        }
    }
}

void drawRetroGate(QImage& img) {
    for (int y = kGateRow * kCell + 10; y < kGateRow * kCell + 14; ++y)
        for (int x = kGateLeftCol * kCell; x < (kGateRightCol + 1) * kCell; ++x)
            img.setPixel(x, y, palette::retro::kGate);
}

}  // namespace

QImage drawLevel(Look look) {
    if (look == Look::Polished) {
        QImage img = floorOnly(palette::kFloor);
        drawPolishedWalls(img);
        drawPolishedGate(img);
        return img;
    }
    QImage img = floorOnly(palette::retro::kFloor);
    drawRetroWalls(img);
    drawRetroGate(img);
    return img;
}
