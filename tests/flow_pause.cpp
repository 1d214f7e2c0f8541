#include <gtest/gtest.h>

#include "flow/controls.h"
#include "flow/roundflow.h"
#include "game/gamestate.h"
#include "game_board.h"
#include "hand_turned_time.h"
#include "platform/keyboard.h"
#include "platform/timer.h"

namespace {

// A paused game's clock stands still whatever real time passes, and only P goes on; a message
// box inside the pause does not end it, the game's end does, and the idle screen ignores P.
TEST(Pause, StandsTheGameStillUntilPOrTheGamesEnd) {
    game_test::Board board;
    HandTurnedTime real;
    plat::GameClock clock(real);
    FrmMain& form = board.form;
    plat::Timer* const timers[] = {&form.tmrKeyBoard, &form.tmrFlash, &form.tmrReady};
    for (plat::Timer* timer : timers) timer->SetDriver(&clock);
    int ticks = 0;
    clock.AfterFire() = [&](const plat::Timer& timer) { ticks += &timer == &form.tmrKeyBoard; };
    clock.Begin();
    form.tmrKeyBoard.SetEnabled(true);

    real.RunTo(1001);
    EXPECT_EQ(ticks, 100);
    Form_KeyDown(plat::vbKeyP);
    EXPECT_TRUE(form.lblPaused.isVisibleTo(&form.pctScreen));
    EXPECT_FALSE(form.lblReady.isVisibleTo(&form.pctScreen));
    real.RunTo(4001);
    Form_KeyDown(plat::vbKeyEscape);  // the box is answered OK: no abandon
    EXPECT_EQ(board.messages.size(), 1u);
    real.RunTo(5001);
    EXPECT_EQ(ticks, 100);
    EXPECT_EQ(clock.CatchUp(), 1001);

    Form_KeyDown(plat::vbKeyP);
    EXPECT_FALSE(form.lblPaused.isVisibleTo(&form.pctScreen));
    EXPECT_TRUE(form.lblReady.isVisibleTo(&form.pctScreen));
    real.RunTo(6001);
    EXPECT_EQ(ticks, 200);

    Form_KeyDown(plat::vbKeyP);
    ShowIdle();
    EXPECT_FALSE(form.lblPaused.isVisibleTo(&form.pctScreen));
    real.RunTo(7001);
    EXPECT_EQ(clock.CatchUp(), 3001);
    Form_KeyDown(plat::vbKeyP);
    EXPECT_FALSE(form.lblPaused.isVisibleTo(&form.pctScreen));
    real.RunTo(8001);
    EXPECT_EQ(clock.CatchUp(), 4001);

    for (plat::Timer* timer : timers) {
        timer->SetEnabled(false);
        timer->SetDriver(nullptr);
    }
}

}  // namespace
