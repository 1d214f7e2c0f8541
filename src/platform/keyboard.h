#pragma once
#include <cstdint>
#include <functional>

class QKeyEvent;

namespace plat {

// Virtual-key codes as the game's key handling knows them.
enum VirtualKey : int {
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyEnd = 35,
    vbKeyHome = 36,
    vbKeyLeft = 37,
    vbKeyUp = 38,
    vbKeyRight = 39,
    vbKeyDown = 40,
    vbKey1 = 49,
    vbKey2 = 50,
    vbKeyE = 69,
    vbKeyI = 73,
    vbKeyM = 77,
    vbKeyP = 80,
    vbKeyS = 83,
    vbKeyNumpad1 = 97,
    vbKeyNumpad2 = 98,
    vbKeyF1 = 112,
    vbKeyF11 = 122,
};

// Non-zero when the key is held now or was pressed since the previous query of that key.
std::int16_t GetAsyncKeyState(int vk);

// Whether the key is held now; unlike the query, leaves its latch alone.
bool KeyHeld(int vk);

// Whether a press waits for the next query; and both states set at once, as a recording of a
// game that began with keys down or pressed has them.
bool KeyLatched(int vk);
void SetKeyState(int vk, bool held, bool latched);

// What feeds the query: the window's key events, or a test or script directly.
void KeyPressed(int vk);
void KeyReleased(int vk);
// Called before a press or release changes a key's state (a recording watches the arrows).
void SetKeyObserver(std::function<void(int vk, bool down)> observer);
// Every key counts as released (the window lost the focus); latches are dropped too.
void ReleaseAllKeys();

// The virtual-key code of a Qt key event, 0 for keys the game does not know.
int VirtualKeyOf(const QKeyEvent& event);
// The keys of watching a recording, which the game leaves to the focused control or ignores:
// the arrows, Space, the page keys, Home and End; 0 for any other.
int WatchingKeyOf(const QKeyEvent& event);

// Asks the X server to send a held key's repeats as presses alone, with no release between
// them: a busy program then never takes a repeat for the key coming up. Call once the
// application exists; does nothing off X11.
void UseDetectableAutoRepeat();

}  // namespace plat
