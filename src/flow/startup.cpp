#include "flow/startup.h"

#include <string>

#include "flow/controls.h"
#include "flow/roundflow.h"
#include "flow/storedsettings.h"
#include "flow/tick.h"
#include "game/gamestate.h"
#include "platform/sound.h"
#include "shell/frmmain.h"

void ConnectMainWindow(FrmMain& form) {
    QObject::connect(&form.XPButton1, &XPButton::Click, XPButton1_Click);
    QObject::connect(&form.XPButton2, &XPButton::Click, XPButton2_Click);
    QObject::connect(&form.XPButton3, &XPButton::Click, XPButton3_Click);
    QObject::connect(&form.XPButton4, &XPButton::Click, XPButton4_Click);
    QObject::connect(&form.XPButton5, &XPButton::Click, XPButton5_Click);
    QObject::connect(&form.XPButton6, &XPButton::Click, XPButton6_Click);
    QObject::connect(&form.XPButton7, &XPButton::Click, XPButton7_Click);
    QObject::connect(&form.XPButton8, &XPButton::Click, XPButton8_Click);
    form.tmrKeyBoard.OnTimer = tmrKeyBoard_Timer;
    form.tmrFlash.OnTimer = tmrFlash_Timer;
    form.tmrReady.OnTimer = tmrReady_Timer;
    form.OnKeyDown = Form_KeyDown;
    form.OnUnload = [] {
        StoreSettings();
        // Nothing plays once the window has unloaded. Closing the audio device waits for its
        // buffers to drain: done here, while the window is still up, the program ends as soon
        // as the window is gone.
        plat::StopSound();
    };
}

void LoadMainWindow(FrmMain& form) {
    ConnectMainWindow(form);

    form.lblreadme.SetCaption(InstructionsText());
    ReadStoredSettings();
    ShowCoins();
    form.lblHiscore.SetCaption(std::to_string(HiScore));
    form.Load();

    InitGameState();
    form.tmrFlash.SetEnabled(true);
}

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
