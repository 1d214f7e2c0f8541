// The controller as the game sees it: the mapping from controller states to key changes, then
// SDL's virtual controller plugged into the running window.
#include <gtest/gtest.h>

#include <vector>

#include "flow/controls.h"
#include "game/gamestate.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/gamepad.h"
#include "platform/keyboard.h"
#include "platform/sdl.h"
#include "platform/settings.h"
#include "platform/timer.h"
#include "shell/frmmain.h"

namespace {

using plat::PadKey;
using plat::PadKeys;
using plat::PadState;
using Keys = std::vector<PadKey>;

constexpr PadKey Hold(int vk) {
    return {vk, true};
}
constexpr PadKey LetGo(int vk) {
    return {vk, false};
}

TEST(PadKeys, StickHoldsAnArrowPastTheDeadZoneAndLetsGoOnlyWellInside) {
    PadKeys keys;
    EXPECT_EQ(keys.Update({.stickX = PadKeys::kEngage - 1}), Keys{});
    EXPECT_EQ(keys.Update({.stickX = PadKeys::kEngage}), Keys{Hold(plat::vbKeyRight)});
    // Sagging back between the two thresholds keeps the arrow, in both directions.
    EXPECT_EQ(keys.Update({.stickX = PadKeys::kRelease}), Keys{});
    EXPECT_EQ(keys.Update({.stickX = PadKeys::kRelease - 1}), Keys{LetGo(plat::vbKeyRight)});
    EXPECT_EQ(keys.Update({.stickX = -PadKeys::kRelease}), Keys{});
    EXPECT_EQ(keys.Update({.stickY = -32768}), Keys{Hold(plat::vbKeyUp)});
    EXPECT_EQ(keys.Update({.stickY = -PadKeys::kRelease}), Keys{});
    // Flicked straight across: one arrow goes, the opposite one comes.
    EXPECT_EQ(keys.Update({.stickY = 32767}), (Keys{LetGo(plat::vbKeyUp), Hold(plat::vbKeyDown)}));
    // A diagonal holds two arrows, as two keys would.
    EXPECT_EQ(keys.Update({.stickX = -20000, .stickY = 20000}), Keys{Hold(plat::vbKeyLeft)});
}

TEST(PadKeys, DpadAndStickShareEachArrow) {
    PadKeys keys;
    EXPECT_EQ(keys.Update({.left = true}), Keys{Hold(plat::vbKeyLeft)});
    EXPECT_EQ(keys.Update({.left = true, .stickX = -30000}), Keys{});
    EXPECT_EQ(keys.Update({.stickX = -30000}), Keys{});
    EXPECT_EQ(keys.Update({}), Keys{LetGo(plat::vbKeyLeft)});
    EXPECT_EQ(keys.Update({.up = true, .down = true}),
              (Keys{Hold(plat::vbKeyUp), Hold(plat::vbKeyDown)}));
}

TEST(PadKeys, ButtonsStrikeTheirKeyOncePerPress) {
    PadKeys keys;
    EXPECT_EQ(keys.Update({.south = true}), Keys{Hold(plat::vbKey1)});
    EXPECT_EQ(keys.Update({.south = true}), Keys{});
    EXPECT_EQ(keys.Update({.back = true}), Keys{Hold(plat::vbKeyI)});
    EXPECT_EQ(keys.Update({}), Keys{});
    EXPECT_EQ(keys.Update({.south = true, .back = true}),
              (Keys{Hold(plat::vbKey1), Hold(plat::vbKeyI)}));
    EXPECT_EQ(keys.Update({.start = true}), Keys{Hold(plat::vbKeyP)});
    EXPECT_EQ(keys.Update({.start = true}), Keys{});
}

// The virtual controller's calls, from the library the game loaded.
#define CALL_SDL(name) reinterpret_cast<decltype(&SDL_##name)>(plat::SdlSymbol("SDL_" #name))

// SDL's virtual controller, plugged into the game while it runs on the virtual clock.
class VirtualPad : public testing::Test {
  protected:
    void SetUp() override {
        plat::SetTimerDriver(&clock);
        plat::ReleaseAllKeys();
        plat::StartGamepads([this](int vk) { struck.push_back(vk); });
    }
    void TearDown() override {
        Unplug();
        plat::StopGamepads();
        plat::SetTimerDriver(nullptr);
    }

