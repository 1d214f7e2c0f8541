// Checks the generated pictures against what the game relies on when it blits them:
// AND with the mask, then OR with the image.
#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "game/mazelayout.h"

namespace {

QImage loadData(const char* name) {
    QImage img(QStringLiteral(NIBBLY_BIN_DIR "/") + QLatin1String(name));
    return img.isNull() ? img : img.convertToFormat(QImage::Format_RGB32);
}

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);

int luminance(QRgb c) {
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

// One image of the sheet and the mask it is drawn with.
struct Sprite {
    std::string name;
    QRect image;
    QPoint mask;
};

std::vector<Sprite> sheetLayout() {
    const char* dirs[] = {"up", "down", "left", "right"};
    std::vector<Sprite> out;
    for (int d = 0; d < 4; ++d) {
        const std::string dir = dirs[d];
        for (int g = 0; g < 4; ++g)
            out.push_back({"ghost" + std::to_string(g + 1) + "-" + dir,
                           QRect(g * 32, d * 32, 32, 32), QPoint(192, d * 32)});
        out.push_back({"frightened-" + dir, QRect(128, d * 32, 32, 32), QPoint(192, d * 32)});
        out.push_back({"eyes-" + dir, QRect(160, d * 32, 32, 32), QPoint(224, d * 32)});
        for (int f = 0; f < 4; ++f)
            out.push_back({"player-" + dir + "-frame" + std::to_string(f),
                           QRect(d * 32, 128 + f * 32, 32, 32),
                           QPoint(128 + d * 32, 128 + f * 32)});
    }
    for (int level = 1; level <= 8; ++level) {
        const QPoint at((level - 1) % 4 * 32, 256 + (level - 1) / 4 * 32);
        out.push_back(
            {"bonus" + std::to_string(level), QRect(at, QSize(32, 32)), at + QPoint(128, 0)});
    }
    out.push_back({"dot", QRect(0, 320, 16, 16), QPoint(0, 336)});
    out.push_back({"pill", QRect(16, 320, 16, 16), QPoint(16, 336)});
    return out;
}

bool maskShows(const QImage& sheet, const Sprite& s, int x, int y) {
    return sheet.pixel(s.mask.x() + x, s.mask.y() + y) == kWhite;
}

struct SheetCase {
    const char* name;
    const char* file;
};

void PrintTo(const SheetCase& c, std::ostream* os) {
    *os << c.file;
}

class SpriteSheet : public testing::TestWithParam<SheetCase> {
  protected:
    void SetUp() override {
        sheet = loadData(GetParam().file);
        ASSERT_FALSE(sheet.isNull()) << GetParam().file;
    }

    const Sprite& sprite(const std::string& name) const {
        for (const Sprite& s : layout)
            if (s.name == name) return s;
        throw std::out_of_range(name);
    }

    // Centre of the pixels the mask lets the sprite draw, in the cell's own coordinates.
    QPointF drawnCentre(const Sprite& s) const {
        double sx = 0, sy = 0;
        int n = 0;
        for (int y = 0; y < s.image.height(); ++y) {
            for (int x = 0; x < s.image.width(); ++x) {
                if (maskShows(sheet, s, x, y)) continue;
                sx += x;
                sy += y;
                ++n;
            }
        }
        return n ? QPointF(sx / n, sy / n) : QPointF(-1, -1);
    }

    // Centre of the dark pixels (pupils, rims) of `s` inside the row's eyes mask.
    QPointF pupilCentre(const Sprite& s, const Sprite& eyes) const {
        double sx = 0, sy = 0;
        int n = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                if (maskShows(sheet, eyes, x, y)) continue;
                if (luminance(sheet.pixel(s.image.topLeft() + QPoint(x, y))) >= 100) continue;
                sx += x;
                sy += y;
                ++n;
            }
        }
        return n ? QPointF(sx / n, sy / n) : QPointF(-1, -1);
    }

    QImage sheet;
    std::vector<Sprite> layout = sheetLayout();
};

TEST_P(SpriteSheet, HasTheSizeTheGameCutsFrom) {
    EXPECT_EQ(sheet.size(), QSize(256, 352));
}

