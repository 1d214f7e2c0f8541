#include <gtest/gtest.h>

#include "shell/layoutdata.h"
#include "widgets/propertybag.h"
#include "widgets_button.h"

namespace {

TEST(LayoutData, BlocksKeysAndQuotes) {
    const Layout layout = ParseLayout(
        "# comment\r\n"
        "stray = before any block\n"
        "[One]\n"
        "  Caption =  \"  padded  \"  \r\n"
        "Shape=3\n"
        "no equals sign here\n"
        "= value without key\n"
        "[ Two ]\n"
        "caption = a = b\n"
        "[broken\n"
        "Shape = 4\n");
    ASSERT_EQ(layout.size(), 2u);
    const PropertyBag one = LayoutBlock(layout, "ONE");
    EXPECT_EQ(one.Get("caption"), "  padded  ");
    EXPECT_EQ(one.ReadInt16("SHAPE", 0), 3);
    EXPECT_EQ(one.Entries().size(), 2u);
    const PropertyBag two = LayoutBlock(layout, "two");
    EXPECT_EQ(two.Get("Caption"), "a = b");
    // A broken block header is skipped: its lines belong to the block before.
    EXPECT_EQ(two.ReadInt16("Shape", 0), 4);
    EXPECT_TRUE(LayoutBlock(layout, "Three").Entries().empty());
}

TEST(LayoutData, ValuesByType) {
    PropertyBag bag;
    bag.Set("hex", "0x8000000F");
    bag.Set("basic", "&H80000012&");
    bag.Set("negative", "-2147483633");
    bag.Set("big", "40000");
    bag.Set("bool", "TRUE");
    bag.Set("numbool", "-1");
    bag.Set("font", " Tahoma ,0, 700 ,15.75, 1");
    bag.Set("badfont", "Tahoma, 0, 700, inf, 0");
    bag.Set("twosigns", "--5");
    bag.Set("signedhex", "-0x-8000000000000000");
    EXPECT_EQ(bag.ReadColour("hex", 0), 0x8000000Fu);
    EXPECT_EQ(bag.ReadColour("basic", 0), 0x80000012u);
    EXPECT_EQ(bag.ReadColour("negative", 0), 0x8000000Fu);
    EXPECT_EQ(bag.ReadInt16("big", 7), 7);
    EXPECT_EQ(bag.ReadInt16("hex", 7), 7);
    EXPECT_TRUE(bag.ReadBool("bool", false));
    EXPECT_TRUE(bag.ReadBool("numbool", false));
    EXPECT_EQ(bag.ReadFont("font", {}), (StoredFont{"Tahoma", 0, 700, 15.75, 1}));
    EXPECT_EQ(bag.ReadFont("badfont", {}), StoredFont{});
    EXPECT_EQ(bag.ReadInt16("twosigns", 7), 7);
    EXPECT_EQ(bag.ReadColour("signedhex", 7), 7u);
    EXPECT_EQ(bag.ReadString("missing", "x"), "x");
}

TEST(LayoutData, WrittenTextReadsBack) {
    PropertyBag bag;
    bag.WriteString("Caption", "关于…", "");
    bag.WriteInt("CapAlign", 2, 2);
    bag.WriteColour("cFore", 0xC00000, 0x80000012);
    bag.WriteFont("Font", {"宋体", 134, 400, 10.5, 0});
    EXPECT_FALSE(bag.Get("CapAlign"));
    const PropertyBag back = LayoutBlock(ParseLayout("[B]\n" + bag.Text()), "B");
    EXPECT_EQ(back.Entries(), bag.Entries());
}

TEST_F(ButtonTest, WindowButtonsFromTheLayoutData) {
    struct Expected {
        const char* name;
        QRect geometry;
        const char* caption;
        double points;
        int weight;
        plat::Colour fore;
    };
    const Expected buttons[] = {
        {"XPButton1", {600, 184, 89, 33}, "投币(I)", 10.5, 700, plat::vbButtonText},
        {"XPButton2", {600, 232, 89, 33}, "游戏模式(E)", 9, 400, plat::vbButtonText},
        {"XPButton3", {600, 280, 89, 33}, "游戏速度(S)", 9, 400, plat::vbButtonText},
        {"XPButton4", {464, 368, 225, 41}, "开始游戏(1或2）", 12, 700, 0x008000},
        {"XPButton5", {464, 488, 89, 33}, "关于…", 9, 400, plat::vbButtonText},
        {"XPButton6", {576, 488, 113, 33}, "游戏官方网站", 9, 400, 0xC00000},
        {"XPButton7", {608, 432, 81, 33}, "退出程序", 9, 400, 0x0000FF},
        {"XPButton8", {464, 432, 121, 33}, "重新游戏(Esc)", 9, 400, 0x0000FF},
    };
    for (const Expected& expected : buttons) {
        SCOPED_TRACE(expected.name);
        XPButton button(&host);
        LoadButton(button, expected.name);
        EXPECT_EQ(button.geometry(), expected.geometry);
        EXPECT_EQ(button.Caption(), expected.caption);
        EXPECT_EQ(button.Font(), (StoredFont{"宋体", 134, expected.weight, expected.points, 0}));
        EXPECT_EQ(button.ForeColor(), expected.fore);
        EXPECT_EQ(button.HoverForeColor(), expected.fore);
        EXPECT_EQ(button.ButtonStyle(), XPButton::Themed);
        EXPECT_EQ(button.BackColor(), plat::vbButtonFace);
        EXPECT_EQ(button.GradientColor(), 0u);
        EXPECT_EQ(button.MousePointer(), 99);
        EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(button.AccessKey().isEmpty());
    }
}

}  // namespace
