#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include "platform/bitmap.h"
#include "platform/picturebox.h"

namespace {

using plat::RasterOp;

// Every pixel differs from every other, so a pixel taken from the wrong place shows.
QImage Pattern(int width, int height, QRgb seed) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xFF000000 | ((seed + y * 4096 + x) & 0xFFFFFF));
    return image;
}

// The brush of the operations that use one, as a colour value and as the pixel it gives.
constexpr plat::Colour kBrushColour = 0xCC6633;
constexpr QRgb kBrush = 0xFF3366CC;

QRgb Apply(QRgb dst, QRgb src, RasterOp op) {
    switch (op) {
        case RasterOp::SrcCopy:
            return src;
        case RasterOp::SrcAnd:
            return dst & src;
        case RasterOp::SrcPaint:
            return dst | src;
        case RasterOp::DSna:
            return dst & ~src;
        case RasterOp::PSDPxax:
            return (kBrush ^ (src & (dst ^ kBrush))) | 0xFF000000;
    }
    return dst;
}

// The blit by its definition, one destination pixel at a time.
QImage Expected(const QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy,
                RasterOp op) {
    QImage result = dst.copy();
    for (int py = 0; py < dst.height(); ++py) {
        for (int px = 0; px < dst.width(); ++px) {
            const int qx = px - x + sx;
            const int qy = py - y + sy;
            const bool inRect = px >= x && px < x + w && py >= y && py < y + h;
            if (!inRect || !src.rect().contains(qx, qy)) continue;
            result.setPixel(px, py, Apply(dst.pixel(px, py), src.pixel(qx, qy), op));
        }
    }
    return result;
}

struct BlitRow {
    const char* name;
    int dstWidth, dstHeight, srcWidth, srcHeight;
    int x, y, w, h, sx, sy;
    RasterOp op;
};

void PrintTo(const BlitRow& row, std::ostream* os) {
    *os << row.name;
}

class BitBltTest : public testing::TestWithParam<BlitRow> {};

