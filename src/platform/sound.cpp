#include "platform/sound.h"

#include <SDL.h>

#include <iostream>
#include <map>
#include <vector>

#include "platform/wavefile.h"

namespace plat {

namespace {

class NullBackend : public SoundBackend {
  public:
    void Play(const std::string&, int) override {}
};

// One queue on one device: queueing a sound after clearing the queue is the single voice.
class SdlBackend : public SoundBackend {
  public:
    static constexpr int kFrequency = 44100;
    static constexpr int kChannels = 1;
    static constexpr int kBytesPerSecond = kFrequency * kChannels * 2;

    explicit SdlBackend(SDL_AudioDeviceID device) : device_(device) {}

    ~SdlBackend() override {
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    void Play(const std::string& path, int flags) override {
        const std::vector<std::uint8_t>& pcm = Samples(path);
        SDL_ClearQueuedAudio(device_);
        if (pcm.empty()) return;
        SDL_QueueAudio(device_, pcm.data(), static_cast<Uint32>(pcm.size()));
        if (flags & SND_ASYNC) return;
        // Bounded by the sound's own length, so a stalled device cannot hang the game.
        const Uint64 deadline = SDL_GetTicks64() + pcm.size() * 1000 / kBytesPerSecond + 250;
        while (SDL_GetQueuedAudioSize(device_) > 0 && SDL_GetTicks64() < deadline) SDL_Delay(5);
    }

  private:
    // A file that fails to load is cached empty, so it is reported once and then stays silent.
    const std::vector<std::uint8_t>& Samples(const std::string& path) {
        auto found = cache_.find(path);
        if (found == cache_.end())
            found = cache_.emplace(path, LoadWave(path, kFrequency, kChannels)).first;
        return found->second;
    }

    SDL_AudioDeviceID device_;
    std::map<std::string, std::vector<std::uint8_t>> cache_;
};

std::unique_ptr<SoundBackend> backend = std::make_unique<NullBackend>();

}  // namespace

void sndPlaySound(const std::string& path, int flags) {
    backend->Play(path, flags);
}

void StartSound() {
    StopSound();
    // SDL would otherwise take over Ctrl+C and the terminal could no longer stop the game.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::cerr << "nibbly: playing without sound: " << SDL_GetError() << '\n';
        return;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = SdlBackend::kFrequency;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = SdlBackend::kChannels;
    wanted.samples = 1024;
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0) {
        std::cerr << "nibbly: playing without sound: " << SDL_GetError() << '\n';
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    SDL_PauseAudioDevice(device, 0);
    backend = std::make_unique<SdlBackend>(device);
}

void SetSoundBackend(std::unique_ptr<SoundBackend> newBackend) {
    backend = newBackend ? std::move(newBackend) : std::make_unique<NullBackend>();
}

void StopSound() {
    SetSoundBackend(nullptr);
}

}  // namespace plat
