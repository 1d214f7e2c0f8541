#pragma once
#include <cstddef>
#include <string>

namespace plat {

// The program's folder, where its data files are, without a trailing separator: beside
// the executable, else ../share/nibbly relative to it. Tests may point it elsewhere (an
// empty path points it back).
std::string AppPath();
void SetAppPath(const std::string& path);
// The data folder of an executable in executableFolder.
std::string DataFolderFor(const std::string& executableFolder);

// The existing file whose name matches path's last component case-insensitively, or
// path itself when none does.
std::string ResolveFile(const std::string& path);

// Reads the whole of a regular file (symbolic links followed) of at most limit bytes into
// bytes. Anything else (a pipe, a device, a folder) is refused without blocking. On failure
// bytes is empty and error holds the reason.
bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes,
                     std::string& error);

// Replaces the content of a file atomically: written beside it, then renamed over it. A
// symbolic link is followed to its target, which is created when missing (with its folder);
// anything but a regular file there is left alone and the result is false, as on any failure,
// with the reason in error.
bool WriteRegularFile(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace plat
