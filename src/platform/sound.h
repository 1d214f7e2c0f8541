#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat {

inline constexpr int SND_SYNC = 0;
inline constexpr int SND_ASYNC = 1;

// One voice: a new sound stops the one playing. SND_SYNC returns when the sound has ended.
class SoundBackend {
  public:
    virtual ~SoundBackend() = default;
    virtual void Play(const std::string& path, int flags) = 0;
    // Silences the sound playing; nothing to do where nothing sounds.
    virtual void Cut() {}
    virtual void SetMuted(bool) {}
};

// Plays a wave file through the active backend. Never fails: a file that could not be loaded
// is silence, and a synchronous sound holds the caller at most a few seconds.
void sndPlaySound(const std::string& path, int flags);

// Muted, every sound plays as silence, as long as it lasts. Kept when the backend changes.
void SetSoundMuted(bool muted);
bool SoundMuted();

// While one exists sounds are heard of (the observer) but not played, and one played to its end
// takes no time: a replay running ahead to a later moment.
class SoundsSkipped {
  public:
    SoundsSkipped();
    ~SoundsSkipped();
    SoundsSkipped(const SoundsSkipped&) = delete;
    SoundsSkipped& operator=(const SoundsSkipped&) = delete;
};

// Silences the sound playing, if any; the next one plays as usual. Not a sound of its own: no
// observer hears it.
void CutSound();

// Called with every sound as it starts (a trace records them).
void SetSoundObserver(std::function<void(const std::string& path, int flags)> observer);
// Reads and converts the wave files (names matched case-insensitively) once, so that playing
// one later only starts it. A missing or corrupt file is reported here and is silence; so is
// a path played that was not loaded. Independent of StartSound, in either order.
void LoadSounds(const std::vector<std::string>& paths);
// Opens SDL's audio; without a device the null backend stays and play is silent.
void StartSound();
// Replaces the backend (tests and the simulator); nullptr restores the null backend.
void SetSoundBackend(std::unique_ptr<SoundBackend> backend);
// Stops playing and closes the audio device.
void StopSound();

}  // namespace plat