TEST_P(SpriteSheet, MasksArePureBlackAndWhite) {
    for (const Sprite& s : layout) {
        for (int y = 0; y < s.image.height(); ++y) {
            for (int x = 0; x < s.image.width(); ++x) {
                const QRgb m = sheet.pixel(s.mask.x() + x, s.mask.y() + y);
                ASSERT_TRUE(m == kBlack || m == kWhite)
                    << s.name << " mask pixel " << x << "," << y << " is " << std::hex << m;
            }
        }
    }
}

// OR-ing a non-black pixel where the mask keeps the background would tint the floor.
TEST_P(SpriteSheet, ImagesAreBlackWhereTheirMaskShowsTheBackground) {
    for (const Sprite& s : layout) {
        for (int y = 0; y < s.image.height(); ++y) {
            for (int x = 0; x < s.image.width(); ++x) {
                if (!maskShows(sheet, s, x, y)) continue;
                ASSERT_EQ(sheet.pixel(s.image.x() + x, s.image.y() + y), kBlack)
                    << s.name << " pixel " << x << "," << y;
            }
        }
    }
}

TEST_P(SpriteSheet, EveryCellHoldsAVisibleImage) {
    for (const Sprite& s : layout) {
        int lit = 0;
        for (int y = 0; y < s.image.height(); ++y)
            for (int x = 0; x < s.image.width(); ++x)
                if (!maskShows(sheet, s, x, y) &&
                    sheet.pixel(s.image.topLeft() + QPoint(x, y)) != kBlack)
                    ++lit;
        const int minimum = s.image.width() == 16 ? 4 : 40;
        EXPECT_GE(lit, minimum) << s.name;
    }
}

TEST_P(SpriteSheet, NothingIsDrawnOutsideTheLayout) {
    QImage covered(sheet.size(), QImage::Format_Mono);
    covered.fill(0);
    for (const Sprite& s : layout) {
        for (int y = 0; y < s.image.height(); ++y) {
            for (int x = 0; x < s.image.width(); ++x) {
                covered.setPixel(s.image.x() + x, s.image.y() + y, 1);
                covered.setPixel(s.mask.x() + x, s.mask.y() + y, 1);
            }
        }
    }
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            if (!covered.pixelIndex(x, y)) {
                ASSERT_EQ(sheet.pixel(x, y), kBlack) << x << "," << y;
            }
}

// A hole in a mask lets the floor show through the middle of a sprite.
TEST_P(SpriteSheet, MasksHaveNoHoles) {
    for (const Sprite& s : layout) {
        const int w = s.image.width(), h = s.image.height();
        std::vector<bool> outside(std::size_t(w) * h, false);
        std::vector<QPoint> todo;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if ((x == 0 || y == 0 || x == w - 1 || y == h - 1) && maskShows(sheet, s, x, y))
                    todo.emplace_back(x, y);
        while (!todo.empty()) {
            const QPoint p = todo.back();
            todo.pop_back();
            if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h) continue;
            const std::size_t at = std::size_t(p.y()) * w + p.x();
            if (outside[at] || !maskShows(sheet, s, p.x(), p.y())) continue;
            outside[at] = true;
            for (QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
                todo.push_back(p + d);
        }
        int holes = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (maskShows(sheet, s, x, y) && !outside[std::size_t(y) * w + x]) ++holes;
        EXPECT_EQ(holes, 0) << s.name;
    }
}

// One mask serves the four ghosts and the frightened ghost of a row, so each must fill it:
// a mask pixel left black by an image would punch a black hole into the floor.
TEST_P(SpriteSheet, GhostsOfARowShareTheirMasksSilhouette) {
    for (const char* dir : {"up", "down", "left", "right"}) {
        for (const char* who : {"ghost1", "ghost2", "ghost3", "ghost4", "frightened"}) {
            const Sprite& s = sprite(std::string(who) + "-" + dir);
            int masked = 0, hollow = 0;
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    if (maskShows(sheet, s, x, y)) continue;
                    ++masked;
                    if (sheet.pixel(s.image.topLeft() + QPoint(x, y)) == kBlack) ++hollow;
                }
            }
            EXPECT_LT(hollow * 50, masked) << s.name << ": " << hollow << " of " << masked;
        }
    }
}

TEST_P(SpriteSheet, BonusItemsHaveEightDifferentSilhouettes) {
    for (int a = 1; a <= 8; ++a) {
        for (int b = a + 1; b <= 8; ++b) {
            const Sprite& sa = sprite("bonus" + std::to_string(a));
            const Sprite& sb = sprite("bonus" + std::to_string(b));
            int differ = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    if (maskShows(sheet, sa, x, y) != maskShows(sheet, sb, x, y)) ++differ;
            EXPECT_GE(differ, 60) << "bonus" << a << " vs bonus" << b;
        }
    }
}

