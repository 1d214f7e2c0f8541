#include "flow/scriptwords.h"

#include <algorithm>

#include "platform/desktop.h"
#include "platform/keyboard.h"
#include "shell/frmmain.h"

namespace replay {

namespace {

template <typename Row, std::size_t N>
const Row* Find(const std::array<Row, N>& rows, std::string_view name) {
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [&](const Row& row) { return row.name == name; });
    return found == rows.end() ? nullptr : &*found;
}

}  // namespace

const std::array<Arrow, 4> kArrows = {{
    {'U', plat::vbKeyUp},
    {'D', plat::vbKeyDown},
    {'L', plat::vbKeyLeft},
    {'R', plat::vbKeyRight},
}};

const std::array<KeyWord, 9> kKeys = {{
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

const std::array<ControlWord, 12> kControls = {{
    {"XPButton1", [](FrmMain& f) -> QWidget& { return f.XPButton1; }},
    {"XPButton2", [](FrmMain& f) -> QWidget& { return f.XPButton2; }},
    {"XPButton3", [](FrmMain& f) -> QWidget& { return f.XPButton3; }},
    {"XPButton4", [](FrmMain& f) -> QWidget& { return f.XPButton4; }},
    {"XPButton5", [](FrmMain& f) -> QWidget& { return f.XPButton5; }},
    {"XPButton6", [](FrmMain& f) -> QWidget& { return f.XPButton6; }},
    {"XPButton7", [](FrmMain& f) -> QWidget& { return f.XPButton7; }},
    {"XPButton8", [](FrmMain& f) -> QWidget& { return f.XPButton8; }},
    {"Option1(0)", [](FrmMain& f) -> QWidget& { return f.Option1(0); }},
    {"Option1(1)", [](FrmMain& f) -> QWidget& { return f.Option1(1); }},
    {"Imclose", [](FrmMain& f) -> QWidget& { return f.Imclose; }},
    {"LbBR", [](FrmMain& f) -> QWidget& { return f.LbBR; }},
}};

const std::array<Answer, 4> kAnswers = {{
    {"yes", plat::vbYes},
    {"no", plat::vbNo},
    {"cancel", plat::vbCancel},
    {"ok", plat::vbOK},
}};

const std::array<StateWord, 14> kStates = {{
    {"CurPlayer", 1}, {"NumPlayers", 1}, {"Game", 20}, {"Players(0)", 20}, {"Players(1)", 20},
    {"Ghosts(1)", 10}, {"Ghosts(2)", 10}, {"Ghosts(3)", 10}, {"Ghosts(4)", 10},
    {"Sprites(0)", 6}, {"Sprites(1)", 6}, {"Sprites(2)", 6}, {"Sprites(3)", 6}, {"Sprites(4)", 6},
}};

const char* KeyName(int vk) {
    for (const KeyWord& key : kKeys) {
        if (key.vk == vk) return key.name.data();
    }
    return nullptr;
}

const KeyWord* FindKey(std::string_view name) {
    return Find(kKeys, name);
}

const ControlWord* FindControl(std::string_view name) {
    return Find(kControls, name);
}

const char* AnswerName(int result) {
    for (const Answer& answer : kAnswers) {
        if (answer.result == result) return answer.name;
    }
    return "ok";
}

const StateWord* FindState(std::string_view name) {
    return Find(kStates, name);
}

const Answer* FindAnswer(std::string_view name) {
    return Find(kAnswers, name);
}

}  // namespace replay
