#include "flow/tick.h"

#include "flow/roundflow.h"
#include "game/basghostai.h"
#include "game/basgobbler.h"
#include "game/bassetup.h"
#include "game/collisions.h"
#include "game/gamestate.h"
#include "shell/frmmain.h"

namespace {

void ClearLevel() {
    Game.TickCount = 0;
    ++Game.Level;
    if (Game.Lives < 3) Game.Lives = 3;
    Game.NewLevel = kTrue;
    if (Game.Level > 8) Game.Level = 8;
    AddScore(1000);
    DrawStats();
    if (!BuildLevel()) {
        ShowIdle();
        return;
    }
    ResetActors();
    PlayStartMusic();
    PlayIntro();
}

}  // namespace

void tmrKeyBoard_Timer() {
    FrmMain& form = frmMain();
    MoveGob();
    MoveGhosts();
    CheckCollisions();
    EraseSprites();

    const std::int32_t fruitAt = 4000 / Speed;
    const std::int32_t fruitEnds = 5000 / Speed;
    // The time-out, or the tick on which the fruit has just been eaten.
    if (Game.TickCount == fruitEnds ||
        (Game.TickCount >= fruitAt && !Game.FruitShown && !Game.FruitGone)) {
        EraseSprite(kFruitSlot);
        Game.FruitGone = kTrue;
    }
    ++Game.TickCount;

    // The cell ahead of where the player stood, whose item it ate. Wiped in a tick that
    // ends the life too: the item is gone, and nothing else would take its picture away.
    if (Game.DotEaten) {
        const int x = Sprites[0].OldX + 8 + 16 * DirX[Game.GobDir];
        const int y = Sprites[0].OldY + 8 + 16 * DirY[Game.GobDir];
        plat::BitBlt(form.pctScreen, x, y, 16, 16, form.pctpicture, x, y, plat::SRCCOPY);
    }
    if (Game.GobCaught) {
        GobDied();
        return;
    }
    if (Game.DotsLeft < 1) {
        ClearLevel();
        return;
    }
    if (Game.TickCount == fruitAt) {
        DrawFruit();
        Game.FruitShown = kTrue;
        Game.FruitGone = kFalse;
    }
    DrawSprites();
    form.pctScreen.Refresh();
}
