#include "platform/sdl.h"

#include <dlfcn.h>

#include <iostream>
#include <optional>

namespace plat {

namespace {

// Kept loaded to the end: SDL's own threads run in it.
void* library = nullptr;

std::optional<Sdl> Refuse() {
    std::cerr << "nibbly: playing without sound or game controllers: " << dlerror() << '\n';
    return std::nullopt;
}

std::optional<Sdl> Open() {
    library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return Refuse();
    Sdl sdl;
#define NIBBLY_SDL_RESOLVE(name)                                                   \
    sdl.name = reinterpret_cast<decltype(sdl.name)>(dlsym(library, "SDL_" #name)); \
    if (!sdl.name) return Refuse();
    NIBBLY_SDL_CALLS(NIBBLY_SDL_RESOLVE)
#undef NIBBLY_SDL_RESOLVE
    // SDL would otherwise take over Ctrl+C and the terminal could no longer stop the game.
    sdl.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return sdl;
}

}  // namespace

const Sdl* LoadSdl() {
    static const std::optional<Sdl> sdl = Open();
    return sdl ? &*sdl : nullptr;
}

void* SdlSymbol(const char* name) {
    return LoadSdl() ? dlsym(library, name) : nullptr;
}

}  // namespace plat
