#pragma once
#include <string>

namespace plat {

// Ties the running program to its desktop entry: the window system's application id is
// id, and windows carry the icon drawn in folder's icon-<size>.png files (sizes missing
// there are left out).
void UseDesktopEntry(const std::string& id, const std::string& folder);

// Qt's own texts (message box buttons and the like) in the language of the game's texts,
// when Qt's translations are installed; English otherwise.
void UseQtTexts(const std::string& locale);

}  // namespace plat