TEST_P(BitBltTest, MatchesPixelByPixelDefinition) {
    const BlitRow& row = GetParam();
    QImage dst = Pattern(row.dstWidth, row.dstHeight, 0xA05000);
    const QImage src = Pattern(row.srcWidth, row.srcHeight, 0x0F3000);
    const QImage expected = Expected(dst, row.x, row.y, row.w, row.h, src, row.sx, row.sy, row.op);

    plat::BitBlt(dst, row.x, row.y, row.w, row.h, src, row.sx, row.sy, row.op, kBrushColour);

    for (int y = 0; y < dst.height(); ++y)
        for (int x = 0; x < dst.width(); ++x)
            ASSERT_EQ(dst.pixel(x, y), expected.pixel(x, y)) << "at " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Clipping, BitBltTest,
    testing::Values(
        BlitRow{"inside", 8, 6, 4, 4, 2, 1, 4, 4, 0, 0, RasterOp::SrcCopy},
        BlitRow{"part-of-source", 8, 6, 4, 4, 1, 1, 2, 3, 1, 1, RasterOp::SrcCopy},
        BlitRow{"off-left", 8, 6, 4, 4, -2, 1, 4, 4, 0, 0, RasterOp::SrcCopy},
        BlitRow{"off-top", 8, 6, 4, 4, 1, -3, 4, 4, 0, 0, RasterOp::SrcCopy},
        BlitRow{"off-right", 8, 6, 4, 4, 6, 1, 4, 4, 0, 0, RasterOp::SrcCopy},
        BlitRow{"off-bottom", 8, 6, 4, 4, 1, 4, 4, 4, 0, 0, RasterOp::SrcCopy},
        BlitRow{"over-every-edge", 3, 2, 6, 6, -1, -2, 6, 6, 0, 0, RasterOp::SrcCopy},
        BlitRow{"source-negative", 8, 6, 4, 4, 2, 2, 4, 4, -1, -2, RasterOp::SrcCopy},
        BlitRow{"source-past-end", 8, 6, 4, 4, 0, 0, 4, 4, 2, 3, RasterOp::SrcCopy},
        BlitRow{"outside-both", 8, 6, 4, 4, -1, 5, 4, 4, 2, -1, RasterOp::SrcCopy},
        BlitRow{"wholly-off-right", 8, 6, 4, 4, 8, 0, 4, 4, 0, 0, RasterOp::SrcCopy},
        BlitRow{"wholly-off-source", 8, 6, 4, 4, 0, 0, 4, 4, -4, 0, RasterOp::SrcCopy},
        BlitRow{"empty-width", 8, 6, 4, 4, 1, 1, 0, 4, 0, 0, RasterOp::SrcCopy},
        BlitRow{"negative-height", 8, 6, 4, 4, 1, 1, 4, -2, 0, 0, RasterOp::SrcCopy},
        BlitRow{"sprite-left-of-maze", 448, 40, 32, 32, -8, 4, 32, 32, 0, 0, RasterOp::SrcCopy},
        BlitRow{"sprite-right-of-maze", 448, 40, 32, 32, 430, 4, 32, 32, 0, 0, RasterOp::SrcPaint},
        BlitRow{"and-off-left", 8, 6, 4, 4, -1, 0, 4, 4, 0, 0, RasterOp::SrcAnd},
        BlitRow{"paint-off-bottom", 8, 6, 4, 4, 3, 3, 4, 4, 0, 0, RasterOp::SrcPaint},
        BlitRow{"erase-off-right", 8, 6, 4, 4, 6, 1, 4, 4, 0, 0, RasterOp::DSna},
        BlitRow{"brush-off-top", 8, 6, 4, 4, 2, -1, 4, 4, 0, 0, RasterOp::PSDPxax}),
    [](const testing::TestParamInfo<BlitRow>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST(BitBlt, WithinOneImage) {
    QImage image = Pattern(8, 2, 0xFF000000);
    const QImage before = image.copy();

    plat::BitBlt(image, 4, 0, 4, 2, image, 0, 0, plat::SRCCOPY);

    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(image.pixel(x + 4, y), before.pixel(x, y));
}

TEST(PictureBox, BlitLeavesABoxSharingThePictureAlone) {
    plat::PictureBox original(nullptr, 0, 0, 4, 4, plat::RGB(0, 0, 0));
    plat::PictureBox copy(nullptr, 0, 0, 4, 4, plat::RGB(0, 0, 0));
    copy.SetPicture(original);
    plat::PictureBox white(nullptr, 0, 0, 4, 4, plat::RGB(255, 255, 255));

    plat::BitBlt(copy, 0, 0, 4, 4, white, 0, 0, plat::SRCCOPY);

    EXPECT_EQ(copy.Image().pixel(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(original.Image().pixel(1, 1), 0xFF000000u);
}

TEST(PictureBox, LoadPictureMatchesNameCaseInsensitivelyAndFollowsLinks) {
    QTemporaryDir dir;
    QImage file(5, 3, QImage::Format_RGB32);
    file.fill(QColor(10, 20, 30));
    ASSERT_TRUE(file.save(dir.filePath("Level1.BMP"), "BMP"));
    ASSERT_TRUE(QFile::link(dir.filePath("Level1.BMP"), dir.filePath("link.bmp")));

    for (const char* name : {"level1.bmp", "link.bmp"}) {
        plat::PictureBox box(nullptr, 0, 0, 8, 8, plat::RGB(0, 0, 0));
        ASSERT_TRUE(box.LoadPicture(dir.filePath(name).toStdString(), 5, 3)) << name;
        EXPECT_EQ(box.Image().size(), QSize(5, 3));
        EXPECT_EQ(box.Image().format(), QImage::Format_RGB32);
        EXPECT_EQ(box.Image().pixel(4, 2), QColor(10, 20, 30).rgb());
    }
}

QByteArray Bitmap(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(200, 100, 50));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// A 4 x 2 run-length coded 8-bit bitmap: two rows of one run each, then the end mark.
QByteArray Rle8Bitmap(bool withEndMark) {
    QByteArray pixels("\x04\x01\x00\x00\x04\x02\x00\x00", 8);
    if (withEndMark) pixels.append("\x00\x01", 2);
    const int palette = 256 * 4;
    const int offset = 14 + 40 + palette;
    QByteArray bytes(offset, '\0');
    auto put = [&](int at, quint32 value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, offset + pixels.size(), 4);
    put(10, offset, 4);
    put(14, 40, 4);
    put(18, 4, 4);  // width
    put(22, 2, 4);  // height
    put(26, 1, 2);
    put(28, 8, 2);
    put(30, 1, 4);  // RLE8
    put(34, pixels.size(), 4);
    put(46, 256, 4);
    for (int i = 0; i < 256; ++i) put(54 + 4 * i, qRgb(i, i, i), 4);
    return bytes + pixels;
}

TEST(PictureBox, LoadPictureReadsRunLengthCodedBitmaps) {
    QTemporaryDir dir;
    QFile file(dir.filePath("rle.bmp"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Rle8Bitmap(true));
    file.close();
    plat::PictureBox box(nullptr, 0, 0, 8, 8, plat::RGB(0, 0, 0));

    ASSERT_TRUE(box.LoadPicture(file.fileName().toStdString(), 4, 2));

    EXPECT_EQ(box.Image().pixel(3, 0), qRgb(2, 2, 2));  // bottom-up: the first run is the last row
    EXPECT_EQ(box.Image().pixel(3, 1), qRgb(1, 1, 1));
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every other picture: what is not a regular file is never opened for reading (a pipe would
// block for good), and a header promising more pixels than any picture of ours is refused.
TEST(ReadPicture, RefusesWithAReason) {
    QTemporaryDir dir;
    const std::string pipe = dir.filePath("pipe.png").toStdString();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string hugePath = dir.filePath("huge.ppm").toStdString();
    WriteBytes(QString::fromStdString(hugePath), "P6\n30000 30000\n255\n");
    const struct {
        std::string path;
        const char* reason;
    } rows[] = {{pipe, "not a regular file"}, {hugePath, "larger than"}};
    for (const auto& row : rows) {
        std::string error;
        EXPECT_TRUE(plat::ReadPicture(row.path, error).isNull()) << row.path;
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    }
    std::string error;
    WriteBytes(dir.filePath("ok.bmp"), Bitmap(3, 2));
    EXPECT_EQ(plat::ReadPicture(dir.filePath("ok.bmp").toStdString(), error).size(), QSize(3, 2));
}

// Anything but a whole bitmap of the size asked for leaves the picture as it was.
struct RefusedRow {
    const char* name;
    std::function<void(const QString& path)> make;
};

void PrintTo(const RefusedRow& row, std::ostream* os) {
    *os << row.name;
}

class RefusedPictureTest : public testing::TestWithParam<RefusedRow> {};

TEST_P(RefusedPictureTest, KeepsThePicture) {
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.bmp");
    GetParam().make(path);
    plat::PictureBox box(nullptr, 0, 0, 8, 8, plat::RGB(1, 2, 3));

    EXPECT_FALSE(box.LoadPicture(path.toStdString(), 16, 12));

    EXPECT_EQ(box.Image().size(), QSize(8, 8));
    EXPECT_EQ(box.Image().pixel(0, 0), QColor(1, 2, 3).rgb());
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedPictureTest,
    testing::Values(
        RefusedRow{"missing", [](const QString&) {}},
        RefusedRow{"not_a_picture", [](const QString& p) { WriteBytes(p, "not a bitmap"); }},
        RefusedRow{"png_named_bmp",
                   [](const QString& p) {
                       QImage image(16, 12, QImage::Format_RGB32);
                       image.fill(Qt::red);
                       ASSERT_TRUE(image.save(p, "PNG"));
                   }},
        RefusedRow{"too_small", [](const QString& p) { WriteBytes(p, Bitmap(16, 11)); }},
        RefusedRow{"too_large", [](const QString& p) { WriteBytes(p, Bitmap(4000, 3000)); }},
        RefusedRow{"cut_short_by_one_byte",
                   [](const QString& p) { WriteBytes(p, Bitmap(16, 12).chopped(1)); }},
        RefusedRow{"header_only", [](const QString& p) { WriteBytes(p, Bitmap(16, 12).left(54)); }},
        RefusedRow{"header_cut", [](const QString& p) { WriteBytes(p, Bitmap(16, 12).left(20)); }},
        RefusedRow{"run_length_without_end",
                   [](const QString& p) {
                       QByteArray bytes = Rle8Bitmap(false);
                       bytes[18] = 16;  // the size asked for, so only the missing end refuses it
                       bytes[22] = 12;
                       WriteBytes(p, bytes);
                   }},
        RefusedRow{"folder", [](const QString& p) { ASSERT_TRUE(QDir().mkdir(p)); }},
        RefusedRow{"named_pipe",
                   [](const QString& p) { ASSERT_EQ(mkfifo(p.toLocal8Bit(), 0600), 0); }},
        RefusedRow{"link_to_a_pipe",
                   [](const QString& p) {
                       ASSERT_EQ(mkfifo((p + ".pipe").toLocal8Bit(), 0600), 0);
                       ASSERT_TRUE(QFile::link(p + ".pipe", p));
                   }},
        RefusedRow{"link_to_a_device",
                   [](const QString& p) { ASSERT_TRUE(QFile::link("/dev/zero", p)); }}),
    [](const testing::TestParamInfo<RefusedRow>& info) { return std::string(info.param.name); });

TEST(PictureBox, PrintPlacesTopOfTextAtY) {
    plat::PictureBox box(nullptr, 0, 0, 80, 60, plat::RGB(0, 0, 0));
    const int top = 20;

    box.Print("H", 10, top, plat::RGB(255, 255, 255), {"Arial Black", 16});

    int firstInkRow = -1;
    for (int y = 0; y < 60 && firstInkRow < 0; ++y)
        for (int x = 0; x < 80; ++x)
            if (box.Image().pixel(x, y) != 0xFF000000u) {
                firstInkRow = y;
                break;
            }
    // A capital starts a little below the top of the line, never above it.
    EXPECT_GE(firstInkRow, top);
    EXPECT_LE(firstInkRow, top + 8);
}

}  // namespace

namespace {

// Counts the paints a widget gets.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST(PictureBox, OwnDrawingShowsAtOnceAndBlitsWaitForRefresh) {
    QWidget window;
    plat::PictureBox box(&window, 0, 0, 64, 32, plat::RGB(0, 0, 0));
    plat::PictureBox source(&window, 0, 0, 64, 32, plat::RGB(255, 0, 0));
    source.hide();
    window.show();
    QApplication::processEvents();
    PaintCounter counter;
    box.installEventFilter(&counter);

    struct Step {
        const char* name;
        std::function<void()> draw;
        bool shown;
    };
    const Step steps[] = {
        {"cls", [&] { box.Cls(); }, true},
        {"print",
         [&] {
             box.Print("GAME OVER", 0, 0, plat::RGB(255, 255, 255), {"Arial Black", 9});
         },
         true},
        {"blit", [&] { plat::BitBlt(box, 0, 0, 8, 8, source, 0, 0, plat::SRCCOPY); }, false},
        {"refresh", [&] { box.Refresh(); }, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        counter.paints = 0;
        step.draw();
        QApplication::processEvents();
        EXPECT_EQ(counter.paints > 0, step.shown);
    }
}

}  // namespace
