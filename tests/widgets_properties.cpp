#include "widgets_button.h"

namespace {

std::vector<std::string> Keys(XPButton& button, const std::function<void()>& change) {
    std::vector<std::string> keys;
    auto connection = QObject::connect(&button, &XPButton::PropertyChanged,
                                       [&](const std::string& key) { keys.push_back(key); });
    change();
    QObject::disconnect(connection);
    return keys;
}

QImage Square() {
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    return picture;
}

TEST_F(ButtonTest, ValueOnACommandButtonChangesNothing) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    EXPECT_TRUE(Keys(button, [&] { button.SetValue(true); }).empty());
    EXPECT_FALSE(button.Value());
    EXPECT_EQ(Keys(button, [&] { button.SetValue(false); }), std::vector<std::string>{"Value"});
    EXPECT_TRUE(boxes.empty());

    plat::SetAmbientUserMode(false);
    button.SetValue(true);
    EXPECT_FALSE(button.Value());
    EXPECT_EQ(boxes, std::vector<std::string>{
                         "XPButton: This property is not applicable for command button modes."});
}

TEST_F(ButtonTest, TopOrBottomPictureForcesACentredCaption) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    button.SetCaptionAlign(0);
    button.SetPicture(Square());
    button.SetPictureAlign(4);
    EXPECT_EQ(button.CaptionAlign(), 2);
    button.SetCaptionAlign(1);
    EXPECT_EQ(button.CaptionAlign(), 2);
    EXPECT_TRUE(boxes.empty());
    plat::SetAmbientUserMode(false);
    button.SetCaptionAlign(0);
    EXPECT_EQ(button.CaptionAlign(), 2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("button captions can only be center aligned"), std::string::npos);
    button.SetPicture(QImage());
    button.SetCaptionAlign(0);
    EXPECT_EQ(button.CaptionAlign(), 0);
}

TEST_F(ButtonTest, PictureAboveTheCaption) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic), QRect(10, 10, 89, 70));
    button.SetPicture(Square());
    button.SetPictureAlign(4);
    EXPECT_LT(button.PictureRect().bottom(), button.CaptionRect().top());
    EXPECT_EQ(button.PictureRect().left(), (89 - 16) / 2);
    button.SetPictureAlign(5);
    EXPECT_GT(button.PictureRect().top(), button.CaptionRect().bottom());
}

TEST_F(ButtonTest, BothSlantsForceACentredCaption) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    button.SetCaptionAlign(0);
    EXPECT_EQ(Keys(button, [&] { button.SetButtonShape(3); }), std::vector<std::string>{"Shape"});
    EXPECT_EQ(button.CaptionAlign(), 2);
}

TEST_F(ButtonTest, OutOfRangeValuesAreIgnored) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed));
    for (int size = 0; size <= 4; ++size) {
        button.SetPictureSize(size);
        EXPECT_EQ(button.PictureSize(), size);
    }
    button.SetPictureSize(1);
    button.SetPictureSize(5);
    button.SetPictureSize(-1);
    EXPECT_EQ(button.PictureSize(), 1);
    button.SetButtonStyle(8);
    button.SetButtonStyle(-1);
    EXPECT_EQ(button.ButtonStyle(), XPButton::Themed);
    button.SetButtonShape(7);
    button.SetMode(3);
    button.SetGradientMode(5);
    EXPECT_EQ(button.ButtonShape(), 0);
    EXPECT_EQ(button.GetMode(), 0);
    EXPECT_EQ(button.GradientMode(), 0);
    button.SetHoverColorLocks(9);  // stored unchecked
    EXPECT_EQ(button.HoverColorLocks(), 9);
}

TEST_F(ButtonTest, HoverColoursLockWhenTheyDiffer) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    button.SetHoverBackColor(plat::vbButtonFace);
    EXPECT_EQ(button.HoverColorLocks(), 0);
    button.SetHoverBackColor(0x00FFFF);
    EXPECT_EQ(button.HoverColorLocks(), 1);
    button.SetHoverColorLocks(2);
    EXPECT_EQ(button.HoverBackColor(), plat::vbButtonFace);  // unlocked: follows the back colour
    button.SetHoverBackColor(0x00FF00);
    EXPECT_EQ(button.HoverColorLocks(), 3);
    button.SetHoverColorLocks(0);
    button.SetHoverForeColor(0x0000FF);
    EXPECT_EQ(button.HoverColorLocks(), 2);
    // A locked hover fore colour stays when the fore colour changes; an unlocked one follows.
    button.SetForeColor(0x123456);
    EXPECT_EQ(button.HoverForeColor(), 0x0000FFu);
    button.SetHoverColorLocks(0);
    EXPECT_EQ(button.HoverForeColor(), 0x123456u);
    button.SetForeColor(0x654321);
    EXPECT_EQ(button.HoverForeColor(), 0x654321u);
}

