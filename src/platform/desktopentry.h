#pragma once
#include <string>

namespace plat {

// Ties the running program to its desktop entry: the window system's application id is id.
// Before the first window is made.
void UseDesktopEntry(const std::string& id);
// Windows carry the icon drawn in folder's icon-<size>.png files (sizes missing there are
// left out). Shown windows take it too.
void UseProgramIcon(const std::string& folder);

}  // namespace plat
