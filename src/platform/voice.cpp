#include "platform/voice.h"

#include <algorithm>

namespace plat {

std::uint64_t Voice::Play(const Pcm& pcm) {
    // Counted before it is handed over, so the audio thread sees its number with it.
    const std::uint64_t number = ++requested_;
    next_.store(&pcm);
    return number;
}

void Voice::Fill(std::uint8_t* out, int len) {
    if (const Pcm* next = next_.exchange(nullptr)) {
        playing_ = next;
        at_ = 0;
        number_ = requested_.load();
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
}

}  // namespace plat
