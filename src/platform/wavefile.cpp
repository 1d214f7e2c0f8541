#include "platform/wavefile.h"

#include <SDL.h>

#include <cstring>
#include <iostream>

#include "platform/files.h"

namespace plat {

namespace {

std::vector<std::uint8_t> Fail(const std::string& path) {
    std::cerr << "nibbly: no sound from " << path << ": " << SDL_GetError() << '\n';
    return {};
}

}  // namespace

std::vector<std::uint8_t> LoadWave(const std::string& path, int frequency, int channels) {
    SDL_AudioSpec wave;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(ResolveFile(path).c_str(), &wave, &samples, &length)) return Fail(path);

    SDL_AudioCVT cvt;
    const int needed = SDL_BuildAudioCVT(&cvt, wave.format, wave.channels, wave.freq, AUDIO_S16SYS,
                                         static_cast<Uint8>(channels), frequency);
    if (needed < 0) {
        SDL_FreeWAV(samples);
        return Fail(path);
    }
    // The conversion works in place and may need more room than either end.
    std::vector<std::uint8_t> pcm(static_cast<std::size_t>(length) * cvt.len_mult);
    std::memcpy(pcm.data(), samples, length);
    SDL_FreeWAV(samples);
    if (needed == 0) {
        pcm.resize(length);
        return pcm;
    }
    cvt.buf = pcm.data();
    cvt.len = static_cast<int>(length);
    if (SDL_ConvertAudio(&cvt) < 0) return Fail(path);
    pcm.resize(cvt.len_cvt);
    return pcm;
}

}  // namespace plat
