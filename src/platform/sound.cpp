#include "platform/sound.h"

#include <SDL.h>

#include <iostream>
#include <map>
#include <optional>
#include <vector>

#include "platform/timer.h"
#include "platform/voice.h"
#include "platform/wavefile.h"

namespace plat {

namespace {

class NullBackend : public SoundBackend {
  public:
    void Play(const std::string&, int) override {}
};

// One device fed by one voice: a new sound cuts off the one playing.
class SdlBackend : public SoundBackend {
  public:
    static constexpr int kFrequency = 44100;
    static constexpr int kChannels = 1;
    static constexpr int kBytesPerSecond = kFrequency * kChannels * 2;

    SdlBackend() = default;
    // Also ends the audio subsystem, which the caller started for this backend.
    ~SdlBackend() override {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    bool Open() {
        SDL_AudioSpec wanted{};
        wanted.freq = kFrequency;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = kChannels;
        wanted.samples = 1024;
        wanted.callback = [](void* voice, Uint8* out, int len) {
            static_cast<Voice*>(voice)->Fill(out, len);
        };
        wanted.userdata = &voice_;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (device_ == 0) return false;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    void Play(const std::string& path, int flags) override {
        const Voice::Pcm& pcm = Samples(path);
        const std::uint64_t number = voice_.Play(pcm);
        if (flags & SND_ASYNC) return;
        // Bounded by the sound's own length, so a stalled device cannot hang the game.
        const Uint64 deadline = SDL_GetTicks64() + pcm.size() * 1000 / kBytesPerSecond + 250;
        while (voice_.Finished() < number && SDL_GetTicks64() < deadline) SDL_Delay(5);
    }

  private:
    // A file that fails to load is cached empty, so it is reported once and then stays silent.
    const std::vector<std::uint8_t>& Samples(const std::string& path) {
        auto found = cache_.find(path);
        if (found == cache_.end())
            found = cache_.emplace(path, LoadWave(path, kFrequency, kChannels)).first;
        return found->second;
    }

    SDL_AudioDeviceID device_ = 0;
    Voice voice_;
    std::map<std::string, Voice::Pcm> cache_;
};

std::unique_ptr<SoundBackend> backend = std::make_unique<NullBackend>();
std::function<void(const std::string&, int)> soundObserver;

}  // namespace

void sndPlaySound(const std::string& path, int flags) {
    // A sound played to its end takes no game time.
    std::optional<StandStill> still;
    if (!(flags & SND_ASYNC)) still.emplace();
    if (soundObserver) soundObserver(path, flags);
    backend->Play(path, flags);
}

void SetSoundObserver(std::function<void(const std::string&, int)> observer) {
    soundObserver = std::move(observer);
}

void StartSound() {
    StopSound();
    // SDL would otherwise take over Ctrl+C and the terminal could no longer stop the game.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::cerr << "nibbly: playing without sound: " << SDL_GetError() << '\n';
        return;
    }
    auto sdl = std::make_unique<SdlBackend>();
    if (!sdl->Open()) {
        std::cerr << "nibbly: playing without sound: " << SDL_GetError() << '\n';
        return;
    }
    backend = std::move(sdl);
}

void SetSoundBackend(std::unique_ptr<SoundBackend> newBackend) {
    backend = newBackend ? std::move(newBackend) : std::make_unique<NullBackend>();
}

void StopSound() {
    SetSoundBackend(nullptr);
}

}  // namespace plat
