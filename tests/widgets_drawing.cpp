#include <algorithm>
#include <array>

#include "widgets_button.h"

namespace {

constexpr plat::Colour kFace = 0xC8D0D4;  // the classic button face
constexpr plat::Colour kWhite = 0xFFFFFF;
constexpr plat::Colour kBlack = 0x000000;
constexpr plat::Colour kGrey = 0x808080;
constexpr plat::Colour kLight = 0xE9E9E9;
constexpr plat::Colour kDark = 0x666666;  // grey shaded by -26

enum class Look { Normal, Hot, Pressed, Default, Disabled };

struct Sample {
    const char* name;
    int style;
    Look look;
    // Canvas pixels at y = 16 of an 89 x 33 button: the outer, middle and inner edge line on
    // the left (x = 0, 1, 2) and on the right (x = 88, 87, 86).
    std::array<plat::Colour, 6> edges;
};

void PrintTo(const Sample& sample, std::ostream* os) {
    *os << sample.name;
}

class StyleTable : public ButtonTest, public testing::WithParamInterface<Sample> {};

void Show(XPButton& button, Look look) {
    switch (look) {
        case Look::Normal:
            break;
        case Look::Hot:
            ButtonTest::Mouse(button, QEvent::MouseMove, button.rect().center());
            break;
        case Look::Pressed:
            ButtonTest::Mouse(button, QEvent::MouseMove, button.rect().center());
            ButtonTest::Mouse(button, QEvent::MouseButtonPress, button.rect().center());
            break;
        case Look::Default:
            button.AmbientDisplayAsDefault(true);
            break;
        case Look::Disabled:
            button.setEnabled(false);
            break;
    }
}

TEST_P(StyleTable, EdgeLinesAtSamplePixels) {
    const Sample& sample = GetParam();
    XPButton button(&host);
    Load(button, Stored(sample.style));
    Show(button, sample.look);

    const int xs[6] = {0, 1, 2, 88, 87, 86};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(At(button, xs[i], 16), sample.edges[i]) << "at x = " << xs[i];
}

// Style 2 on the button face: face (255,255,250), its shades by the blue-scaled rule.
constexpr plat::Colour kThemedBorder = 0x733C00;
constexpr plat::Colour kThemedFace = 0xFAFFFF;

INSTANTIATE_TEST_SUITE_P(
    Looks, StyleTable,
    testing::Values(
        Sample{"classic-normal", 0, Look::Normal, {kWhite, kLight, kFace, kBlack, kGrey, kFace}},
        Sample{"classic-hot", 0, Look::Hot, {kWhite, kLight, kFace, kBlack, kGrey, kFace}},
        Sample{"classic-pressed", 0, Look::Pressed, {kWhite, kFace, kFace, kBlack, kGrey, kFace}},
        Sample{
            "classic-default", 0, Look::Default, {kBlack, kWhite, kLight, kBlack, kBlack, kGrey}},
        Sample{
            "classic-disabled", 0, Look::Disabled, {kWhite, kLight, kFace, kBlack, kGrey, kFace}},
        Sample{"framed-normal", 1, Look::Normal, {kBlack, kWhite, kWhite, kBlack, kGrey, kGrey}},
        Sample{"framed-pressed", 1, Look::Pressed, {kBlack, kGrey, kGrey, kBlack, kWhite, kWhite}},
        Sample{"framed-default", 1, Look::Default, {kBlack, kWhite, kWhite, kBlack, kGrey, kGrey}},
        Sample{"themed-normal",
               2,
               Look::Normal,
               {kThemedBorder, 0xF4FAFA, 0xEDF5F5, kThemedBorder, 0xCCDBDB, 0xDBE7E7}},
        Sample{"themed-hot",
               2,
               Look::Hot,
               {kThemedBorder, 0x31B2FF, 0x6BCBFF, kThemedBorder, 0x31B2FF, 0x6BCBFF}},
        Sample{"themed-pressed",
               2,
               Look::Pressed,
               {kThemedBorder, 0xD1DFDF, 0xDEE9E9, kThemedBorder, 0xFFFFFF, kThemedFace}},
        Sample{"themed-default",
               2,
               Look::Default,
               {kThemedBorder, 0xE7AE8C, 0xF0D1B5, kThemedBorder, 0xE7AE8C, 0xF0D1B5}},
        Sample{"themed-disabled",
               2,
               Look::Disabled,
               {0x8DABAB, 0xDBE7E7, 0xDBE7E7, 0x8DABAB, 0xDBE7E7, 0xDBE7E7}},
        Sample{"flat-normal", 3, Look::Normal, {kDark, kWhite, kFace, kWhite, kDark, kFace}},
        Sample{
            "flat-pressed", 3, Look::Pressed, {kDark, 0x8C8C8C, 0x8C8C8C, kWhite, kDark, 0x8C8C8C}},
        Sample{"flat-disabled", 3, Look::Disabled, {kDark, kFace, kFace, kDark, kFace, kFace}},
        Sample{"thin-normal", 4, Look::Normal, {kWhite, kFace, kFace, kGrey, kFace, kFace}},
        Sample{"thin-pressed", 4, Look::Pressed, {kGrey, kFace, kFace, kWhite, kFace, kFace}},
        Sample{"toolbar-normal", 5, Look::Normal, {kFace, kFace, kFace, kFace, kFace, kFace}},
        Sample{"toolbar-hot", 5, Look::Hot, {kWhite, kFace, kFace, kGrey, kFace, kFace}},
        Sample{"toolbar-pressed", 5, Look::Pressed, {kGrey, kFace, kFace, kWhite, kFace, kFace}},
        Sample{"soft-normal", 6, Look::Normal, {0xE7E7E7, 0xE7E7E7, kFace, kGrey, kGrey, kFace}},
        Sample{"soft-pressed", 6, Look::Pressed, {kGrey, kGrey, kFace, 0xE7E7E7, 0xE7E7E7, kFace}},
        Sample{"rounded-normal",
               7,
               Look::Normal,
               {kBlack, kWhite, kWhite, kBlack, 0x9AAFB3, 0xE7EFF3}},
        Sample{"rounded-pressed",
               7,
               Look::Pressed,
               {kBlack, 0x404040, 0x606060, kBlack, 0x707070, kGrey}}),
    [](const testing::TestParamInfo<Sample>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST_F(ButtonTest, ThemedRowsAllAround) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed));
    // Rows 1..8 top and bottom, two and one pixel in; rows 9..12 on the edge.
    EXPECT_EQ(At(button, 44, 2), 0xFFFFFFu);   // +10 of the face, clamped
    EXPECT_EQ(At(button, 44, 30), 0xD1DFDFu);  // -32
    EXPECT_EQ(At(button, 44, 1), 0xFFFFFFu);   // +16
    EXPECT_EQ(At(button, 44, 31), 0xBCCFCFu);  // -48
    EXPECT_EQ(At(button, 44, 0), kThemedBorder);
    EXPECT_EQ(At(button, 44, 32), kThemedBorder);
    // Rounded corners: the border colour one pixel in, the corner triangles cut away.
    for (const QPoint corner : {QPoint(1, 1), QPoint(1, 31), QPoint(87, 1), QPoint(87, 31)})
        EXPECT_EQ(At(button, corner.x(), corner.y()), kThemedBorder)
            << corner.x() << "," << corner.y();
    for (const QPoint cut : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(88, 32),
                             QPoint(87, 32), QPoint(88, 31), QPoint(0, 32), QPoint(88, 0)})
        EXPECT_FALSE(button.mask().contains(cut)) << cut.x() << "," << cut.y();
    // The face darkens row by row: -25 * i / 33, halves to even.
    EXPECT_EQ(At(button, 44, 3), XPButton::ShadeColor(kThemedFace, -2, true));
    EXPECT_EQ(At(button, 10, 29), XPButton::ShadeColor(kThemedFace, -22, true));
}

