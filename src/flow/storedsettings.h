#pragma once

// Reads the stored coins and high score into the game.
void ReadStoredSettings();

// Writes the four stored settings: the window's place, the coins and the high score.
void StoreSettings();
