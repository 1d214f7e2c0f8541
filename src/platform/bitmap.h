#pragma once
#include <QByteArray>
#include <QImage>
#include <string>

namespace plat {

// The picture held in the bytes of a bitmap file, in Format_RGB32, when they are a complete
// bitmap of exactly width x height pixels; else a null image, with the reason in error.
QImage DecodeBitmap(const std::string& bytes, int width, int height, std::string& error);

// The picture held in bytes, in any format Qt reads (or only the one named), when it is at most
// 4096 x 4096 pixels as its header says; else a null image, with the reason in error.
QImage DecodePicture(const QByteArray& bytes, std::string& error, const char* format = nullptr);
// The picture in a data file, read as every data file is: a regular file of limited size, then
// decoded from its bytes, in the format its name's suffix says. Nothing else (a pipe, a
// device) is opened for reading.
QImage ReadPicture(const std::string& path, std::string& error);

}  // namespace plat
