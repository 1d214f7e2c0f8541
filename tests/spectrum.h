#pragma once
#include <QImage>
#include <cstdint>
#include <span>

// Share of a sound's energy above `hz`, in dB relative to its whole energy (so negative).
double bandLevelAboveDb(std::span<const std::int16_t> samples, int rate, double hz);

// Time runs left to right, frequency bottom (0) to top (Nyquist); brightness is level in dB.
QImage spectrogram(std::span<const std::int16_t> samples, int rate);
