#pragma once
#include <cstdint>
#include <functional>

namespace plat {

// Uniform on [0, 1); the same sequence on every run unless seeded.
double Rnd();
void Randomize(std::uint32_t seed);
// The seed the sequence began with.
std::uint32_t RandomSeed();
// Values drawn since the last Randomize, and a way to move on by as many unseen: a game
// recorded alone starts where the run's generator stood.
std::uint64_t RandomDraws();
void SkipRandom(std::uint64_t draws);
// Called with every value Rnd returns (the simulator traces them).
void SetRandomObserver(std::function<void(double)> observer);

}  // namespace plat