TEST_F(ButtonTest, ThemedWithoutFocusRectNeverShowsTheDefaultRows) {
    XPButton button(&host);
    PropertyBag bag = Stored(XPButton::Themed);
    bag.Set("Focus", "False");
    Load(button, bag);
    button.AmbientDisplayAsDefault(true);
    EXPECT_EQ(At(button, 1, 16), 0xF4FAFAu);
}

TEST_F(ButtonTest, HotThemedFaceUsesTheHoverColour) {
    XPButton button(&host);
    PropertyBag bag = Stored(XPButton::Themed);
    bag.Set("cBHover", "0x0000FF");  // red, lightened by the style to 0x0030FF
    Load(button, bag);
    Hover(button);
    EXPECT_EQ(At(button, 44, 5), XPButton::ShadeColor(0x0030FF, -4, true));
}

TEST_F(ButtonTest, ShadeColorClampsAndScalesBlue) {
    EXPECT_EQ(XPButton::ShadeColor(0xC8D0D4, 48, true), 0xFAFFFFu);
    EXPECT_EQ(XPButton::ShadeColor(0xC8D0D4, 48, false), 0xF8FFFFu);
    EXPECT_EQ(XPButton::ShadeColor(0x102030, -64, false), 0x000000u);
    // Blue by 250 * -32 / 192 = -41.67, toward zero.
    EXPECT_EQ(XPButton::ShadeColor(0xFAFFFF, -32, true), 0xD1DFDFu);
}

