#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace plat {

// The single voice between the game thread and the audio thread. The audio thread never
// waits for the game thread: it takes the next sound only when that is free to take.
class Voice {
  public:
    using Pcm = std::vector<std::uint8_t>;

    // The longest a synchronous sound holds the game, start-up margin included. About twice the
    // longest sound the game waits for: a longer file is cut short rather than taken for a hang.
    static constexpr int kLongestWaitMs = 3000;

    explicit Voice(int bytesPerSecond) : bytesPerSecond_(bytesPerSecond) {}

    // Game thread: replaces whatever plays with pcm (which must outlive the voice; an empty
    // one is silence). Returns the number Finished reaches when this sound has ended.
    std::uint64_t Play(const Pcm& pcm);
    // The number of the last sound played to its end.
    std::uint64_t Finished() const { return finished_.load(); }
    // Game thread: returns when the last sound played has ended, but waits no longer than it
    // lasts plus a margin for the device to start, at most kLongestWaitMs, and not at all once
    // the program has been asked to end. sleep(ms) lets about ms pass and returns how many did.
    void WaitForLast(const std::function<std::int64_t(int ms)>& sleep) const;

    // Audio thread: the next len bytes; silence where no sound plays.
    void Fill(std::uint8_t* out, int len);
    // Muted, sounds play on as silence: they end when they would have.
    void SetMuted(bool muted) { muted_.store(muted); }

  private:
    const int bytesPerSecond_;
    // The sound to start and its number, handed over together.
    std::mutex handOver_;
    const Pcm* next_ = nullptr;
    std::uint64_t nextNumber_ = 0;
    std::atomic<std::uint64_t> finished_ = 0;
    std::atomic<bool> muted_ = false;
    // Game thread only.
    std::uint64_t requested_ = 0;
    std::size_t lastBytes_ = 0;
    // Audio thread only.
    const Pcm* playing_ = nullptr;
    std::size_t at_ = 0;
    std::uint64_t number_ = 0;
};

}  // namespace plat
