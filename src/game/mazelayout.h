#pragma once
#include <array>
#include <string_view>

// The one maze of every level, row 0 at the top: W wall, . dot, o power pill, blank empty.
// The level pictures are drawn from it too, so walls and grid can never disagree.
inline constexpr int kMazeCols = 28;
inline constexpr int kMazeRows = 31;
inline constexpr int kCell = 16;

inline constexpr std::array<std::string_view, kMazeRows> kMazeLayout = {
    "WWWWWWWWWWWWWWWWWWWWWWWWWWWW", "W............WW............W", "W.WWWW.WWWWW.WW.WWWWW.WWWW.W",
    "WoWWWW.WWWWW.WW.WWWWW.WWWWoW", "W.WWWW.WWWWW.WW.WWWWW.WWWW.W", "W..........................W",
    "W.WWWW.WW.WWWWWWWW.WW.WWWW.W", "W.WWWW.WW.WWWWWWWW.WW.WWWW.W", "W......WW....WW....WW......W",
    "WWWWWW.WWWWW WW WWWWW.WWWWWW", "     W.WWWWW WW WWWWW.W     ", "     W.WW          WW.W     ",
    "     W.WW WWWWWWWW WW.W     ", "WWWWWW.WW W      W WW.WWWWWW", "      .   W      W   .      ",
    "WWWWWW.WW W      W WW.WWWWWW", "     W.WW WWWWWWWW WW.W     ", "     W.WW          WW.W     ",
    "     W.WW WWWWWWWW WW.W     ", "WWWWWW.WW WWWWWWWW WW.WWWWWW", "W............WW............W",
    "W.WWWW.WWWWW.WW.WWWWW.WWWW.W", "W.WWWW.WWWWW.WW.WWWWW.WWWW.W", "Wo..WW.......  .......WW..oW",
    "WWW.WW.WW.WWWWWWWW.WW.WW.WWW", "WWW.WW.WW.WWWWWWWW.WW.WW.WWW", "W......WW....WW....WW......W",
    "W.WWWWWWWWWW.WW.WWWWWWWWWW.W", "W.WWWWWWWWWW.WW.WWWWWWWWWW.W", "W..........................W",
    "WWWWWWWWWWWWWWWWWWWWWWWWWWWW",
};
