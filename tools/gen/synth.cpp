#include "synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// Rises from 0 to 1 with no corner at either end, so envelopes start and stop without a click.
double smoothRamp(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(kPi * x);
}

double envelope(const Note& n, double t) {
    double level = smoothRamp(t / n.attack);
    if (n.decay > 0) level *= std::exp(-n.decay * std::min(t, n.length));
    if (t > n.length) level *= 1 - smoothRamp((t - n.length) / n.release);
    return level;
}

// Fourier weights of the pitched waves, without DC: harmonic k (from 1) at index k. The square
// is a pulse of the note's duty, phase-shifted so each partial is a plain cosine.
std::vector<double> partials(const Note& n, int count) {
    std::vector<double> w(count + 1, 0.0);
    for (int k = 1; k <= count; ++k) {
        if (n.wave == Wave::Square)
            w[k] = 4 / (k * kPi) * std::sin(k * kPi * n.duty);
        else if (k % 2 == 1)
            w[k] = 8 / (kPi * kPi * k * k);
    }
    return w;
}

// Partials fade out over the last tenth below Nyquist instead of vanishing, so a glide that
// carries one across the limit does not click.
double nyquistFade(double hz, double nyquist) {
    return smoothRamp((nyquist - hz) / (0.1 * nyquist));
}

// Sums only the partials the sample rate can carry: nothing folds back as an alias.
double additive(const std::vector<double>& w, double angle, double freq, double nyquist) {
    const double c1 = std::cos(angle);
    double prev = 1;  // cos(0 * angle)
    double cur = c1;  // cos(1 * angle)
    double sum = 0;
    for (std::size_t k = 1; k < w.size() && k * freq < nyquist; ++k) {
        sum += w[k] * nyquistFade(k * freq, nyquist) * cur;
        const double next = 2 * c1 * cur - prev;
        prev = cur;
        cur = next;
    }
    return sum;
}

// Second-order Butterworth low-pass.
class LowPass {
  public:
    LowPass(double cutoff, double rate) {
        const double w = 2 * kPi * cutoff / rate;
        const double alpha = std::sin(w) / std::sqrt(2.0);
        const double a0 = 1 + alpha;
        b0_ = (1 - std::cos(w)) / 2 / a0;
        b1_ = (1 - std::cos(w)) / a0;
        a1_ = -2 * std::cos(w) / a0;
        a2_ = (1 - alpha) / a0;
    }
    double operator()(double x) {
        const double y = b0_ * (x + x2_) + b1_ * x1_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

  private:
    double b0_, b1_, a1_, a2_;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

}  // namespace

double midiHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

void Synth::play(const Note& n) {
    const auto first = static_cast<std::size_t>(std::lround(n.start * rate_));
    const auto count = static_cast<std::size_t>(std::lround((n.length + n.release) * rate_));
    if (mix_.size() < first + count) mix_.resize(first + count, 0.0);

    const double nyquist = rate_ / 2.0;
    const double glideEnd = n.freqEnd > 0 ? n.freqEnd : n.freq;
    const std::vector<double> weights =
        n.wave == Wave::Noise ? std::vector<double>{}
                              : partials(n, int(nyquist / std::min(n.freq, glideEnd)));
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
                v = additive(weights, 2 * kPi * (phase - n.duty / 2), freq, nyquist);
                break;
            case Wave::Triangle:
                v = additive(weights, 2 * kPi * phase, freq, nyquist);
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
    // Takes the edge off the top octave, where the noise's steps and the highest partials
    // sound fizzy rather than bright.
    LowPass soften(kSoftenAboveHz, rate_);
    std::vector<double> soft(mix_.size());
    std::transform(mix_.begin(), mix_.end(), soft.begin(), [&](double v) { return soften(v); });

    double peak = 0;
    for (double v : soft) peak = std::max(peak, std::abs(v));
    const double scale = peak > 0 ? std::pow(10.0, peakDbfs / 20) * 32767.0 / peak : 0.0;
    std::vector<std::int16_t> out(soft.size());
    std::transform(soft.begin(), soft.end(), out.begin(),
                   [scale](double v) { return static_cast<std::int16_t>(std::lround(v * scale)); });
    return out;
}
