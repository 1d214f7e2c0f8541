// Bitmap files: the header check and the decoder behind it, at the game's sizes and at the
// size the file itself claims.
#include "platform/bitmap.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    plat::DecodeBitmap(bytes, 448, 496, error);
    plat::DecodeBitmap(bytes, 256, 352, error);
    if (size < 26) return 0;
    // The size the header claims (either header kind), kept small enough to decode quickly.
    const int width = data[18] | data[19] << 8;
    const int height = data[14] == 12 ? data[20] | data[21] << 8 : data[22] | data[23] << 8;
    if (static_cast<std::int64_t>(width) * height > 1 << 20) return 0;
    const QImage image = plat::DecodeBitmap(bytes, width, height, error);
    if (!image.isNull() && (image.width() != width || image.height() != height ||
                            image.format() != QImage::Format_RGB32))
        __builtin_trap();
    return 0;
}
