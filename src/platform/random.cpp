#include "platform/random.h"

#include <random>

namespace plat {

namespace {

// The engine's standard seed, so a run that never calls Randomize replays exactly.
constexpr std::uint32_t kStandardSeed = 5489u;
std::mt19937 engine(kStandardSeed);
std::uint32_t seeded = kStandardSeed;
std::function<void(double)> observer;
std::uint64_t draws = 0;

}  // namespace

double Rnd() {
    const double value = engine() / 4294967296.0;
    ++draws;
    if (observer) observer(value);
    return value;
}

void Randomize(std::uint32_t seed) {
    engine.seed(seed);
    seeded = seed;
    draws = 0;
}

std::uint32_t RandomSeed() {
    return seeded;
}

std::uint64_t RandomDraws() {
    return draws;
}

void SkipRandom(std::uint64_t count) {
    engine.discard(count);
    draws += count;
}

void SetRandomObserver(std::function<void(double)> newObserver) {
    observer = std::move(newObserver);
}

}  // namespace plat
