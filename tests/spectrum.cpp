#include "spectrum.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

using Bins = std::vector<std::complex<double>>;

// In-place radix-2 transform; the size must be a power of two.
void fft(Bins& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const auto step = std::polar(1.0, -2 * std::numbers::pi / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1;
            for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
                const auto even = a[i + k];
                const auto odd = a[i + k + len / 2] * w;
                a[i + k] = even + odd;
                a[i + k + len / 2] = even - odd;
            }
        }
    }
}

std::size_t powerOfTwoAtLeast(std::size_t n) {
    std::size_t p = 1;
    while (p < n) p <<= 1;
    return p;
}

}  // namespace

double bandLevelAboveDb(std::span<const std::int16_t> samples, int rate, double hz) {
    Bins bins(powerOfTwoAtLeast(samples.size()));
    std::copy(samples.begin(), samples.end(), bins.begin());
    fft(bins);
    double above = 0;
    double all = 0;
    for (std::size_t k = 0; k <= bins.size() / 2; ++k) {
        const double energy = std::norm(bins[k]);
        all += energy;
        if (double(k) * rate / double(bins.size()) > hz) above += energy;
    }
    return 10 * std::log10(std::max(above, 1e-30) / std::max(all, 1e-30));
}

QImage spectrogram(std::span<const std::int16_t> samples, int rate) {
    constexpr int kWindow = 1024;
    constexpr int kHop = 128;
    constexpr double kFloorDb = -110;
    const int frames = std::max(1, int(samples.size()) / kHop);
    QImage image(frames, kWindow / 2, QImage::Format_RGB32);
    for (int f = 0; f < frames; ++f) {
        Bins bins(kWindow);
        for (int i = 0; i < kWindow; ++i) {
            const std::size_t at = std::size_t(f) * kHop + i;
            const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / kWindow);
            if (at < samples.size()) bins[i] = hann * samples[at] / 32768.0;
        }
        fft(bins);
        for (int k = 0; k < kWindow / 2; ++k) {
            const double db = 20 * std::log10(std::abs(bins[k]) / (kWindow / 4) + 1e-12);
            const double level = std::clamp((db - kFloorDb) / -kFloorDb, 0.0, 1.0);
            // Black through red and yellow to white: faint lines stay visible against silence.
            const int r = int(255 * std::min(1.0, level * 2));
            const int g = int(255 * std::clamp(level * 2 - 0.6, 0.0, 1.0));
            const int b = int(255 * std::clamp(level * 3 - 2.0, 0.0, 1.0));
            image.setPixel(f, kWindow / 2 - 1 - k, qRgb(r, g, b));
        }
    }
    // 16 kHz marked on both edges so the band the test checks is easy to find.
    const int mark = kWindow / 2 - 1 - int(16000.0 * kWindow / rate);
    for (int x = 0; x < std::min(frames, 6); ++x) {
        image.setPixel(x, mark, qRgb(0, 255, 255));
        image.setPixel(frames - 1 - x, mark, qRgb(0, 255, 255));
    }
    return image;
}
