#pragma once
#include <SDL.h>

namespace plat {

// Every SDL function the program calls; the library is loaded only when sound, controllers or
// a wave file first need it. Linked in, it and the thirty-odd libraries it brings (sound
// servers, decoders, display) would be mapped before the window could open.
// clang-format off
#define NIBBLY_SDL_CALLS(X)                                                                     \
    X(GetError) X(SetHint) X(InitSubSystem) X(QuitSubSystem) X(GetTicks64) X(Delay)            \
    X(OpenAudioDevice) X(CloseAudioDevice) X(PauseAudioDevice) X(GetAudioDeviceStatus)         \
    X(RWFromConstMem) X(LoadWAV_RW) X(FreeWAV) X(BuildAudioCVT) X(ConvertAudio)                \
    X(PollEvent) X(GameControllerOpen) X(GameControllerClose) X(GameControllerGetJoystick)     \
    X(GameControllerGetButton) X(GameControllerGetAxis) X(JoystickInstanceID)
// clang-format on

struct Sdl {
#define NIBBLY_SDL_MEMBER(name) decltype(&SDL_##name) name = nullptr;
    NIBBLY_SDL_CALLS(NIBBLY_SDL_MEMBER)
#undef NIBBLY_SDL_MEMBER
};

// The library's functions, or nullptr when it or one of them is missing: that is reported once,
// and sound and controllers stay off.
const Sdl* LoadSdl();

// Any other function of the loaded library (the tests' virtual controller); nullptr without it.
void* SdlSymbol(const char* name);

}  // namespace plat
