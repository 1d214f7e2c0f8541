#include "flow/scriptinput.h"

#include <vector>

#include "platform/desktop.h"
#include "platform/inputwatch.h"
#include "platform/keyboard.h"
#include "shell/frmmain.h"

namespace replay {

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
    if (const KeyWord* key = FindKey(name))
        plat::SendKey(*form_.KeyReceiver(), key->vk, [this] { return !form_.Unloading(); });
}

void ScriptInput::Click(std::string_view control) {
    if (const ControlWord* word = FindControl(control))
        plat::SendClick(word->element(form_), [this] { return !form_.Unloading(); });
}

Answer ScriptInput::AnswerBox(int style) {
    std::vector<Answer> buttons;
    switch (style & 0xF) {
        case plat::vbYesNo:
            buttons = {*FindAnswer("yes"), *FindAnswer("no")};
            break;
        case plat::vbYesNoCancel:
            buttons = {*FindAnswer("yes"), *FindAnswer("no"), *FindAnswer("cancel")};
            break;
        default:
            buttons = {*FindAnswer("ok")};
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

}  // namespace replay
