#pragma once
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

}  // namespace plat
