#include "platform/sound.h"

#include <iostream>
#include <map>
#include <optional>
#include <vector>

#include "platform/sdl.h"
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
    explicit SdlBackend(const Sdl& sdl) : sdl_(sdl) {}
    // Also ends the audio subsystem, which the caller started for this backend.
    ~SdlBackend() override {
        if (device_ != 0) sdl_.CloseAudioDevice(device_);
        sdl_.QuitSubSystem(SDL_INIT_AUDIO);
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
        device_ = sdl_.OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (device_ == 0) return false;
        sdl_.PauseAudioDevice(device_, 0);
        return true;
    }

    void Play(const std::string& path, int flags) override {
        if (!Playing()) return;
        voice_.Play(Samples(path));
        if (flags & SND_ASYNC) return;
        voice_.WaitForLast([this](int ms) {
            const Uint64 start = sdl_.GetTicks64();
            sdl_.Delay(static_cast<Uint32>(ms));
            return static_cast<std::int64_t>(sdl_.GetTicks64() - start);
        });
    }

    void Cut() override {
        static const Voice::Pcm silence;
        voice_.Play(silence);
    }

    void SetMuted(bool on) override { voice_.SetMuted(on); }

  private:
    // A device that went away (unplugged, failed) is opened anew once; if that fails the
    // game goes on in silence.
    bool Playing() {
        if (device_ == 0) return false;
        if (sdl_.GetAudioDeviceStatus(device_) == SDL_AUDIO_PLAYING) return true;
        sdl_.CloseAudioDevice(device_);
        device_ = 0;
        if (reopened_ || !Open()) {
            std::cerr << "nibbly: sound device lost, playing on without sound\n";
            return false;
        }
        reopened_ = true;
        return true;
    }

    const Sdl& sdl_;
    SDL_AudioDeviceID device_ = 0;
    bool reopened_ = false;
    Voice voice_{kBytesPerSecond};
};

std::unique_ptr<SoundBackend> backend = std::make_unique<NullBackend>();
std::function<void(const std::string&, int)> soundObserver;
bool muted = false;
int skipping = 0;

}  // namespace

SoundsSkipped::SoundsSkipped() {
    ++skipping;
}

SoundsSkipped::~SoundsSkipped() {
    --skipping;
}

void sndPlaySound(const std::string& path, int flags) {
    if (skipping > 0) {
        if (soundObserver) soundObserver(path, flags);
        return;
    }
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

void CutSound() {
    backend->Cut();
}

void LoadSounds(const std::vector<std::string>& paths) {
    // Without SDL nothing could play them, and each would report the same missing library.
    if (!LoadSdl()) return;
    for (const std::string& path : paths)
        if (!sounds.contains(path)) sounds.emplace(path, LoadWave(path, kFrequency, kChannels));
}

void SetSoundObserver(std::function<void(const std::string&, int)> observer) {
    soundObserver = std::move(observer);
}

void StartSound() {
    StopSound();
    const Sdl* sdl = LoadSdl();
    if (!sdl) return;
    if (sdl->InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::cerr << "nibbly: playing without sound: " << sdl->GetError() << '\n';
        return;
    }
    auto sdlBackend = std::make_unique<SdlBackend>(*sdl);
    if (!sdlBackend->Open()) {
        std::cerr << "nibbly: playing without sound: " << sdl->GetError() << '\n';
        return;
    }
    SetSoundBackend(std::move(sdlBackend));
}

void SetSoundBackend(std::unique_ptr<SoundBackend> newBackend) {
    backend = newBackend ? std::move(newBackend) : std::make_unique<NullBackend>();
    backend->SetMuted(muted);
}

void SetSoundMuted(bool mute) {
    muted = mute;
    backend->SetMuted(muted);
}

bool SoundMuted() {
    return muted;
}

void StopSound() {
    SetSoundBackend(nullptr);
}

}  // namespace plat
