#pragma once
#include <array>
#include <cstddef>
#include <string_view>

class FrmMain;
class QWidget;

namespace replay {

// The words of the game's scripts, one row each: the reader checks lines against them, the
// delivery acts on them and the recorder writes them, so a new word is one row.

// The arrows, by letter.
struct Arrow {
    char letter;
    int vk;
};
extern const std::array<Arrow, 4> kArrows;

// The keys of `key`, by name.
struct KeyWord {
    std::string_view name;
    int vk;
};
extern const std::array<KeyWord, 9> kKeys;
// The script's name of a key of the key map or F1; nullptr for any other key.
const char* KeyName(int vk);
const KeyWord* FindKey(std::string_view name);

// The controls of `click`, by name, with the window's element each names.
struct ControlWord {
    std::string_view name;
    QWidget& (*element)(FrmMain& form);
};
extern const std::array<ControlWord, 12> kControls;
const ControlWord* FindControl(std::string_view name);

// A message box's answer: its name in scripts and traces, and the value the box returns.
struct Answer {
    const char* name;
    int result;
};
extern const std::array<Answer, 4> kAnswers;
// The name of a box's returned value.
const char* AnswerName(int result);
const Answer* FindAnswer(std::string_view name);

// The records a recording's `# state` lines carry, by name, with their number of fields.
struct StateWord {
    std::string_view name;
    std::size_t fields;
};
extern const std::array<StateWord, 14> kStates;
const StateWord* FindState(std::string_view name);

}  // namespace replay
