#pragma once
#include <cstdint>

// Contact between the player and the ghosts, then the bonus fruit.
void CheckCollisions();
// Adds points, grants extra lives at the thresholds, updates the score labels.
void AddScore(std::int32_t points);
void ExtraLife();