TEST_F(ButtonTest, GradientSetsTheHoverBackColour) {
    plat::SetScreenSizePixels(1024, 768);
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    button.SetGradientColor(0x0000FF);
    EXPECT_EQ(button.HoverBackColor(), plat::vbButtonFace);
    button.SetGradientMode(1);
    EXPECT_EQ(button.HoverBackColor(), 0x0000FFu);
    button.SetBackColor(plat::vbButtonFace);
    EXPECT_EQ(button.BackColor(), 0xC8D0D4u);  // resolved when set
    EXPECT_EQ(button.HoverBackColor(), 0x0000FFu);
    // Left to right from the face to red in 89 one-pixel bands, channels cut to integers.
    EXPECT_EQ(At(button, 2, 16), 0xC3CBD4u);
    EXPECT_EQ(At(button, 86, 16), 0x0404FEu);

    // On a screen less than four buttons wide the bands are two pixels.
    plat::SetScreenSizePixels(300, 768);
    button.Refresh();
    EXPECT_EQ(At(button, 2, 16), At(button, 3, 16));
    EXPECT_NE(At(button, 3, 16), At(button, 4, 16));
    plat::SetScreenSizePixels(-1, -1);
}

TEST_F(ButtonTest, ResetDefaultColorsOnlyInDesignMode) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    button.SetBackColor(0x00FFFF);
    button.ResetDefaultColors(true);
    EXPECT_EQ(button.BackColor(), 0x00FFFFu);
    plat::SetAmbientUserMode(false);
    button.ResetDefaultColors(true);
    EXPECT_EQ(button.BackColor(), plat::vbButtonFace);
    EXPECT_EQ(At(button, 44, 5), 0xC8D0D4u);
}

TEST_F(ButtonTest, FocusRectOnADefaultButton) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    button.AmbientDisplayAsDefault(true);
    plat::SetAmbientUserMode(false);
    button.SetShowFocusRect(false);
    EXPECT_TRUE(button.StateFlags() & XPButton::kDefault);
    EXPECT_EQ(boxes.size(), 1u);
    plat::SetAmbientUserMode(true);
    button.SetShowFocusRect(false);
    EXPECT_FALSE(button.StateFlags() & XPButton::kDefault);
    button.AmbientDisplayAsDefault(true);  // needs ShowFocusRect
    EXPECT_FALSE(button.StateFlags() & XPButton::kDefault);
}

TEST_F(ButtonTest, MouseIconRefusedKeepsThePointer) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    button.SetMousePointer(2);
    plat::SetAmbientUserMode(false);
    button.SetMouseIcon(QImage(300, 300, QImage::Format_ARGB32));
    EXPECT_EQ(button.MousePointer(), 2);
    EXPECT_EQ(button.cursor().shape(), Qt::CrossCursor);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Select .ico Or .cur Files Only: ", 0), 0u);
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    button.SetMouseIcon(icon);
    EXPECT_EQ(button.MousePointer(), 99);
    EXPECT_EQ(button.cursor().shape(), Qt::BitmapCursor);
}

TEST_F(ButtonTest, FontStyleBits) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    EXPECT_EQ(button.FontStyle(), 2);
    button.SetFontStyle(4 | 8);
    EXPECT_EQ(button.FontStyle(), 12);
    EXPECT_EQ(button.Font().weight, 400);
}

