#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace plat {

// What the game needs of the controllers at one moment, merged over all of them.
struct PadState {
    bool up = false;
    bool down = false;
    bool left = false;
    bool right = false;
    std::int16_t stickX = 0;  // left stick, SDL's range; y grows downwards
    std::int16_t stickY = 0;
    bool south = false;  // the bottom face button (A)
    bool back = false;   // Back / Select
    bool start = false;  // Start
};

// A key the controller holds, lets go of or strikes, as a keyboard would.
struct PadKey {
    int vk;
    bool down;
    bool operator==(const PadKey&) const = default;
};

// Turns successive controller states into key changes: the D-pad and the stick hold arrows,
// the south button strikes 1 (one player), Back strikes I (a coin) and Start P (pause).
class PadKeys {
  public:
    // The stick must pass kEngage to hold an arrow and fall below kRelease to let it go, so a
    // thumb resting near the edge does not chatter.
    static constexpr int kEngage = 16000;
    static constexpr int kRelease = 10000;

    std::vector<PadKey> Update(const PadState& state);

  private:
    int stickX_ = 0;  // -1, 0 or +1 once past the dead zone
    int stickY_ = 0;
    std::array<bool, 4> arrows_{};  // left, up, right, down: the arrow keys' order
    bool south_ = false;
    bool back_ = false;
    bool start_ = false;
};

// Opens SDL's game controller support. Controllers present now or plugged in later steer
// through the arrow-key query; struck keys go to keyDown, as the window's key presses do.
// Without a controller nothing changes.
void StartGamepads(std::function<void(int vk)> keyDown);
void StopGamepads();

}  // namespace plat
