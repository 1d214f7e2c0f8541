#include "flow/startup.h"

#include <string>

#include "flow/controls.h"
#include "flow/gamestate.h"
#include "flow/roundflow.h"
#include "flow/tick.h"
#include "platform/settings.h"
#include "shell/frmmain.h"
#include "shell/links.h"
#include "shell/settings.h"

namespace {

constexpr const char* kSection = "SetLog";

std::int32_t ReadSetting(const char* key, std::int32_t fallback, std::int32_t min,
                         std::int32_t max) {
    const std::string text = plat::GetSetting(kAppTitle, kSection, key, std::to_string(fallback));
    return ParseSetting(text, min, max).value_or(fallback);
}

}  // namespace

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
    form.OnUnload = StoreSettings;
}

void LoadMainWindow(FrmMain& form) {
    ConnectMainWindow(form);

    form.lblreadme.SetCaption(InstructionsText());
    Coins = static_cast<std::int16_t>(ReadSetting("GameCoins", 9, 0, 99));
    ShowCoins();
    HiScore = ReadSetting("GameHiScore", 1000, 0, INT32_MAX);
    form.lblHiscore.SetCaption(std::to_string(HiScore));
    form.Load();

    InitGameState();
    form.tmrFlash.SetEnabled(true);
}

void StoreSettings() {
    const FrmMain& form = frmMain();
    plat::SaveSetting(kAppTitle, kSection, "frmMainX", std::to_string(form.LeftTwips()));
    plat::SaveSetting(kAppTitle, kSection, "frmMainY", std::to_string(form.TopTwips()));
    plat::SaveSetting(kAppTitle, kSection, "GameCoins", std::to_string(Coins));
    plat::SaveSetting(kAppTitle, kSection, "GameHiScore", std::to_string(HiScore));
}