TEST_F(ButtonTest, StoreRoundTrip) {
    XPButton original(&host);
    Load(original, Stored(XPButton::Rounded, 2, "左&对齐"));
    original.SetCaptionAlign(0);
    original.SetCaptionStyle(2);
    original.SetGradientMode(3);
    original.SetGradientColor(0x0000FF);
    original.SetHoverForeColor(0x00FF00);
    original.SetPicture(Square());
    original.SetPictureSize(2);
    original.setEnabled(false);
    original.SetFont({"Tahoma", 0, 700, 15.75, 2});
    PropertyBag bag;
    original.WriteProperties(bag);

    XPButton copy(&host);
    Load(copy, bag);
    EXPECT_EQ(copy.Caption(), "左&对齐");
    EXPECT_EQ(copy.AccessKey(), "对");
    EXPECT_EQ(copy.CaptionAlign(), 0);
    EXPECT_EQ(copy.CaptionStyle(), 2);
    EXPECT_EQ(copy.ButtonStyle(), XPButton::Rounded);
    EXPECT_EQ(copy.ButtonShape(), 2);
    EXPECT_EQ(copy.GradientMode(), 3);
    EXPECT_EQ(copy.GradientColor(), 0x0000FFu);
    EXPECT_EQ(copy.HoverForeColor(), 0x00FF00u);
    EXPECT_EQ(copy.HoverColorLocks(), original.HoverColorLocks());
    EXPECT_EQ(copy.HoverBackColor(), original.HoverBackColor());
    EXPECT_EQ(copy.PictureSize(), 2);
    EXPECT_EQ(copy.Picture().pixel(3, 3), Square().pixel(3, 3));
    EXPECT_FALSE(copy.isEnabled());
    EXPECT_EQ(copy.Font(), original.Font());
    EXPECT_EQ(copy.Canvas(), original.Canvas());
    // Defaults are left out, the mode and value and back colour always written.
    EXPECT_FALSE(bag.Get("Focus"));
    EXPECT_EQ(bag.Get("Mode"), "0");
    EXPECT_EQ(bag.Get("Value"), "False");
    EXPECT_TRUE(bag.Get("cBack"));
}

TEST_F(ButtonTest, MissingKeysTakeTheirDefaults) {
    XPButton button(&host);
    PropertyBag bag;
    bag.Set("caption", "x");  // keys match without regard to case
    bag.Set("BACKSTYLE", "4");
    Load(button, bag);
    EXPECT_EQ(button.Caption(), "x");
    EXPECT_EQ(button.ButtonStyle(), XPButton::Thin);
    EXPECT_EQ(button.CaptionAlign(), 2);
    EXPECT_EQ(button.BackColor(), 0x008000u);  // the container's own colour
    EXPECT_EQ(button.HoverBackColor(), 0x008000u);
    EXPECT_TRUE(button.ShowFocusRect());
    EXPECT_EQ(button.ForeColor(), plat::vbButtonText);

    PropertyBag backOnly;
    backOnly.Set("cBack", "0x00FFFF");
    XPButton other(&host);
    Load(other, backOnly);
    EXPECT_EQ(other.HoverBackColor(), 0x00FFFFu);
}

TEST_F(ButtonTest, MalformedStoredValuesTakeTheirDefaults) {
    XPButton button(&host);
    PropertyBag bag;
    bag.Set("BackStyle", "9");
    bag.Set("Shape", "two");
    bag.Set("CapAlign", "70000");
    bag.Set("cBack", "0xZZ");
    bag.Set("Focus", "maybe");
    bag.Set("Font", "宋体, 134, 700");
    bag.Set("ImgSize", "20");
    bag.Set("Image", "png:not a picture");
    Load(button, bag);
    EXPECT_EQ(button.ButtonStyle(), 0);
    EXPECT_EQ(button.ButtonShape(), 0);
    EXPECT_EQ(button.CaptionAlign(), 2);
    EXPECT_EQ(button.BackColor(), 0x008000u);
    EXPECT_TRUE(button.ShowFocusRect());
    EXPECT_EQ(button.Font(), StoredFont{});
    EXPECT_EQ(button.PictureSize(), 0);
    EXPECT_TRUE(button.Picture().isNull());
}

TEST_F(ButtonTest, NewControlStartsFromItsName) {
    XPButton button(&host);
    button.setGeometry(10, 10, 89, 33);
    std::vector<std::string> keys;
    QObject::connect(&button, &XPButton::PropertyChanged,
                     [&](const std::string& key) { keys.push_back(key); });
    button.InitProperties("XPButton9");
    EXPECT_EQ(button.Caption(), "XPButton9");
    EXPECT_EQ(keys,
              (std::vector<std::string>{"Caption", "CapAlign", "Focus", "cFHover", "cBHover"}));
    EXPECT_EQ(button.BackColor(), plat::vbButtonFace);
}

TEST(TranslateColor, SystemColoursFromTheClassicTable) {
    EXPECT_EQ(plat::TranslateColor(plat::vbButtonFace), plat::RGB(212, 208, 200));
    EXPECT_EQ(plat::TranslateColor(plat::vbButtonText), 0u);
    EXPECT_EQ(plat::TranslateColor(0x80000014), 0xFFFFFFu);
    EXPECT_EQ(plat::TranslateColor(0x800000FF), 0u);
    EXPECT_EQ(plat::TranslateColor(0x123456), 0x123456u);
}

}  // namespace