TEST_P(SpriteSheet, PlayerMouthOpensInFourSteps) {
    for (const char* dir : {"up", "down", "left", "right"}) {
        int previous = 32 * 32;
        for (int f = 0; f < 4; ++f) {
            const Sprite& s = sprite(std::string("player-") + dir + "-frame" + std::to_string(f));
            int body = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x) body += !maskShows(sheet, s, x, y);
            EXPECT_LT(body, previous - 8) << s.name;
            previous = body;
        }
    }
}

// The open mouth takes mass away from the front, so the body's centre sits behind the middle.
TEST_P(SpriteSheet, PlayerFacesItsDirection) {
    const QPointF up = drawnCentre(sprite("player-up-frame3"));
    const QPointF down = drawnCentre(sprite("player-down-frame3"));
    const QPointF left = drawnCentre(sprite("player-left-frame3"));
    const QPointF right = drawnCentre(sprite("player-right-frame3"));
    EXPECT_GT(up.y(), down.y());
    EXPECT_LT(right.x(), left.x());
}

TEST_P(SpriteSheet, EyesLookWhereTheGhostGoes) {
    for (const char* who : {"eyes", "ghost1", "ghost2", "ghost3", "ghost4", "frightened"}) {
        const auto pupils = [&](const char* dir) {
            return pupilCentre(sprite(std::string(who) + "-" + dir),
                               sprite(std::string("eyes-") + dir));
        };
        EXPECT_LT(pupils("up").y(), pupils("down").y()) << who;
        EXPECT_LT(pupils("left").x(), pupils("right").x()) << who;
    }
}

QColor meanColour(const QImage& sheet, QRect cell) {
    double r = 0, g = 0, b = 0;
    int n = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QRgb c = sheet.pixel(x, y);
            if (c == kBlack) continue;
            r += qRed(c);
            g += qGreen(c);
            b += qBlue(c);
            ++n;
        }
    }
    return n ? QColor(int(r / n), int(g / n), int(b / n)) : QColor(Qt::black);
}

double colourDistance(QColor a, QColor b) {
    return std::hypot(a.red() - b.red(), a.green() - b.green(), a.blue() - b.blue());
}

// How a colour looks without one kind of cone (Machado, Oliveira & Fernandes 2009, full
// severity), applied in linear light.
using Cvd = std::array<std::array<double, 3>, 3>;
constexpr Cvd kDeutan = {{{0.367322, 0.860646, -0.227968},
                          {0.280085, 0.672501, 0.047413},
                          {-0.011820, 0.042940, 0.968881}}};
constexpr Cvd kProtan = {{{0.152286, 1.052583, -0.204868},
                          {0.114503, 0.786281, 0.099216},
                          {-0.003882, -0.048116, 1.051998}}};

QColor seenWith(const Cvd& m, QColor c) {
    const auto toLinear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    const auto toSrgb = [](double l) {
        l = std::clamp(l, 0.0, 1.0);
        const double s = l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
        return int(std::lround(s * 255));
    };
    const double in[3] = {toLinear(c.red()), toLinear(c.green()), toLinear(c.blue())};
    int out[3];
    for (int i = 0; i < 3; ++i)
        out[i] = toSrgb(m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2]);
    return QColor(out[0], out[1], out[2]);
}

