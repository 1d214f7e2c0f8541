#include "platform/gamepad.h"

#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>

#include "platform/keyboard.h"
#include "platform/sdl.h"
#include "platform/timer.h"

namespace plat {

namespace {

int Axis(int held, int value) {
    if (value >= PadKeys::kEngage) return 1;
    if (value <= -PadKeys::kEngage) return -1;
    return std::abs(value) < PadKeys::kRelease ? 0 : held;
}

}  // namespace

std::vector<PadKey> PadKeys::Update(const PadState& s) {
    stickX_ = Axis(stickX_, s.stickX);
    stickY_ = Axis(stickY_, s.stickY);
    const std::array<bool, 4> arrows = {s.left || stickX_ < 0, s.up || stickY_ < 0,
                                        s.right || stickX_ > 0, s.down || stickY_ > 0};
    std::vector<PadKey> keys;
    for (int i = 0; i < 4; ++i) {
        if (arrows[i] != arrows_[i]) keys.push_back({vbKeyLeft + i, arrows[i]});
    }
    arrows_ = arrows;
    if (s.south && !south_) keys.push_back({vbKey1, true});
    if (s.back && !back_) keys.push_back({vbKeyI, true});
    if (s.start && !start_) keys.push_back({vbKeyP, true});
    south_ = s.south;
    back_ = s.back;
    start_ = s.start;
    return keys;
}

namespace {

class Gamepads {
  public:
    Gamepads(const Sdl& sdl, std::function<void(int)> keyDown)
        : sdl_(sdl),
          keyDown_(std::move(keyDown)),
          plug_("tmrPadPlug", 500),
          poll_("tmrPadPoll", 10) {
        // Plugging in is noticed within half a second; the state is read every tick only
        // while a controller is there to read.
        plug_.OnTimer = [this] { Poll(); };
        poll_.OnTimer = [this] { Poll(); };
        plug_.SetEnabled(true);
    }

    ~Gamepads() {
        for (const auto& [id, pad] : pads_) sdl_.GameControllerClose(pad);
        Apply(PadState{});
    }

    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;

  private:
    void Poll() {
        SDL_Event event;
        while (sdl_.PollEvent(&event)) {
            if (event.type == SDL_CONTROLLERDEVICEADDED) {
                SDL_GameController* pad = sdl_.GameControllerOpen(event.cdevice.which);
                if (!pad) continue;
                // A controller reported twice is opened twice; one close goes with one open.
                const SDL_JoystickID id =
                    sdl_.JoystickInstanceID(sdl_.GameControllerGetJoystick(pad));
                if (!pads_.emplace(id, pad).second) sdl_.GameControllerClose(pad);
            } else if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
                const auto found = pads_.find(event.cdevice.which);
                if (found == pads_.end()) continue;
                sdl_.GameControllerClose(found->second);
                pads_.erase(found);
            }
        }
        PadState state;
        for (const auto& [id, pad] : pads_) Merge(state, pad);
        Apply(state);
        poll_.SetEnabled(!pads_.empty());
    }

    void Merge(PadState& s, SDL_GameController* pad) const {
        const auto button = [this, pad](SDL_GameControllerButton b) {
            return sdl_.GameControllerGetButton(pad, b) != 0;
        };
        s.up = s.up || button(SDL_CONTROLLER_BUTTON_DPAD_UP);
        s.down = s.down || button(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        s.left = s.left || button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        s.right = s.right || button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        s.south = s.south || button(SDL_CONTROLLER_BUTTON_A);
        s.back = s.back || button(SDL_CONTROLLER_BUTTON_BACK);
        s.start = s.start || button(SDL_CONTROLLER_BUTTON_START);
        // Of two sticks, the one pushed further counts.
        const auto further = [](std::int16_t a, std::int16_t b) {
            return std::abs(int(b)) > std::abs(int(a)) ? b : a;
        };
        s.stickX = further(s.stickX, sdl_.GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX));
        s.stickY = further(s.stickY, sdl_.GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
    }

    // Arrows go where the window's arrow keys go; other keys take the window's key-down path.
    void Apply(const PadState& state) {
        for (const PadKey& key : keys_.Update(state)) {
            const bool arrow = key.vk >= vbKeyLeft && key.vk <= vbKeyDown;
            if (!key.down)
                KeyReleased(key.vk);
            else if (arrow)
                KeyPressed(key.vk);
            else if (keyDown_)
                keyDown_(key.vk);
        }
    }

    const Sdl& sdl_;
    std::function<void(int)> keyDown_;
    std::map<SDL_JoystickID, SDL_GameController*> pads_;
    PadKeys keys_;
    Timer plug_;
    Timer poll_;
};

std::unique_ptr<Gamepads> gamepads;

}  // namespace

void StartGamepads(std::function<void(int vk)> keyDown) {
    StopGamepads();
    const Sdl* sdl = LoadSdl();
    if (!sdl) return;
    if (sdl->InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::cerr << "nibbly: playing without game controllers: " << sdl->GetError() << '\n';
        return;
    }
    gamepads = std::make_unique<Gamepads>(*sdl, std::move(keyDown));
}

void StopGamepads() {
    if (!gamepads) return;
    gamepads.reset();
    LoadSdl()->QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

}  // namespace plat
