#pragma once

// Begins play at level 1 for the player on turn. False when a picture could not be read;
// the idle screen is then back.
bool StartGame();
void GobDied();
void PlayIntro();
void PlayStartMusic();
// Ends the game and returns to the idle screen with its flashing instructions.
void ShowIdle();

void tmrReady_Timer();
void tmrFlash_Timer();