// Told apart by their overall colour, also without red-green vision (shape comes on top).
TEST_P(SpriteSheet, ActorsDifferInColourAlsoForColourBlindPlayers) {
    std::vector<std::pair<std::string, QColor>> actors;
    for (const char* who : {"ghost1", "ghost2", "ghost3", "ghost4", "frightened"})
        actors.emplace_back(who, meanColour(sheet, sprite(std::string(who) + "-left").image));
    actors.emplace_back("player", meanColour(sheet, sprite("player-left-frame2").image));
    for (std::size_t i = 0; i < actors.size(); ++i) {
        for (std::size_t j = i + 1; j < actors.size(); ++j) {
            const QColor a = actors[i].second, b = actors[j].second;
            const std::string pair = actors[i].first + " vs " + actors[j].first;
            EXPECT_GT(colourDistance(a, b), 60) << pair;
            EXPECT_GT(colourDistance(seenWith(kDeutan, a), seenWith(kDeutan, b)), 40) << pair;
            EXPECT_GT(colourDistance(seenWith(kProtan, a), seenWith(kProtan, b)), 40) << pair;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Assets, SpriteSheet,
                         testing::Values(SheetCase{"polished", "gobpics.bmp"},
                                         SheetCase{"retro", "gobpicsold.bmp"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RetroSheet, UsesASmallFlatPalette) {
    const QImage sheet = loadData("gobpicsold.bmp");
    ASSERT_FALSE(sheet.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x) colours.insert(sheet.pixel(x, y));
    EXPECT_LE(colours.size(), 20);
}

struct LevelCase {
    const char* name;
    const char* file;
};

void PrintTo(const LevelCase& c, std::ostream* os) {
    *os << c.file;
}

bool isWallCell(int col, int row) {
    return kMazeLayout[row][col] == 'W';
}

class LevelPicture : public testing::TestWithParam<LevelCase> {
  protected:
    void SetUp() override {
        level = loadData(GetParam().file);
        ASSERT_FALSE(level.isNull()) << GetParam().file;
        ASSERT_EQ(level.size(), QSize(kMazeCols * kCell, kMazeRows * kCell));
        floor = level.pixel(kCell + 1, kCell + 1);  // cell (1,1) is a corridor
    }

    QSet<QRgb> coloursIn(int col, int row, int fromY = 0) const {
        QSet<QRgb> out;
        for (int y = fromY; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x)
                out.insert(level.pixel(col * kCell + x, row * kCell + y));
        return out;
    }

    QImage level;
    QRgb floor = 0;
};

// The game paints dots onto the bare picture and wipes eaten cells back from it.
TEST_P(LevelPicture, EveryOpenCellIsPlainFloor) {
    for (int row = 0; row < kMazeRows; ++row) {
        for (int col = 0; col < kMazeCols; ++col) {
            if (isWallCell(col, row)) continue;
            const QSet<QRgb> colours = coloursIn(col, row);
            EXPECT_TRUE(colours.size() == 1 && colours.contains(floor))
                << "cell " << col << "," << row << " has " << colours.size() << " colours";
        }
    }
}

TEST_P(LevelPicture, EveryWallCellShowsWall) {
    for (int row = 0; row < kMazeRows; ++row) {
        for (int col = 0; col < kMazeCols; ++col) {
            if (!isWallCell(col, row)) continue;
            const QSet<QRgb> colours = coloursIn(col, row);
            EXPECT_FALSE(colours.size() == 1 && colours.contains(floor))
                << "cell " << col << "," << row;
        }
    }
}

// Ghosts cross the house's top wall on x = 224; the door there must read as a door.
TEST_P(LevelPicture, HouseGateIsDrawnInItsOwnColour) {
    QSet<QRgb> otherWalls;
    for (int row = 0; row < kMazeRows; ++row)
        for (int col = 0; col < kMazeCols; ++col)
            if (isWallCell(col, row) && !(row == 12 && (col == 13 || col == 14)))
                otherWalls.unite(coloursIn(col, row));
    for (int col : {13, 14}) {
        const QSet<QRgb> gate = coloursIn(col, 12, kCell / 2);
        EXPECT_FALSE(QSet<QRgb>(gate).subtract(otherWalls).isEmpty()) << "gate cell " << col;
    }
    bool crossed = false;
    for (int y = 12 * kCell + kCell / 2; y < 13 * kCell; ++y)
        crossed |= level.pixel(223, y) != floor && level.pixel(224, y) != floor;
    EXPECT_TRUE(crossed);
}

INSTANTIATE_TEST_SUITE_P(Assets, LevelPicture,
                         testing::Values(LevelCase{"polished", "level1.bmp"},
                                         LevelCase{"retro", "levelold.bmp"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LevelPictures, RetroIsFlatAndPolishedIsShaded) {
    const QImage retro = loadData("levelold.bmp");
    const QImage polished = loadData("level1.bmp");
    ASSERT_FALSE(retro.isNull());
    ASSERT_FALSE(polished.isNull());
    const auto count = [](const QImage& img) {
        QSet<QRgb> colours;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) colours.insert(img.pixel(x, y));
        return colours.size();
    };
    EXPECT_LE(count(retro), 16);
    EXPECT_GE(count(polished), 64);
}

}  // namespace
