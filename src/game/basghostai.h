#pragma once
#include <cstdint>

// The four ghosts: ghost g (1 to 4) is Ghosts[g - 1].
struct GhostState {
    std::int16_t Roaming;
    std::int16_t Eaten;
    std::int16_t X;
    std::int16_t Y;
    std::int16_t Dir;
    std::int16_t Align;
    std::int16_t Bounces;
    std::int16_t Stride;
    std::int16_t Frightened;
    std::int16_t HalfStep;
};

inline GhostState Ghosts[4];

// One tick of all four ghosts, ghost 1 first.
void MoveGhosts();
// Left (2) or right (3) at random, halves going left.
std::int16_t RandomSide();
