#pragma once
#include <string>

namespace plat {

// Ties the running program to its desktop entry: the window system's application id is
// id, and windows carry the icon drawn in folder's icon-<size>.png files (sizes missing
// there are left out).
void UseDesktopEntry(const std::string& id, const std::string& folder);

}  // namespace plat