struct ShapeSample {
    const char* name;
    int shape;
    std::vector<QPoint> inside;
    std::vector<QPoint> outside;
};

void PrintTo(const ShapeSample& sample, std::ostream* os) {
    *os << sample.name;
}

class ShapeRegion : public testing::TestWithParam<ShapeSample> {};

TEST_P(ShapeRegion, SamplePoints) {
    const ShapeSample& sample = GetParam();
    const QRegion region = XPButton::ShapeRegion(89, 33, sample.shape, XPButton::Classic, true);
    for (const QPoint& point : sample.inside)
        EXPECT_TRUE(region.contains(point)) << point.x() << "," << point.y();
    for (const QPoint& point : sample.outside)
        EXPECT_FALSE(region.contains(point)) << point.x() << "," << point.y();
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ShapeRegion,
    testing::Values(
        ShapeSample{"rectangle", 0, {{0, 0}, {88, 0}, {0, 32}, {88, 32}}, {}},
        // The slant runs H + 1 = 34 pixels across: row y starts at x = y.
        ShapeSample{
            "left-slant", 1, {{0, 0}, {16, 16}, {32, 32}, {88, 32}}, {{0, 1}, {15, 16}, {31, 32}}},
        ShapeSample{"right-slant",
                    2,
                    {{0, 32}, {55, 0}, {71, 16}, {87, 32}},
                    {{56, 0}, {72, 16}, {88, 31}}},
        ShapeSample{"both-slants", 3, {{16, 16}, {71, 16}}, {{0, 32}, {15, 16}, {72, 16}, {88, 0}}},
        ShapeSample{
            "oval", 4, {{44, 2}, {2, 16}, {44, 16}}, {{0, 0}, {88, 0}, {0, 32}, {88, 32}, {4, 2}}},
        ShapeSample{"oval-outlined", 6, {{44, 1}, {44, 16}}, {{1, 1}, {87, 31}}}),
    [](const testing::TestParamInfo<ShapeSample>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST(ShapeCorners, ByStyle) {
    const auto region = [](int style, bool enabled) {
        return XPButton::ShapeRegion(89, 33, 0, style, enabled);
    };
    EXPECT_FALSE(region(XPButton::Framed, true).contains(QPoint(0, 0)));
    EXPECT_FALSE(region(XPButton::Framed, true).contains(QPoint(88, 32)));
    EXPECT_TRUE(region(XPButton::Framed, true).contains(QPoint(1, 0)));
    EXPECT_FALSE(region(XPButton::Flat, true).contains(QPoint(0, 32)));
    EXPECT_FALSE(region(XPButton::Flat, true).contains(QPoint(88, 0)));
    EXPECT_TRUE(region(XPButton::Flat, true).contains(QPoint(0, 0)));
    EXPECT_TRUE(region(XPButton::Flat, false).contains(QPoint(0, 32)));
    EXPECT_TRUE(region(XPButton::Soft, true).contains(QPoint(0, 0)));
    // A slanted shape cuts the corners of its square side only.
    const QRegion slanted = XPButton::ShapeRegion(89, 33, 2, XPButton::Themed, true);
    EXPECT_FALSE(slanted.contains(QPoint(0, 0)));
    EXPECT_FALSE(slanted.contains(QPoint(1, 32)));
    EXPECT_TRUE(slanted.contains(QPoint(87, 32)));
}

TEST_F(ButtonTest, NarrowSlantedButtonWidensInStepsOfFive) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed, 3), QRect(10, 10, 30, 33));
    // d = 34: 30 -> 35 -> 40 (40 - 34 = 6 is above 4).
    EXPECT_EQ(button.width(), 40);
    EXPECT_EQ(button.Canvas().width(), 40);
}

