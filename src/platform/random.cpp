#include "platform/random.h"

#include <random>

namespace plat {

namespace {

// The engine's standard seed, so a run that never calls Randomize replays exactly.
std::mt19937 engine(5489u);
std::function<void(double)> observer;

}  // namespace

double Rnd() {
    const double value = engine() / 4294967296.0;
    if (observer) observer(value);
    return value;
}

void Randomize(std::uint32_t seed) {
    engine.seed(seed);
}

void SetRandomObserver(std::function<void(double)> newObserver) {
    observer = std::move(newObserver);
}

}  // namespace plat
