#include "flow/gamestate.h"

void InitGameState() {
    const std::int16_t dirX[4] = {0, 0, -1, 1};
    const std::int16_t dirY[4] = {-1, 1, 0, 0};
    const std::int16_t dirSign[4] = {-1, 1, -1, 1};
    const std::int16_t opposite[4] = {1, 0, 3, 2};
    for (int d = 0; d < 4; ++d) {
        DirX[d] = dirX[d];
        DirY[d] = dirY[d];
        DirSign[d] = dirSign[d];
        Opposite[d] = opposite[d];
    }
    Game = {};
    Players[0] = {};
    Players[1] = {};
    CurPlayer = 0;
    NumPlayers = 0;
    Speed = 1;
    DefaultMode = kTrue;
    GameRunning = kFalse;
    GhostScores[1] = 200;
    GhostScores[2] = 400;
    GhostScores[3] = 800;
    GhostScores[4] = 1600;
}
