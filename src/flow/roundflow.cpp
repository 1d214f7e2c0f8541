#include "flow/roundflow.h"

#include "flow/controls.h"

#include <string>
#include <utility>

#include "flow/storedsettings.h"
#include "game/bassetup.h"
#include "game/collisions.h"
#include "game/gamestate.h"
#include "platform/sound.h"
#include "shell/frmmain.h"

namespace {

constexpr plat::Colour kYellow = plat::RGB(255, 255, 0);
constexpr plat::Colour kWhite = plat::RGB(255, 255, 255);
constexpr plat::Colour kBlack = plat::RGB(0, 0, 0);

void SwapBoards() {
    for (int row = 0; row < kMazeRows; ++row) {
        for (int col = 0; col < kMazeCols; ++col) {
            std::swap(Maze[col][row].Item, Maze[col][row].OtherItem);
        }
    }
}

}  // namespace

bool StartGame() {
    FrmMain& form = frmMain();
    form.tmrFlash.SetEnabled(false);
    form.lblreadme.setVisible(false);
    form.pctScreen.setVisible(true);
    Game.Lives = 3;
    Game.Level = 1;
    Game.Score = 0;
    Game.TickCount = 0;
    form.lblHiscore.SetCaption(std::to_string(HiScore));
    form.lblScore.SetCaption(std::to_string(Game.Score));
    form.lblHiscore.Refresh();
    form.lblScore.Refresh();
    Game.NewLevel = kTrue;
    if (!LoadSpriteSheet(form.pctTiles, DefaultMode ? "/gobpics.bmp" : "/gobpicsold.bmp") ||
        !BuildLevel()) {
        ShowIdle();
        return false;
    }
    ResetActors();
    DrawStats();
    PlayStartMusic();
    PlayIntro();
    return true;
}

void PlayIntro() {
    FrmMain& form = frmMain();
    form.tmrKeyBoard.SetEnabled(false);
    form.lblReady.SetForeColor(kYellow);
    form.tmrReady.SetEnabled(true);
}

void PlayStartMusic() {
    PlaySound(StartMusic(DefaultMode), plat::SND_ASYNC);
}

void tmrReady_Timer() {
    FrmMain& form = frmMain();
    ++form.ReadyCount;
    const int length = Game.NewLevel ? 9 : 6;
    if (form.ReadyCount == length) {
        form.lblReady.SetCaption("");
        form.lblPlayer.SetCaption("");
        form.lblReady.Refresh();
        form.ReadyCount = 0;
        form.tmrReady.SetEnabled(false);
        form.tmrKeyBoard.SetEnabled(true);
    }
    if (form.ReadyCount % 2 == 1) {
        form.lblReady.SetCaption("准备…");
        if (NumPlayers == 2) form.lblPlayer.SetCaption("玩家 " + std::to_string(CurPlayer + 1));
    } else {
        form.lblReady.SetCaption("");
        form.lblPlayer.SetCaption("");
    }
    form.lblReady.Refresh();
}

void GobDied() {
    Game.GobCaught = kFalse;
    --Game.Lives;
    Players[CurPlayer] = Game;
    if (NumPlayers == 2 && Players[1 - CurPlayer].Lives > 0) {
        SwapBoards();
        CurPlayer = static_cast<std::int16_t>(1 - CurPlayer);
        Game = Players[CurPlayer];
        if (Game.NewLevel) {
            StartGame();
            return;
        }
        if (!DrawMaze()) {
            ShowIdle();
            return;
        }
        // The repaint wiped the incoming player's fruit; it is still on that board.
        if (Game.FruitShown && !Game.FruitGone) DrawFruit();
    }
    if (Game.Lives >= 1) {
        DrawStats();
        AddScore(0);
        ResetActors();
        PlayIntro();
        return;
    }
    ShowIdle();
}

void ShowIdle() {
    FrmMain& form = frmMain();
    EndPause();
    form.tmrReady.SetEnabled(false);
    form.ReadyCount = 0;
    form.lblReady.SetCaption("");
    form.lblPlayer.SetCaption("");
    GameRunning = kFalse;
    form.pctScreen.setVisible(false);
    form.tmrKeyBoard.SetEnabled(false);
    form.pctStats.Cls();
    form.tmrFlash.SetEnabled(true);
    form.lblreadme.setVisible(true);
    form.XPButton2.setEnabled(true);
    form.XPButton3.setEnabled(true);
    form.XPButton4.setEnabled(true);
    form.Option1(0).setEnabled(true);
    form.Option1(1).setEnabled(true);
    form.XPButton8.setEnabled(false);
    StoreSettings();
}

void tmrFlash_Timer() {
    FrmMain& form = frmMain();
    form.lblreadme.setVisible(true);
    form.FlashOn = form.FlashOn ? kFalse : kTrue;
    if (form.FlashOn) {
        form.lblreadme.SetForeColor(kBlack);
        form.pctStats.Cls();
    } else {
        form.lblreadme.SetForeColor(kWhite);
        if (form.pctStats.isVisible()) {
            const int x = form.pctStats.width() / 2 - 72;
            const int y = form.pctStats.height() / 2 - 16;
            form.pctStats.Print("GAME OVER", x, y, kWhite, {"Arial Black", 16, true});
        }
    }
}
