#pragma once

// The player's own choices (the sound muted, the window full screen), in a section apart from
// the four values.
inline constexpr const char* kChoicesSection = "Choices";

// Reads the stored coins and high score into the game, and the player's choices.
void ReadStoredSettings();

// Writes the four stored settings: the window's place, the coins and the high score; and the
// player's choices in their own section.
void StoreSettings();
