#include "synth.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounds the square's steps off over one sample so high notes do not alias into whistles.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

double envelope(const Note& n, double t) {
    double level = std::min(1.0, t / n.attack);
    if (n.decay > 0) level *= std::exp(-n.decay * std::min(t, n.length));
    if (t > n.length) level *= std::max(0.0, 1 - (t - n.length) / n.release);
    return level;
}

}  // namespace

double midiHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

void Synth::play(const Note& n) {
    const auto first = static_cast<std::size_t>(std::lround(n.start * rate_));
    const auto count = static_cast<std::size_t>(std::lround((n.length + n.release) * rate_));
    if (mix_.size() < first + count) mix_.resize(first + count, 0.0);

    const double glideEnd = n.freqEnd > 0 ? n.freqEnd : n.freq;
    double phase = 0;
    double held = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate_;
        const double along = std::min(1.0, t / n.length);
        const double freq = n.freq * std::pow(glideEnd / n.freq, along);
        const double dt = freq / rate_;
        double v = 0;
        switch (n.wave) {
            case Wave::Square:
                v = (phase < n.duty ? 1.0 : -1.0) + polyBlep(phase, dt) -
                    polyBlep(std::fmod(phase + 1 - n.duty, 1.0), dt);
                break;
            case Wave::Triangle:
                v = 4 * std::abs(phase - 0.5) - 1;
                break;
            case Wave::Noise:
                if (i == 0 || phase + dt >= 1) {
                    // 15-bit shift register, as in simple sound chips.
                    const std::uint32_t bit = (lfsr_ ^ (lfsr_ >> 1)) & 1u;
                    lfsr_ = (lfsr_ >> 1) | (bit << 14);
                    held = (lfsr_ & 1u) ? 1.0 : -1.0;
                }
                v = held;
                break;
        }
        phase += dt;
        phase -= std::floor(phase);
        mix_[first + i] += v * n.gain * envelope(n, t);
    }
}

std::vector<std::int16_t> Synth::render(double peakDbfs) const {
    double peak = 0;
    for (double v : mix_) peak = std::max(peak, std::abs(v));
    const double scale = peak > 0 ? std::pow(10.0, peakDbfs / 20) * 32767.0 / peak : 0.0;
    std::vector<std::int16_t> out(mix_.size());
    std::transform(mix_.begin(), mix_.end(), out.begin(),
                   [scale](double v) { return static_cast<std::int16_t>(std::lround(v * scale)); });
    return out;
}
