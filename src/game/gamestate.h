#pragma once
#include <cmath>
#include <cstdint>

// The game's shared state: the player on turn, the saved players and the global settings.
// Flags hold -1 for true and 0 for false, as every game record does.

inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

struct PlayerState {
    std::int16_t FruitShown;
    std::int16_t FruitGone;
    std::int16_t GobCaught;
    std::int16_t DotEaten;
    std::int16_t NewLevel;
    std::int32_t Score;
    std::int32_t TickCount;
    std::int16_t GobX;
    std::int16_t GobY;
    std::int16_t Lives;
    std::int16_t GobDir;
    std::int16_t GobAlign;
    std::int16_t GobSpeed;
    std::int16_t Level;
    std::int16_t GhostsEaten;
    std::int16_t FlashPhase;
    std::int16_t DotsLeft;
    std::int16_t GobFrame;
    std::int16_t GobFrameStep;
    std::int16_t GobFrameTicks;
};

inline PlayerState Game;
inline PlayerState Players[2];
inline std::int16_t CurPlayer;
inline std::int16_t NumPlayers;
inline std::int16_t Coins;
inline std::int32_t HiScore;
inline std::int16_t Speed;
inline std::int16_t DefaultMode;
inline std::int16_t GameRunning;

// Points for the first to fourth ghost eaten on one power pill; index 0 is unused.
inline std::int32_t GhostScores[5];

// Direction codes: 0 up, 1 down, 2 left, 3 right.
inline std::int16_t DirX[4];
inline std::int16_t DirY[4];
inline std::int16_t DirSign[4];
inline std::int16_t Opposite[4];

// Rounds to the nearest whole number, halves to even, as every rounding in the rules does.
inline std::int32_t CInt(double value) {
    return static_cast<std::int32_t>(std::nearbyint(value));
}