    void PlugIn() {
        const int index =
            CALL_SDL(JoystickAttachVirtual)(SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                                            SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(index, 0) << CALL_SDL(GetError)();
        pad = CALL_SDL(JoystickOpen)(index);
        ASSERT_NE(pad, nullptr) << CALL_SDL(GetError)();
        Wait(500);  // the slowest the game notices a new controller
    }
    void Unplug() {
        if (!pad) return;
        const SDL_JoystickID id = CALL_SDL(JoystickInstanceID)(pad);
        CALL_SDL(JoystickClose)(pad);
        pad = nullptr;
        for (int i = 0; i < CALL_SDL(NumJoysticks)(); ++i) {
            if (CALL_SDL(JoystickGetDeviceInstanceID)(i) == id) CALL_SDL(JoystickDetachVirtual)(i);
        }
    }
    void Button(SDL_GameControllerButton button, bool down) {
        CALL_SDL(JoystickSetVirtualButton)(pad, button, down ? 1 : 0);
    }
    void Stick(Sint16 x, Sint16 y) {
        CALL_SDL(JoystickSetVirtualAxis)(pad, SDL_CONTROLLER_AXIS_LEFTX, x);
        CALL_SDL(JoystickSetVirtualAxis)(pad, SDL_CONTROLLER_AXIS_LEFTY, y);
    }
    void Wait(int ms) { clock.RunUntil(clock.Now() + ms); }
    static bool Held(int vk) { return plat::GetAsyncKeyState(vk) < 0; }

    plat::VirtualClock clock;
    SDL_Joystick* pad = nullptr;
    std::vector<int> struck;
};

TEST_F(VirtualPad, SteersAndStrikesKeysWhilePluggedIn) {
    PlugIn();
    Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    Wait(10);
    EXPECT_TRUE(Held(plat::vbKeyLeft));
    Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    Stick(0, 30000);
    Wait(10);
    EXPECT_FALSE(Held(plat::vbKeyLeft));
    EXPECT_TRUE(Held(plat::vbKeyDown));

    // Held across many polls, each button is still one key press.
    Button(SDL_CONTROLLER_BUTTON_A, true);
    Wait(100);
    Button(SDL_CONTROLLER_BUTTON_A, false);
    Button(SDL_CONTROLLER_BUTTON_BACK, true);
    Wait(100);
    Button(SDL_CONTROLLER_BUTTON_BACK, false);
    Wait(10);
    EXPECT_EQ(struck, (std::vector<int>{plat::vbKey1, plat::vbKeyI}));

    // Pulled out mid-move: the arrow must not stay held.
    Unplug();
    Wait(10);
    EXPECT_FALSE(Held(plat::vbKeyDown));

    // And back in again.
    PlugIn();
    Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    Wait(10);
    EXPECT_TRUE(Held(plat::vbKeyUp));
}

TEST_F(VirtualPad, WithoutOneTheKeyboardIsLeftAlone) {
    plat::KeyPressed(plat::vbKeyRight);
    Wait(2000);
    EXPECT_TRUE(Held(plat::vbKeyRight));
    EXPECT_TRUE(struck.empty());
    plat::ReleaseAllKeys();
}

// Back and the south button take the window's own key-down path: a coin, then a game.
TEST(VirtualPadInTheGame, InsertsACoinAndStartsAOnePlayerGame) {
    plat::VirtualClock clock;
    plat::SetTimerDriver(&clock);
    plat::UseMemorySettings();
    plat::SetAppPath(NIBBLY_BIN_DIR);
    {
        FrmMain form;
        form.Load();
        plat::StartGamepads(Form_KeyDown);
        const int index =
            CALL_SDL(JoystickAttachVirtual)(SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                                            SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(index, 0) << CALL_SDL(GetError)();
        SDL_Joystick* pad = CALL_SDL(JoystickOpen)(index);
        clock.RunUntil(clock.Now() + 500);
        const int coins = Coins;

        CALL_SDL(JoystickSetVirtualButton)(pad, SDL_CONTROLLER_BUTTON_BACK, 1);
        clock.RunUntil(clock.Now() + 200);
        CALL_SDL(JoystickSetVirtualButton)(pad, SDL_CONTROLLER_BUTTON_BACK, 0);
        clock.RunUntil(clock.Now() + 10);
        EXPECT_EQ(Coins, coins + 1);
        EXPECT_EQ(GameRunning, kFalse);

        CALL_SDL(JoystickSetVirtualButton)(pad, SDL_CONTROLLER_BUTTON_A, 1);
        clock.RunUntil(clock.Now() + 10);
        EXPECT_EQ(GameRunning, kTrue);
        EXPECT_EQ(Coins, coins);
        EXPECT_TRUE(form.Option1(0).Value());

        CALL_SDL(JoystickClose)(pad);
        CALL_SDL(JoystickDetachVirtual)(index);
        plat::StopGamepads();
        form.Unload();
    }
    plat::SetAppPath("");
    plat::SetTimerDriver(nullptr);
}

}  // namespace
