#pragma once
#include <functional>
#include <memory>
#include <string>

namespace plat {

inline constexpr int SND_SYNC = 0;
inline constexpr int SND_ASYNC = 1;

// One voice: a new sound stops the one playing. SND_SYNC returns when the sound has ended.
class SoundBackend {
  public:
    virtual ~SoundBackend() = default;
    virtual void Play(const std::string& path, int flags) = 0;
};

// Plays a wave file (name matched case-insensitively) through the active backend.
// Never fails: a missing or corrupt file is silence and one line on standard error.
void sndPlaySound(const std::string& path, int flags);

// Called with every sound as it starts (a trace records them).
void SetSoundObserver(std::function<void(const std::string& path, int flags)> observer);
// Opens SDL's audio; without a device the null backend stays and play is silent.
void StartSound();
// Replaces the backend (tests and the simulator); nullptr restores the null backend.
void SetSoundBackend(std::unique_ptr<SoundBackend> backend);
// Stops playing and closes the audio device.
void StopSound();

}  // namespace plat
