#pragma once
#include <cstdint>
#include <functional>

namespace plat {

// Uniform on [0, 1); the same sequence on every run unless seeded.
double Rnd();
void Randomize(std::uint32_t seed);
// Called with every value Rnd returns (the simulator traces them).
void SetRandomObserver(std::function<void(double)> observer);

}  // namespace plat
