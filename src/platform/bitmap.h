#pragma once
#include <QImage>
#include <string>

namespace plat {

// The picture held in the bytes of a bitmap file, in Format_RGB32, when they are a complete
// bitmap of exactly width x height pixels; else a null image, with the reason in error.
QImage DecodeBitmap(const std::string& bytes, int width, int height, std::string& error);

}  // namespace plat
