// Checks the generated window art against what the window relies on when it cuts the skin into
// its frame, lays the button pictures over the skin and shows the title art on its green.
#include <gtest/gtest.h>

#include <QImage>
#include <QRegion>
#include <QSet>
#include <string>

namespace {

QImage loadArt(const std::string& name) {
    QImage img(QStringLiteral(NIBBLY_BIN_DIR "/") + QString::fromStdString(name));
    return img.isNull() ? img : img.convertToFormat(QImage::Format_ARGB32);
}

constexpr QRgb kGreen = qRgb(0, 128, 0);

// Within `tolerance` on every channel of a colour the table gives only roughly.
testing::AssertionResult near(QRgb actual, QRgb expected, int tolerance = 12) {
    if (qAlpha(actual) == 255 && std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
        std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
        std::abs(qBlue(actual) - qBlue(expected)) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "argb(" << qAlpha(actual) << "," << qRed(actual) << "," << qGreen(actual) << ","
           << qBlue(actual) << ") not near rgb(" << qRed(expected) << "," << qGreen(expected) << ","
           << qBlue(expected) << ")";
}

int luminance(QRgb c) {
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

class SkinPicture : public testing::Test {
  protected:
    void SetUp() override {
        skin = loadArt("skin.png");
        ASSERT_EQ(skin.size(), QSize(271, 218));
    }
    QRgb at(int x, int y) const { return skin.pixel(x, y); }
    QImage skin;
};

TEST_F(SkinPicture, RegionsHaveTheirColours) {
    for (int x : {40, 100, 150}) {
        EXPECT_TRUE(near(at(x, 0), qRgb(55, 64, 141))) << "title top " << x;
        EXPECT_TRUE(near(at(x, 22), qRgb(114, 155, 225))) << "title row 22 " << x;
        EXPECT_TRUE(near(at(x, 26), qRgb(66, 95, 179))) << "title seam " << x;
        EXPECT_TRUE(near(at(x, 196), qRgb(98, 152, 225))) << "bottom band top " << x;
        EXPECT_TRUE(near(at(x, 215), qRgb(77, 133, 212))) << "bottom band foot " << x;
    }
    EXPECT_GT(luminance(at(100, 22)), luminance(at(100, 0)) + 50);
    for (int y : {40, 58, 120, 190}) {
        EXPECT_TRUE(near(at(0, y), qRgb(52, 62, 138))) << "left rim " << y;
        EXPECT_TRUE(near(at(1, y), qRgb(109, 164, 235))) << "left bevel " << y;
        EXPECT_TRUE(near(at(270, y), qRgb(52, 62, 138))) << "right rim " << y;
        EXPECT_TRUE(near(at(269, y), qRgb(109, 164, 235))) << "right bevel " << y;
        for (int x : {2, 3, 267, 268}) {
            const QRgb c = at(x, y);
            EXPECT_TRUE(qAlpha(c) == 255 && qBlue(c) > qRed(c) + 80) << x << "," << y;
        }
    }
}

// The window never paints the skin's middle; where the skin does show green it must be the
// window's own green, or the pieces would show seams.
TEST_F(SkinPicture, EverythingInsideTheFrameIsTheWindowsGreen) {
    for (int y = 27; y < 194; ++y)
        for (int x = 4; x < 267; ++x) ASSERT_EQ(at(x, y), kGreen) << x << "," << y;
}

// The window stretches an 8 px wide slice of each band across its whole width and a 3 px tall
// slice of each side down its whole height: any change along a slice would show as streaks.
TEST_F(SkinPicture, StretchedSlicesAreUniformAlongTheStretch) {
    for (int y0 : {0, 178})
        for (int row = y0; row < y0 + 40; ++row)
            for (int x = 28; x <= 36; ++x)
                ASSERT_EQ(at(x, row), at(28, row)) << "band slice " << x << "," << row;
    for (int x0 : {0, 257}) {
        for (int x = x0; x < x0 + 14; ++x)
            for (int row = 56; row <= 62; ++row)
                ASSERT_EQ(at(x, row), at(x, 56)) << "edge slice " << x << "," << row;
    }
}

// Cut where the window's own outline cuts a 271 x 218 window, opaque everywhere else, never
// half transparent: the skin shows the window's rounded corners even where masks are ignored.
TEST_F(SkinPicture, CornersAreCutLikeTheWindowsOutline) {
    const int w = 271, h = 218;
    QRegion shape(0, 5, w, h - 10);
    shape += QRegion(5, 0, w - 10, h);
    shape += QRegion(-2, 0, 17, 35, QRegion::Ellipse);
    shape += QRegion(w - 15, 0, 17, 20, QRegion::Ellipse);
    shape += QRegion(-1, h - 20, 11, 20, QRegion::Ellipse);
    shape += QRegion(w - 20, h - 40, 23, 44, QRegion::Ellipse);
    int cut = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int alpha = qAlpha(at(x, y));
            ASSERT_EQ(alpha, shape.contains(QPoint(x, y)) ? 255 : 0) << x << "," << y;
            cut += alpha == 0;
        }
    }
    for (QPoint corner : {QPoint(0, 0), QPoint(270, 0), QPoint(0, 217), QPoint(270, 217)})
        EXPECT_EQ(qAlpha(at(corner.x(), corner.y())), 0) << corner.x() << "," << corner.y();
    EXPECT_LT(cut, 60);
}

struct ButtonCase {
    const char* name;
    int skinX;
    const char* hover;
    const char* pressed;
};

void PrintTo(const ButtonCase& c, std::ostream* os) {
    *os << c.name;
}

class FrameButtonArt : public testing::TestWithParam<ButtonCase> {
  protected:
    void SetUp() override {
        skin = loadArt("skin.png");
        hover = loadArt(GetParam().hover);
        pressed = loadArt(GetParam().pressed);
        ASSERT_EQ(skin.size(), QSize(271, 218));
        ASSERT_EQ(hover.size(), QSize(16, 16));
        ASSERT_EQ(pressed.size(), QSize(16, 16));
    }
    QRgb normal(int x, int y) const { return skin.pixel(GetParam().skinX + x, 5 + y); }
    QImage skin, hover, pressed;
};

// The overlays sit exactly on the skin's art, so the art fills its 16 x 16 cell and no more,
// and an overlay hides all of it: where the overlay is clear, the band shows.
TEST_P(FrameButtonArt, NormalArtLiesUnderTheOverlays) {
    const int left = GetParam().skinX;
    for (int y = 0; y < 16; ++y) {
        const QRgb band = skin.pixel(200, 5 + y);
        EXPECT_EQ(skin.pixel(left - 1, 5 + y), band) << "left of the art, row " << y;
        EXPECT_EQ(skin.pixel(left + 16, 5 + y), band) << "right of the art, row " << y;
        for (int x = 0; x < 16; ++x) {
            if (qAlpha(hover.pixel(x, y)) == 0) {
                EXPECT_EQ(normal(x, y), band) << x << "," << y;
            }
            EXPECT_EQ(qAlpha(hover.pixel(x, y)) == 0, qAlpha(pressed.pixel(x, y)) == 0)
                << "silhouettes differ at " << x << "," << y;
        }
    }
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(skin.pixel(left + x, 4), skin.pixel(200, 4)) << "above the art, column " << x;
        EXPECT_EQ(skin.pixel(left + x, 21), skin.pixel(200, 21)) << "below the art, column " << x;
    }
}

