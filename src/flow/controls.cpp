#include "flow/controls.h"

#include <optional>

#include "flow/roundflow.h"
#include "game/bassetup.h"
#include "game/gamestate.h"
#include "platform/desktop.h"
#include "platform/keyboard.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "shell/frmmain.h"
#include "shell/links.h"

namespace {

const char* SpeedCaption() {
    switch (Speed) {
        case 2:
            return "加快速度";
        case 4:
            return "疯狂速度";
        default:
            return "默认速度";
    }
}

std::optional<plat::StandStill> paused;

void StartFromKey(int option, int coinsNeeded) {
    if (Coins < coinsNeeded || GameRunning) return;
    frmMain().Option1(option).SetValue(true);
    XPButton4_Click();
}

}  // namespace

std::string InstructionsText() {
    const char* lines[] = {
        "操作说明",
        "",
        "请按“开始游戏”按钮或",
        "按数字键“1”或“2”开始游戏",
        "按方向键控制小精灵的移动方向",
        "",
        "单人游戏需要1个游戏币",
        "双人游戏需要2个游戏币",
        "如果游戏币不够，请按“投币”按钮",
    };
    std::string text;
    for (const char* line : lines) text += std::string(line) + "\r\n";
    return text + "\r\n\r\n";
}

void ShowCoins() {
    frmMain().lblCoins.SetCaption(Coins == 1 ? "1 个币" : std::to_string(Coins) + " 个币");
}

void ShowModes() {
    frmMain().lblTitle.SetCaption(DefaultMode ? "默认模式" : "初始模式");
    frmMain().lblSpeed.SetCaption(SpeedCaption());
}

void XPButton1_Click() {
    if (Coins > 98) return;
    ++Coins;
    PlaySound("fruiteat", plat::SND_ASYNC);
    ShowCoins();
}

void XPButton2_Click() {
    if (GameRunning) return;
    DefaultMode = DefaultMode ? kFalse : kTrue;
    ShowModes();
}

void XPButton3_Click() {
    if (GameRunning) return;
    Speed = static_cast<std::int16_t>(Speed * 2);
    if (Speed == 8) Speed = 1;
    ShowModes();
}

void XPButton4_Click() {
    FrmMain& form = frmMain();
    int cost = 0;
    if (!GameRunning && Coins >= 1 && form.Option1(0).Value()) {
        NumPlayers = 1;
        cost = 1;
    } else if (!GameRunning && Coins >= 2 && form.Option1(1).Value()) {
        NumPlayers = 2;
        cost = 2;
        CurPlayer = 0;
        Players[1].Lives = 3;
        Players[1].NewLevel = kTrue;
    } else {
        return;
    }
    form.XPButton2.setEnabled(false);
    form.XPButton3.setEnabled(false);
    form.XPButton4.setEnabled(false);
    form.Option1(0).setEnabled(false);
    form.Option1(1).setEnabled(false);
    form.XPButton8.setEnabled(true);
    // Taken only once the pictures have been read: a game that cannot start costs nothing.
    if (!StartGame()) return;
    form.pctStats.setVisible(true);
    Coins = static_cast<std::int16_t>(Coins - cost);
    ShowCoins();
    GameRunning = kTrue;
}

void XPButton5_Click() {
    plat::MsgBox(std::string("经典的“") + kAppTitle + "”游戏。\r\n\r\n详情请登陆程序官方网站 " +
                     kSiteUrl + " ",
                 plat::vbOKOnly | plat::vbInformation, std::string("关于 ") + kAppTitle);
}

void XPButton6_Click() {
    plat::ShellExecute(kProductPageUrl);
}

void XPButton7_Click() {
    frmMain().ConfirmClose();
}

void XPButton8_Click() {
    if (!GameRunning) return;
    const int answer =
        plat::MsgBox("你确定要放弃当前并准备开始新游戏吗？",
                     plat::vbYesNoCancel | plat::vbQuestion | plat::vbDefaultButton2, kAppTitle);
    if (answer == plat::vbYes) ShowIdle();
}

void TogglePause() {
    if (paused) {
        EndPause();
    } else {
        PauseGame();
    }
}

void PauseGame() {
    if (!GameRunning || paused) return;
    paused.emplace();
    plat::CutSound();
    FrmMain& form = frmMain();
    form.lblReady.setVisible(false);
    form.lblPaused.setVisible(true);
}

void EndPause() {
    if (!paused) return;
    paused.reset();
    FrmMain& form = frmMain();
    form.lblPaused.setVisible(false);
    form.lblReady.setVisible(true);
}

void ToggleMute() {
    SetMute(!Muted());
}

void SetMute(bool mute) {
    plat::SetSoundMuted(mute);
    frmMain().SetTitleMark(mute ? "静音" : "");
}

bool Muted() {
    return plat::SoundMuted();
}

void Form_KeyDown(int keyCode) {
    if (keyCode == plat::vbKeyP) TogglePause();
    if (keyCode == plat::vbKeyM) ToggleMute();
    // Presentation only, as muting is: no game time passes and nothing is recorded.
    if (keyCode == plat::vbKeyF11) frmMain().SetFullScreen(!frmMain().FullScreen());
    if (keyCode == plat::vbKeyEscape) XPButton8_Click();
    if (keyCode == plat::vbKeyE) XPButton2_Click();
    if (keyCode == plat::vbKeyS) XPButton3_Click();
    if (keyCode == plat::vbKeyI) XPButton1_Click();
    if (keyCode == plat::vbKey1 || keyCode == plat::vbKeyNumpad1) StartFromKey(0, 1);
    if (keyCode == plat::vbKey2 || keyCode == plat::vbKeyNumpad2) StartFromKey(1, 2);
}
