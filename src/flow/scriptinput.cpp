#include "flow/scriptinput.h"

#include <vector>

#include "platform/desktop.h"
#include "platform/inputwatch.h"
#include "platform/keyboard.h"
#include "shell/frmmain.h"

namespace sim {

const std::array<Arrow, 4> kArrows = {{
    {'U', plat::vbKeyUp},
    {'D', plat::vbKeyDown},
    {'L', plat::vbKeyLeft},
    {'R', plat::vbKeyRight},
}};

namespace {

struct KeySpec {
    std::string_view name;
    int vk;
};
constexpr std::array<KeySpec, 9> kKeys = {{
    {"Escape", plat::vbKeyEscape},
    {"E", plat::vbKeyE},
    {"S", plat::vbKeyS},
    {"I", plat::vbKeyI},
    {"1", plat::vbKey1},
    {"2", plat::vbKey2},
    {"KP1", plat::vbKeyNumpad1},
    {"KP2", plat::vbKeyNumpad2},
    {"F1", plat::vbKeyF1},
}};

}  // namespace

const char* KeyName(int vk) {
    for (const KeySpec& entry : kKeys) {
        if (entry.vk == vk) return entry.name.data();
    }
    return nullptr;
}

const char* AnswerName(int result) {
    switch (result) {
        case plat::vbYes:
            return "yes";
        case plat::vbNo:
            return "no";
        case plat::vbCancel:
            return "cancel";
        default:
            return "ok";
    }
}

void ScriptInput::Deliver(const ScriptLine& line) {
    switch (line.command) {
        case Command::Hold:
            Hold(line.argument);
            break;
        case Command::Tap:
            Tap(line.argument[0]);
            break;
        case Command::Key:
            Key(line.argument);
            break;
        case Command::Click:
            Click(line.argument);
            break;
        case Command::Answer:
            answers_.push_back(line.argument);
            break;
        case Command::Blur:
            plat::ReleaseAllKeys();
            break;
        case Command::End:
            form_.Unload();
            break;
    }
}

void ScriptInput::Hold(std::string_view keys) {
    for (const Arrow& arrow : kArrows) {
        const bool wanted = keys.find(arrow.letter) != std::string_view::npos;
        const bool held = plat::KeyHeld(arrow.vk);
        // A key that stays down is not pressed again: that would latch it anew.
        if (wanted && !held) plat::KeyPressed(arrow.vk);
        if (!wanted && held) plat::KeyReleased(arrow.vk);
    }
}

void ScriptInput::Tap(char letter) {
    for (const Arrow& arrow : kArrows) {
        if (arrow.letter != letter) continue;
        const bool held = plat::KeyHeld(arrow.vk);
        plat::KeyPressed(arrow.vk);
        if (!held) plat::KeyReleased(arrow.vk);
    }
}

void ScriptInput::Key(std::string_view name) {
    for (const KeySpec& entry : kKeys) {
        if (entry.name == name) {
            plat::SendKey(*form_.KeyReceiver(), entry.vk, [this] { return !form_.Unloading(); });
        }
    }
}

void ScriptInput::Click(std::string_view control) {
    FrmMain& form = form_;
    QWidget* target = nullptr;
    XPButton* buttons[] = {&form.XPButton1, &form.XPButton2, &form.XPButton3, &form.XPButton4,
                           &form.XPButton5, &form.XPButton6, &form.XPButton7, &form.XPButton8};
    if (control == "Option1(0)") {
        target = &form.Option1(0);
    } else if (control == "Option1(1)") {
        target = &form.Option1(1);
    } else if (control == "Imclose") {
        target = &form.Imclose;
    } else if (control == "LbBR") {
        target = &form.LbBR;
    } else {
        target = buttons[control.back() - '1'];
    }
    plat::SendClick(*target, [this] { return !form_.Unloading(); });
}

Answer ScriptInput::AnswerBox(int style) {
    std::vector<Answer> buttons;
    switch (style & 0xF) {
        case plat::vbYesNo:
            buttons = {{"yes", plat::vbYes}, {"no", plat::vbNo}};
            break;
        case plat::vbYesNoCancel:
            buttons = {{"yes", plat::vbYes}, {"no", plat::vbNo}, {"cancel", plat::vbCancel}};
            break;
        default:
            buttons = {{"ok", plat::vbOK}};
    }
    const bool second = (style & plat::vbDefaultButton2) && buttons.size() > 1;
    Answer chosen = buttons[second ? 1 : 0];
    if (!answers_.empty()) {
        // An answer naming none of the buttons is used up all the same.
        for (const Answer& button : buttons) {
            if (answers_.front() == button.name) chosen = button;
        }
        answers_.pop_front();
    }
    return chosen;
}

}  // namespace sim
