#include "game/collisions.h"

#include <cstdlib>
#include <string>

#include "game/basghostai.h"
#include "game/bassetup.h"
#include "game/gamestate.h"
#include "platform/sound.h"
#include "shell/frmmain.h"

namespace {

void EatGhost(GhostState& ghost) {
    PlaySound("ghosteat", plat::SND_ASYNC);
    ++Game.GhostsEaten;
    AddScore(GhostScores[Game.GhostsEaten]);
    ghost.Eaten = kTrue;
    ghost.Stride = static_cast<std::int16_t>(2 * ghost.Stride);
    ghost.Frightened = 0;
    // Aligned to the doubled stride, the eyes pass exactly through centres and the door.
    const int grid = 2 * Speed;
    ghost.X = static_cast<std::int16_t>(ghost.X - ghost.X % grid);
    ghost.Y = static_cast<std::int16_t>(ghost.Y - ghost.Y % grid);
    ghost.Align = static_cast<std::int16_t>(ghost.Align - ghost.Align % grid);
}

}  // namespace

void CheckCollisions() {
    for (int g = 1; g <= 4; ++g) {
        GhostState& ghost = Ghosts[g - 1];
        if (std::abs(Game.GobX - ghost.X) < 16 && std::abs(Game.GobY - ghost.Y) < 16) {
            if (ghost.Frightened > 0) {
                EatGhost(ghost);
            } else if (!ghost.Eaten && !Game.GobCaught) {
                Game.GobCaught = kTrue;
                PlaySound("killed", plat::SND_SYNC);
            }
        }
        if (ghost.Eaten) Sprites[g].SrcX = 160;
    }

    const bool fruitPresent = Game.FruitShown && !Game.FruitGone;
    if (std::abs(Game.GobX - 232) < 16 && Game.GobY == 280 && fruitPresent) {
        Game.FruitShown = kFalse;
        AddScore(500 * Game.Level);
        PlaySound("Fruiteat", plat::SND_ASYNC);
    }
}

void AddScore(std::int32_t points) {
    Game.Score += points;
    for (const std::int32_t threshold : {10000, 20000, 30000, 40000, 50000, 100000}) {
        if (Game.Score - points < threshold && Game.Score >= threshold) ExtraLife();
    }
    FrmMain& form = frmMain();
    form.lblScore.SetCaption(std::to_string(Game.Score));
    if (Game.Score > HiScore) {
        HiScore = Game.Score;
        form.lblHiscore.SetCaption(std::to_string(Game.Score));
    }
}

void ExtraLife() {
    ++Game.Lives;
    PlaySound("extralife", plat::SND_ASYNC);
    DrawStats();
}
