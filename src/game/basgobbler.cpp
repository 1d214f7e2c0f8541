#include "game/basgobbler.h"

#include "game/basghostai.h"
#include "game/bassetup.h"
#include "game/collisions.h"
#include "game/gamestate.h"
#include "platform/keyboard.h"
#include "platform/sound.h"

namespace {

// Keys in the order they are queried; a later open direction overrides an earlier one.
constexpr int kKeys[4] = {plat::vbKeyUp, plat::vbKeyDown, plat::vbKeyLeft, plat::vbKeyRight};

void EatItem(MazeCell& cell) {
    const bool pill = cell.Item == 2;
    if (pill) Game.GhostsEaten = 0;
    --Game.DotsLeft;
    cell.Item = 0;
    PlaySound(pill ? "fruiteat" : "eatpill", plat::SND_ASYNC);
    Game.DotEaten = kTrue;
    AddScore(10);
    if (!pill) return;
    const auto frightTime = static_cast<std::int16_t>(CInt((1000.0 - 100.0 * Game.Level) / Speed));
    for (GhostState& ghost : Ghosts) {
        if (ghost.Eaten || !ghost.Roaming) continue;
        ghost.Frightened = frightTime;
        ghost.Dir = Opposite[ghost.Dir];
    }
}

}  // namespace

void MoveGob() {
    Sprites[0].OldX = static_cast<std::int16_t>(Game.GobX - 16);
    Sprites[0].OldY = static_cast<std::int16_t>(Game.GobY - 16);
    Game.DotEaten = kFalse;
    Game.NewLevel = kFalse;

    // Every key is queried on every tick, so a press between centres is used up.
    for (int dir = 0; dir < 4; ++dir) {
        if (plat::GetAsyncKeyState(kKeys[dir]) == 0 || Game.GobAlign != 0) continue;
        const int col = CInt((Game.GobX - 8) / 16.0) + DirX[dir];
        const int row = CInt((Game.GobY - 8) / 16.0) + DirY[dir];
        if (Maze[col][row].Item != -1) Game.GobDir = static_cast<std::int16_t>(dir);
    }

    const int dir = Game.GobDir;
    const int aheadCol = CInt((Game.GobX + 16 * DirX[dir] - 8) / 16.0);
    const int aheadRow = CInt((Game.GobY + 16 * DirY[dir] - 8) / 16.0);
    bool blocked = false;
    if (Game.GobAlign == 0) {
        MazeCell& ahead = Maze[aheadCol][aheadRow];
        if (ahead.Item == -1) {
            blocked = true;
        } else if (ahead.Item == 1 || ahead.Item == 2) {
            EatItem(ahead);
        }
    }

    if (!blocked) {
        Game.GobX = static_cast<std::int16_t>(Game.GobX + DirX[dir] * Game.GobSpeed);
        Game.GobY = static_cast<std::int16_t>(Game.GobY + DirY[dir] * Game.GobSpeed);
        Game.GobAlign =
            static_cast<std::int16_t>((Game.GobAlign + DirSign[dir] * Game.GobSpeed + 16) % 16);
        WrapX(Game.GobX);
    }

    if (++Game.GobFrameTicks > 4) {
        Game.GobFrameTicks = 0;
        Game.GobFrame = static_cast<std::int16_t>(Game.GobFrame + Game.GobFrameStep);
    }
    if (Game.GobFrame > 2 || Game.GobFrame < 1) {
        Game.GobFrameStep = static_cast<std::int16_t>(-Game.GobFrameStep);
    }

    Sprites[0].NewX = static_cast<std::int16_t>(Game.GobX - 16);
    Sprites[0].NewY = static_cast<std::int16_t>(Game.GobY - 16);
    Sprites[0].SrcX = static_cast<std::int16_t>(Game.GobDir * 32);
    Sprites[0].SrcY = static_cast<std::int16_t>(Game.GobFrame * 32 + 128);
}
