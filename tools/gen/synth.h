#pragma once
#include <cstdint>
#include <vector>

enum class Wave { Square, Triangle, Noise };

// One voice event. Times in seconds; the release tail follows `length`.
struct Note {
    double start = 0;
    double length = 0.1;
    double freq = 440;   // noise: how often a new random level is drawn
    double freqEnd = 0;  // glide target reached at the end of `length`; 0 keeps the pitch
    Wave wave = Wave::Square;
    double gain = 1;
    double duty = 0.5;  // square only
    double attack = 0.004;
    double release = 0.03;
    double decay = 0;  // exponential fall per second while held; 0 sustains
};

double midiHz(double note);

// Mixes notes into one mono buffer.
class Synth {
  public:
    explicit Synth(int sampleRate) : rate_(sampleRate) {}

    void play(const Note& note);
    // Scaled so the loudest sample sits at `peakDbfs`, which also rules out clipping.
    std::vector<std::int16_t> render(double peakDbfs) const;
    int sampleRate() const { return rate_; }

  private:
    static constexpr double kSoftenAboveHz = 10000;
    int rate_;
    std::vector<double> mix_;
    std::uint32_t lfsr_ = 0x5eed;  // fixed seed: the files come out identical on every build
};
