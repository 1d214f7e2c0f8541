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

constexpr int kFrequency = 44100;
constexpr int kChannels = 1;
constexpr int kBytesPerSecond = kFrequency * kChannels * 2;

// The voice plays straight from here, so an entry is never replaced or removed.
std::map<std::string, Voice::Pcm> sounds;

const Voice::Pcm& Samples(const std::string& path) {
    auto found = sounds.find(path);
    if (found == sounds.end()) {
        // Loading it now would read a file inside a tick; an empty entry reports it once.
        std::cerr << "nibbly: no sound from " << path << ": not loaded at start\n";
        found = sounds.emplace(path, Voice::Pcm()).first;
    }
    return found->second;
}

class NullBackend : public SoundBackend {
  public:
    void Play(const std::string&, int) override {}
};

// One device fed by one voice: a new sound cuts off the one playing.
class SdlBackend : public SoundBackend {
  public:
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
        if (!Playing()) return;
        voice_.Play(Samples(path));
        if (flags & SND_ASYNC) return;
        voice_.WaitForLast([](int ms) {
            const Uint64 start = SDL_GetTicks64();
            SDL_Delay(static_cast<Uint32>(ms));
            return static_cast<std::int64_t>(SDL_GetTicks64() - start);
        });
    }

  private:
    // A device that went away (unplugged, failed) is opened anew once; if that fails the
    // game goes on in silence.
    bool Playing() {
        if (device_ == 0) return false;
        if (SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_PLAYING) return true;
        SDL_CloseAudioDevice(device_);
        device_ = 0;
        if (reopened_ || !Open()) {
            std::cerr << "nibbly: sound device lost, playing on without sound\n";
            return false;
        }
        reopened_ = true;
        return true;
    }

    SDL_AudioDeviceID device_ = 0;
    bool reopened_ = false;
    Voice voice_{kBytesPerSecond};
};

std::unique_ptr<SoundBackend> backend = std::make_unique<NullBackend>();
std::function<void(const std::string&, int)> soundObserver;

}  // namespace

void sndPlaySound(const std::string& path, int flags) {
    // A sound played to its end takes no game time.
    std::optional<StandStill> still;
    if (!(flags & SND_ASYNC)) still.emplace();
    if (soundObserver) soundObserver(path, flags);
    // Called from event handlers, where an exception would end the program.
    try {
        backend->Play(path, flags);
    } catch (const std::exception& e) {
        std::cerr << "nibbly: no sound from " << path << ": " << e.what() << '\n';
    }
}

void LoadSounds(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (!sounds.contains(path)) sounds.emplace(path, LoadWave(path, kFrequency, kChannels));
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