TEST_F(ButtonTest, ToolbarShowsItsBorderInDesignModeOnly) {
    plat::SetAmbientUserMode(false);
    XPButton button(&host);
    Load(button, Stored(XPButton::Toolbar));
    // The container's green shaded by -64, dotted: every other pixel from the bottom.
    EXPECT_EQ(At(button, 0, 16), 0x004000u);
    EXPECT_EQ(At(button, 0, 15), kFace);
}

// The smallest rectangle around the caption's ink on a plain face.
QRect Ink(const QImage& canvas, QRect area) {
    const QRgb face = canvas.pixel(area.topLeft());
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (canvas.pixel(x, y) != face) ink |= QRect(x, y, 1, 1);
    return ink;
}

TEST_F(ButtonTest, OvalsFollowTheContainersColour) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic, 4));
    // Outside the inner ellipse: the container's green shaded by +172 at the top.
    EXPECT_EQ(At(button, 44, 0), XPButton::ShadeColor(0x008000, 172));
    QPalette palette = host.palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 128));
    host.setPalette(palette);
    EXPECT_EQ(At(button, 44, 0), XPButton::ShadeColor(0x800000, 172));
}

TEST_F(ButtonTest, FlatKeepsTheCaptionInPlaceWhilePressed) {
    XPButton flat(&host);
    Load(flat, Stored(XPButton::Flat));
    const QRect inner(4, 4, 81, 25);
    const QRect before = Ink(flat.Canvas(), inner);
    Hover(flat);
    Press(flat);
    EXPECT_FALSE(before.isEmpty());
    EXPECT_EQ(Ink(flat.Canvas(), inner), before);
}

TEST_F(ButtonTest, OtherLooksMoveTheCaptionByOnePixelWhilePressed) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    const QImage before = button.Canvas().copy(10, 8, 60, 16);
    Hover(button);
    Press(button);
    EXPECT_EQ(button.Canvas().copy(11, 9, 60, 16), before);
}

// Drawn enlarged (its window shown full screen), the face is composed at the factor it is
// painted at, so the caption is as sharp as the pixels showing it; back on the screen, at the
// screen's.
TEST_F(ButtonTest, FaceIsComposedAtTheFactorItIsPaintedAt) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic, 0, "开始"));
    QImage enlarged(button.size() * 3, QImage::Format_ARGB32_Premultiplied);
    enlarged.setDevicePixelRatio(3);
    button.render(&enlarged);
    EXPECT_EQ(button.Canvas().size(), button.size() * 3);
    QImage shown(button.size(), QImage::Format_ARGB32_Premultiplied);
    button.render(&shown);
    EXPECT_EQ(button.Canvas().size(), button.size());
}

