#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRawFont>
#include <set>

#include "platform/controls.h"

namespace {

struct FontRow {
    const char* name;
    plat::Font font;
    const char* family;
    int pixels;
    bool bold;
};

void PrintTo(const FontRow& row, std::ostream* os) {
    *os << row.name;
}

class FontTest : public testing::TestWithParam<FontRow> {};

TEST_P(FontTest, MapsFaceAndPointsToInstalledFontPixels) {
    const QFont font = plat::ToQFont(GetParam().font);

    EXPECT_EQ(font.families().value(0).toStdString(), GetParam().family);
    EXPECT_EQ(font.pixelSize(), GetParam().pixels);
    EXPECT_EQ(font.bold(), GetParam().bold);
}

INSTANTIATE_TEST_SUITE_P(
    Faces, FontTest,
    testing::Values(FontRow{"song_9pt", {"宋体", 9}, "Noto Serif CJK SC", 12, false},
                    FontRow{
                        "song_10_5pt_bold", {"宋体", 10.5, true}, "Noto Serif CJK SC", 14, true},
                    FontRow{"song_14_25pt", {"宋体", 14.25, true}, "Noto Serif CJK SC", 19, true},
                    FontRow{"song_11pt_rounds_up", {"宋体", 11}, "Noto Serif CJK SC", 15, false},
                    FontRow{"tahoma_15_75pt", {"Tahoma", 15.75, true}, "DejaVu Sans", 21, true},
                    FontRow{"arial_black_is_bold", {"Arial Black", 9}, "DejaVu Sans", 12, true}),
    [](const testing::TestParamInfo<FontRow>& info) { return std::string(info.param.name); });

// A character the faces lack would be drawn from whatever font the desktop has, or as a box.
TEST(OwnFonts, HoldEveryCharacterTheSourcesCanShow) {
    std::set<char32_t> shown;
    for (char32_t c = 0x20; c < 0x7F; ++c) shown.insert(c);
    for (const char* folder : {"/src", "/assets/help"}) {
        QDirIterator files(QStringLiteral(NIBBLY_SOURCE_DIR) + folder, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            for (const char32_t c : QString::fromUtf8(file.readAll()).toUcs4()) {
                if (c > 0x7F) shown.insert(c);
            }
        }
    }
    for (const char* name : {"noto-serif-sc.otf", "noto-serif-sc-bold.otf"}) {
        const QRawFont font(QStringLiteral(NIBBLY_BIN_DIR "/help/") + name, 12);
        ASSERT_TRUE(font.isValid()) << name;
        QString missing;
        for (const char32_t c : shown) {
            if (!font.supportsCharacter(c)) missing += QString::fromUcs4(&c, 1);
        }
        EXPECT_TRUE(missing.isEmpty()) << name << " lacks " << missing.toStdString();
    }
}

TEST(Colour, ByteOrderIsBlueGreenRed) {
    EXPECT_EQ(plat::ToQColor(plat::RGB(192, 0, 0)), QColor(192, 0, 0));
    EXPECT_EQ(plat::ToQColor(0x00C08040), QColor(0x40, 0x80, 0xC0));
}

TEST(Label, CaptionRoundTripsUtf8) {
    plat::Label label(nullptr, 0, 0, 80, 20, {"宋体", 12, true}, plat::RGB(255, 255, 255),
                      plat::Align::Right, "得分数：");

    EXPECT_EQ(label.Caption(), "得分数：");
    label.SetCaption("<b>2445</b>");
    EXPECT_EQ(label.text(), QStringLiteral("<b>2445</b>"));
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
}

}  // namespace
