#include "platform/bitmap.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdint>
#include <cstdlib>

#include "platform/files.h"

namespace plat {

namespace {

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlpha = 6 };

// A run-length coded picture must reach its end-of-picture mark inside the file; a file cut
// short would otherwise decode with its last rows missing.
bool RleComplete(const std::string& bytes, std::size_t at, bool fourBit) {
    while (at + 2 <= bytes.size()) {
        const unsigned count = static_cast<unsigned char>(bytes[at]);
        const unsigned code = static_cast<unsigned char>(bytes[at + 1]);
        at += 2;
        if (count > 0 || code == 0) continue;  // a run, or the end of a line
        if (code == 1) return true;
        if (code == 2) {
            at += 2;  // a jump
            continue;
        }
        const std::size_t literal = fourBit ? (code + 1) / 2 : code;
        at += literal + literal % 2;
    }
    return false;
}

// What the header promises, checked against the file's length before anything is decoded.
std::string CheckHeader(const std::string& bytes, int width, int height) {
    if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') return "not a bitmap";
    const std::uint32_t offset = Little(bytes, 10, 4);
    const std::uint32_t infoSize = Little(bytes, 14, 4);
    std::int64_t fileWidth = 0;
    std::int64_t fileHeight = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = kRgb;
    if (infoSize == 12) {
        fileWidth = static_cast<std::int16_t>(Little(bytes, 18, 2));
        fileHeight = static_cast<std::int16_t>(Little(bytes, 20, 2));
        bits = Little(bytes, 24, 2);
    } else if (infoSize >= 40 && bytes.size() >= 34) {
        fileWidth = static_cast<std::int32_t>(Little(bytes, 18, 4));
        fileHeight = static_cast<std::int32_t>(Little(bytes, 22, 4));
        bits = Little(bytes, 28, 2);
        compression = Little(bytes, 30, 4);
    } else {
        return "not a bitmap";
    }
    if (fileWidth != width || std::llabs(fileHeight) != height) {
        return std::to_string(fileWidth) + " x " + std::to_string(std::llabs(fileHeight)) +
               " pixels, not " + std::to_string(width) + " x " + std::to_string(height);
    }
    if (offset >= bytes.size()) return "cut short";
    switch (compression) {
        case kRgb:
        case kBitFields:
        case kAlpha: {
            const std::uint64_t row = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
            if (offset + row * static_cast<std::uint64_t>(height) > bytes.size()) {
                return "cut short";
            }
            return {};
        }
        case kRle8:
        case kRle4:
            return RleComplete(bytes, offset, compression == kRle4) ? "" : "cut short";
        default:
            return "an unsupported kind of bitmap";
    }
}

}  // namespace

QImage DecodeBitmap(const std::string& bytes, int width, int height, std::string& error) {
    error = CheckHeader(bytes, width, height);
    if (!error.empty()) return {};
    QImage image = DecodePicture(
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())), error, "BMP");
    if (image.isNull() || image.size() != QSize(width, height)) {
        error = "not a readable bitmap";
        return {};
    }
    image.convertTo(QImage::Format_RGB32);
    return image;
}

QImage DecodePicture(const QByteArray& bytes, std::string& error, const char* format) {
    constexpr int kLargestSide = 4096;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    // Asking the plugins whether they read a named format loads every one of them.
    reader.setAutoDetectImageFormat(format == nullptr);
    // A header may promise far more than the file holds; what it promises is checked first
    // and the decoder's own allocation capped as well.
    reader.setAllocationLimit(kLargestSide * kLargestSide * 4 >> 20);
    const QSize size = reader.size();
    if (size.width() > kLargestSide || size.height() > kLargestSide) {
        error = "larger than " + std::to_string(kLargestSide) + " pixels a side";
        return {};
    }
    QImage image = reader.read();
    if (image.isNull())
        error = "not a readable picture (" + reader.errorString().toStdString() + ")";
    return image;
}

QImage ReadPicture(const std::string& path, std::string& error) {
    // Far above any picture of the game's.
    constexpr std::size_t kLimit = 16 << 20;
    std::string bytes;
    if (!ReadRegularFile(path, kLimit, bytes, error)) return {};
    // The name says the format (Qt takes it in either case).
    const std::size_t dot = path.find_last_of("./");
    const std::string suffix =
        dot != std::string::npos && path[dot] == '.' ? path.substr(dot + 1) : "";
    return DecodePicture(QByteArray::fromStdString(bytes), error,
                         suffix.empty() ? nullptr : suffix.c_str());
}

}  // namespace plat
