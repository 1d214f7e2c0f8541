#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

namespace plat {

// The single voice between the game thread and the audio thread. The game thread only
// swaps in the next sound and the audio thread only copies, without a lock, so an audio
// thread held up by a busy machine can never hold up a tick.
class Voice {
  public:
    using Pcm = std::vector<std::uint8_t>;

    // Game thread: replaces whatever plays with pcm (which must outlive the voice; an empty
    // one is silence). Returns the number Finished reaches when this sound has ended.
    std::uint64_t Play(const Pcm& pcm);
    // The number of the last sound played to its end.
    std::uint64_t Finished() const { return finished_.load(); }

    // Audio thread: the next len bytes; silence where no sound plays.
    void Fill(std::uint8_t* out, int len);

  private:
    std::atomic<std::uint64_t> requested_ = 0;
    std::atomic<const Pcm*> next_ = nullptr;
    std::atomic<std::uint64_t> finished_ = 0;
    // Audio thread only.
    const Pcm* playing_ = nullptr;
    std::size_t at_ = 0;
    std::uint64_t number_ = 0;
};

}  // namespace plat
