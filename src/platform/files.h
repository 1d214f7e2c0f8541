#pragma once
#include <string>

namespace plat {

// The program's folder, without a trailing separator; tests may point it elsewhere (an
// empty path points it back).
std::string AppPath();
void SetAppPath(const std::string& path);

// The existing file whose name matches path's last component case-insensitively, or
// path itself when none does.
std::string ResolveFile(const std::string& path);

}  // namespace plat
