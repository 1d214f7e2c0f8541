#include "platform/wavefile.h"

#include <cstring>
#include <iostream>
#include <memory>

#include "platform/files.h"
#include "platform/sdl.h"

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

std::vector<std::uint8_t> Fail(const Sdl& sdl, std::string& error) {
    error = sdl.GetError();
    return {};
}

// Far above any sound the game plays (minutes at the device's rate), and far below what
// SDL's int sizes can count: both the file and the decoded, converted samples stay under it.
constexpr std::size_t kLimit = 64 << 20;

// Real recording equipment stays within these. Outside them conversion to the device's rate
// turns a small file into gigabytes, or leaves nothing at all.
constexpr int kLowestRate = 4000;
constexpr int kHighestRate = 384000;

}  // namespace

std::vector<std::uint8_t> LoadWave(const std::string& path, int frequency, int channels) {
    std::string bytes;
    std::string error;
    std::vector<std::uint8_t> pcm;
    // Memory can still run out; that refuses the sound, it never reaches the game as an
    // exception.
    try {
        if (ReadRegularFile(ResolveFile(path), kLimit, bytes, error))
            pcm = DecodeWave(bytes, frequency, channels, error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (pcm.empty()) std::cerr << "nibbly: no sound from " << path << ": " << error << '\n';
    return pcm;
}

std::vector<std::uint8_t> DecodeWave(const std::string& bytes, int frequency, int channels,
                                     std::string& error) {
    if (bytes.size() > kLimit) {
        error = "larger than " + std::to_string(kLimit >> 20) + " MB";
        return {};
    }
    error = CheckChunks(bytes);
    if (!error.empty()) return {};
    const Sdl* sdl = LoadSdl();
    if (!sdl) {
        error = "no SDL library to decode it";
        return {};
    }
    SDL_AudioSpec wave;
    Uint8* read = nullptr;
    Uint32 length = 0;
    SDL_RWops* source = sdl->RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!source || !sdl->LoadWAV_RW(source, 1, &wave, &read, &length)) return Fail(*sdl, error);
    const std::unique_ptr<Uint8, decltype(&SDL_FreeWAV)> samples(read, sdl->FreeWAV);
    if (length == 0) {
        error = "no samples";
        return {};
    }
    if (wave.freq < kLowestRate || wave.freq > kHighestRate) {
        error = "sample rate " + std::to_string(wave.freq) + " Hz is outside " +
                std::to_string(kLowestRate) + " to " + std::to_string(kHighestRate) + " Hz";
        return {};
    }

    SDL_AudioCVT cvt;
    const int needed = sdl->BuildAudioCVT(&cvt, wave.format, wave.channels, wave.freq, AUDIO_S16SYS,
                                          static_cast<Uint8>(channels), frequency);
    if (needed < 0) return Fail(*sdl, error);
    // The conversion works in place and may need more room than either end. Both factors fit
    // in 32 bits, so their product cannot overflow.
    const std::uint64_t room = std::uint64_t{length} * static_cast<std::uint64_t>(cvt.len_mult);
    if (room > kLimit) {
        error = "too long: converting it would take " + std::to_string(room >> 20) + " MB";
        return {};
    }
    std::vector<std::uint8_t> pcm(room);
    std::memcpy(pcm.data(), samples.get(), length);
    if (needed == 0) {
        pcm.resize(length);
        return pcm;
    }
    cvt.buf = pcm.data();
    cvt.len = static_cast<int>(length);
    if (sdl->ConvertAudio(&cvt) < 0) return Fail(*sdl, error);
    pcm.resize(cvt.len_cvt);
    // Resampling can leave nothing of a few samples.
    if (pcm.empty()) error = "no samples";
    return pcm;
}

}  // namespace plat
