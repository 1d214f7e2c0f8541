#pragma once
#include <string>

// Handlers of the window's buttons and keys.
void XPButton1_Click();  // insert a coin
void XPButton2_Click();  // graphics mode
void XPButton3_Click();  // speed mode
void XPButton4_Click();  // start a game
void XPButton5_Click();  // about
void XPButton6_Click();  // product web page
void XPButton7_Click();  // exit
void XPButton8_Click();  // abandon the game
// The window's key map; it sees every key press first, whatever control has the focus.
void Form_KeyDown(int keyCode);

// P and a controller's Start: a running game stands still until pressed again. Not an input of
// a recording, since no game time passes while paused.
void TogglePause();
// The window lost the focus: a running game pauses.
void PauseGame();
// A game that ends is no longer paused.
void EndPause();
// M: all sound off or on again, kept between runs. Presentation only: the game plays, and a
// recording holds, exactly what it would with sound.
void ToggleMute();
void SetMute(bool muted);
bool Muted();

void ShowCoins();
// The names of the look and the speed, as they stand.
void ShowModes();
// The text of the instructions panel.
std::string InstructionsText();
