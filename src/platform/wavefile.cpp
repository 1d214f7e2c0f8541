#include "platform/wavefile.h"

#include <SDL.h>

#include <cstring>
#include <iostream>

#include "platform/files.h"

namespace plat {

namespace {

// SDL sizes its buffers by the lengths the file declares, so a chunk claiming more than the file
// holds would have it ask for gigabytes for a file of a few bytes.
std::string CheckChunks(const std::string& bytes) {
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return "not a wave file";
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        std::size_t length = 0;
        for (int i = 3; i >= 0; --i)
            length = length << 8 |
                     static_cast<unsigned char>(bytes[at + 4 + static_cast<std::size_t>(i)]);
        if (length > bytes.size() - at - 8) return "cut short";
        at += 8 + length + length % 2;
    }
    return {};
}

std::vector<std::uint8_t> Fail(std::string& error) {
    error = SDL_GetError();
    return {};
}

}  // namespace

std::vector<std::uint8_t> LoadWave(const std::string& path, int frequency, int channels) {
    // Far above any sound the game plays; keeps a huge file from being read whole.
    constexpr std::size_t kLimit = 64 << 20;
    std::string bytes;
    std::string error;
    std::vector<std::uint8_t> pcm;
    if (ReadRegularFile(ResolveFile(path), kLimit, bytes, error))
        pcm = DecodeWave(bytes, frequency, channels, error);
    if (pcm.empty()) std::cerr << "nibbly: no sound from " << path << ": " << error << '\n';
    return pcm;
}

std::vector<std::uint8_t> DecodeWave(const std::string& bytes, int frequency, int channels,
                                     std::string& error) {
    error = CheckChunks(bytes);
    if (!error.empty()) return {};
    SDL_AudioSpec wave;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!source || !SDL_LoadWAV_RW(source, 1, &wave, &samples, &length)) return Fail(error);
    if (length == 0) {
        SDL_FreeWAV(samples);
        error = "no samples";
        return {};
    }

    SDL_AudioCVT cvt;
    const int needed = SDL_BuildAudioCVT(&cvt, wave.format, wave.channels, wave.freq, AUDIO_S16SYS,
                                         static_cast<Uint8>(channels), frequency);
    if (needed < 0) {
        SDL_FreeWAV(samples);
        return Fail(error);
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
    if (SDL_ConvertAudio(&cvt) < 0) return Fail(error);
    pcm.resize(cvt.len_cvt);
    // Resampling from an absurd rate can leave nothing at all.
    if (pcm.empty()) error = "no samples";
    return pcm;
}

}  // namespace plat
