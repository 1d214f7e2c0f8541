#pragma once

class FrmMain;

// Connects the main window's events, buttons and timers to the game's handlers.
void ConnectMainWindow(FrmMain& form);

// Connects and loads the main window: the stored coins and high score, the window's own
// start-up, the game's start values and the idle screen.
void LoadMainWindow(FrmMain& form);

// Fills the tables and start values once the main window is shown.
void InitGameState();
