#include "flow/storedsettings.h"

#include <string>

#include "flow/controls.h"
#include "game/gamestate.h"
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

void ReadStoredSettings() {
    Coins = static_cast<std::int16_t>(ReadSetting("GameCoins", 9, 0, 99));
    HiScore = ReadSetting("GameHiScore", 1000, 0, INT32_MAX);
    // Anything but 1, a damaged value included, is off.
    const auto chosen = [](const char* key) {
        return plat::GetSetting(kAppTitle, kChoicesSection, key, "0") == "1";
    };
    SetMute(chosen("Muted"));
    frmMain().SetFullScreen(chosen("Fullscreen"));
}

void StoreSettings() {
    const FrmMain& form = frmMain();
    plat::SaveSettings(kAppTitle, kSection,
                       {{"frmMainX", std::to_string(form.LeftTwips())},
                        {"frmMainY", std::to_string(form.TopTwips())},
                        {"GameCoins", std::to_string(Coins)},
                        {"GameHiScore", std::to_string(HiScore)}});
    plat::SaveSettings(
        kAppTitle, kChoicesSection,
        {{"Muted", Muted() ? "1" : "0"}, {"Fullscreen", form.FullScreen() ? "1" : "0"}});
}
