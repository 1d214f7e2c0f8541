#include "platform/voice.h"

#include <algorithm>
#include <utility>

#include "platform/signals.h"

namespace plat {

std::uint64_t Voice::Play(const Pcm& pcm) {
    lastBytes_ = pcm.size();
    const std::lock_guard lock(handOver_);
    next_ = &pcm;
    nextNumber_ = ++requested_;
    return nextNumber_;
}

void Voice::WaitForLast(const std::function<std::int64_t(int ms)>& sleep) const {
    constexpr std::int64_t kStartMs = 250;
    const std::int64_t lastsMs = static_cast<std::int64_t>(lastBytes_) * 1000 / bytesPerSecond_;
    const std::int64_t limitMs = std::min<std::int64_t>(lastsMs + kStartMs, kLongestWaitMs);
    for (std::int64_t waited = 0;
         Finished() < requested_ && waited < limitMs && !TerminationRequested();)
        waited += sleep(5);
}

void Voice::Fill(std::uint8_t* out, int len) {
    // Held up by the game thread (for a few instructions), the next sound starts a buffer later.
    if (std::unique_lock lock(handOver_, std::try_to_lock); lock && next_) {
        playing_ = std::exchange(next_, nullptr);
        number_ = nextNumber_;
        at_ = 0;
    }
    std::size_t copied = 0;
    if (playing_) {
        copied = std::min(playing_->size() - at_, std::size_t(len));
        std::copy_n(playing_->data() + at_, copied, out);
        at_ += copied;
        if (at_ == playing_->size()) {
            playing_ = nullptr;
            finished_.store(number_);
        }
    }
    std::fill_n(out + copied, std::size_t(len) - copied, 0);
    if (muted_.load()) std::fill_n(out, copied, 0);
}

}  // namespace plat