TEST_F(ButtonTest, CaptionLinesAndAmpersands) {
    XPButton one(&host);
    Load(one, Stored(XPButton::Classic, 0, "开始"), QRect(10, 10, 89, 60));
    XPButton two(&host);
    Load(two, Stored(XPButton::Classic, 0, "开||始"), QRect(10, 10, 89, 60));
    EXPECT_GT(two.CaptionRect().height(), one.CaptionRect().height() * 3 / 2);
    EXPECT_LT(two.CaptionRect().width(), one.CaptionRect().width());

    XPButton escaped(&host);
    Load(escaped, Stored(XPButton::Classic, 0, "A&&B"));
    XPButton plain(&host);
    Load(plain, Stored(XPButton::Classic, 0, "A&B"));
    EXPECT_GT(escaped.CaptionRect().width(), plain.CaptionRect().width());
}

TEST_F(ButtonTest, EmbossedCaptionBoxGrowsByTwo) {
    const QRect tall(10, 10, 89, 60);
    XPButton flat(&host);
    Load(flat, Stored(XPButton::Classic), tall);
    PropertyBag bag = Stored(XPButton::Classic);
    bag.Set("CapStyle", "1");
    XPButton embossed(&host);
    Load(embossed, bag, tall);
    EXPECT_EQ(embossed.CaptionRect().width(), flat.CaptionRect().width() + 2);
    EXPECT_EQ(embossed.CaptionRect().height(), flat.CaptionRect().height() + 2);
}

QImage Picture(QRgb background) {
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(background);
    for (int i = 4; i < 12; ++i)
        for (int j = 4; j < 12; ++j) picture.setPixel(i, j, qRgb(255, 0, 0));
    return picture;
}

TEST_F(ButtonTest, BitmapTopLeftColourIsTransparent) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic, 0, ""));
    button.SetPicture(Picture(qRgb(0, 0, 255)));
    const QRect at = button.PictureRect();
    EXPECT_EQ(At(button, at.left() + 1, at.top() + 1), kFace);      // blue let through
    EXPECT_EQ(At(button, at.left() + 6, at.top() + 6), 0x0000FFu);  // red ink
}

TEST_F(ButtonTest, StretchedPictureCoversTheFaceAndMovesWhenPressed) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic, 0, ""));
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 0));
    picture.setPixel(0, 0, qRgb(255, 255, 255));  // transparent
    button.SetPicture(picture);
    button.SetPictureSize(3);
    // The picture is drawn over the edge lines, from the first column on.
    EXPECT_EQ(At(button, 44, 16), 0x000000u);
    EXPECT_EQ(At(button, 0, 16), 0x000000u);
    Hover(button);
    Press(button);
    // Pressed, it starts one pixel in: the white outer edge line shows.
    EXPECT_EQ(At(button, 0, 16), kWhite);
    EXPECT_EQ(At(button, 1, 16), 0x000000u);
}

TEST_F(ButtonTest, EmptyCaptionFocusMarkSurroundsThePicture) {
    XPButton button(&host);
    PropertyBag bag = Stored(XPButton::Flat, 0, "");
    Load(button, bag);
    button.SetPicture(Picture(qRgb(0, 0, 255)));
    button.AmbientDisplayAsDefault(true);
    const QRect around = button.PictureRect();
    EXPECT_EQ(At(button, around.left() - 3, around.top() + 4), 0xCC9999u);
    EXPECT_EQ(At(button, around.left() + 4, around.top() - 3), 0xCC9999u);
}

TEST_F(ButtonTest, DisabledPictureIsEmbossedInTwoGreys) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic, 0, ""));
    button.SetPicture(Picture(qRgb(255, 255, 255)));
    button.setEnabled(false);
    const QRect at = button.PictureRect();
    EXPECT_EQ(At(button, at.left() + 6, at.top() + 6), XPButton::ShadeColor(0xC0C0C0, -36));
    EXPECT_EQ(At(button, at.left() + 3, at.top() + 3), XPButton::ShadeColor(0xC0C0C0, 36));
    EXPECT_EQ(At(button, at.left() + 1, at.top() + 1), kFace);
}

}  // namespace