TEST_P(FrameButtonArt, OverlaysHaveClearCornersAndASolidFace) {
    for (const QImage* img : {&hover, &pressed}) {
        for (QPoint c : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15)})
            EXPECT_EQ(qAlpha(img->pixel(c)), 0) << c.x() << "," << c.y();
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x) EXPECT_EQ(qAlpha(img->pixel(x, y)), 255) << x << "," << y;
    }
}

double faceLuminance(const QImage& img) {
    double sum = 0;
    for (int y = 2; y < 14; ++y)
        for (int x = 2; x < 14; ++x) sum += luminance(img.pixel(x, y));
    return sum / 144;
}

// Hover lights the button up, pressing darkens it; both keep a light sign on the face.
TEST_P(FrameButtonArt, HoverIsLighterAndPressedDarkerThanNormal) {
    double normalSum = 0;
    for (int y = 2; y < 14; ++y)
        for (int x = 2; x < 14; ++x) normalSum += luminance(normal(x, y));
    const double normalFace = normalSum / 144;
    EXPECT_GT(faceLuminance(hover), normalFace + 10);
    EXPECT_LT(faceLuminance(pressed), normalFace - 25);
    for (const QImage* img : {&hover, &pressed}) {
        int sign = 0;
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x) sign += luminance(img->pixel(x, y)) > 180;
        EXPECT_GE(sign, 8);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Window, FrameButtonArt,
    testing::Values(ButtonCase{"minimise", 229, "minhover.png", "minpressed.png"},
                    ButtonCase{"close", 250, "closehover.png", "closepressed.png"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameButtonPictures, MinimiseIsBlueAndCloseIsRed) {
    for (const char* name : {"minhover.png", "minpressed.png"}) {
        const QRgb c = loadArt(name).pixel(3, 7);
        EXPECT_GT(qBlue(c), qRed(c) + 60) << name;
    }
    for (const char* name : {"closehover.png", "closepressed.png"}) {
        const QRgb c = loadArt(name).pixel(3, 7);
        EXPECT_GT(qRed(c), qBlue(c) + 60) << name;
        EXPECT_GT(qRed(c), qGreen(c) + 60) << name;
    }
    const QImage pressed = loadArt("closepressed.png");
    const QRgb cross = pressed.pixel(8, 8);
    EXPECT_GT(qRed(cross), 200);
    EXPECT_GT(qBlue(cross), 120) << "the pressed cross is pink, not white-on-red";
}

// The logo sits on the window's green: its own edge is that green, and it is opaque, so what
// was painted underneath before never shows through.
TEST(TitlePicture, IsOpaqueAndFramedInTheWindowsGreen) {
    const QImage title = loadArt("title.png");
    ASSERT_EQ(title.size(), QSize(355, 136));
    QSet<QRgb> colours;
    for (int y = 0; y < 136; ++y) {
        for (int x = 0; x < 355; ++x) {
            ASSERT_EQ(qAlpha(title.pixel(x, y)), 255) << x << "," << y;
            colours.insert(title.pixel(x, y));
            if (x == 0 || y == 0 || x == 354 || y == 135) {
                ASSERT_EQ(title.pixel(x, y), kGreen) << x << "," << y;
            }
        }
    }
    EXPECT_GE(colours.size(), 500);
}

// Square, clear round the outside, solid in the middle.
TEST(ProgramIconPictures, EverySizeIsThere) {
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage icon = loadArt("icon-" + std::to_string(size) + ".png");
        ASSERT_EQ(icon.size(), QSize(size, size)) << size;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(icon.pixel(size - 1, size - 1)), 0) << size;
        EXPECT_EQ(qAlpha(icon.pixel(size / 2 - 1, size / 2)), 255) << size;
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) opaque += qAlpha(icon.pixel(x, y)) == 255;
        EXPECT_GT(opaque, size * size / 3) << size;
    }
}

// At 16 px every pixel is decided: no soft edges for a desktop to blur further.
TEST(ProgramIconPictures, SmallestSizesArePixelArt) {
    for (const char* name : {"icon-16.png", "titleicon.png"}) {
        const QImage icon = loadArt(name);
        ASSERT_EQ(icon.size(), QSize(16, 16)) << name;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int a = qAlpha(icon.pixel(x, y));
                ASSERT_TRUE(a == 0 || a == 255) << name << " " << x << "," << y;
            }
    }
}

}  // namespace
