#pragma once
#include <array>
#include <deque>
#include <string>
#include <string_view>

#include "flow/simscript.h"

class FrmMain;

namespace sim {

// A message box's answer: its name in scripts and traces, and the value the box returns.
struct Answer {
    const char* name;
    int result;
};
// The script's letters of the arrow keys.
struct Arrow {
    char letter;
    int vk;
};
extern const std::array<Arrow, 4> kArrows;
// The script's name of a key of the key map or F1; nullptr for any other key.
const char* KeyName(int vk);
// The name of a box's returned value.
const char* AnswerName(int result);

// Hands script lines to the main window the way a person's input reaches it: arrows to the
// polled key state, keys to the focused control, clicks through each control's own input
// path. Message boxes take the queued answers (AnswerBox).
class ScriptInput {
  public:
    explicit ScriptInput(FrmMain& form) : form_(form) {}
    ScriptInput(const ScriptInput&) = delete;
    ScriptInput& operator=(const ScriptInput&) = delete;

    void Deliver(const ScriptLine& line);
    // The next queued answer if it names one of the box's buttons, else its default button.
    Answer AnswerBox(int style);

  private:
    void Hold(std::string_view keys);
    void Tap(char letter);
    void Key(std::string_view name);
    void Click(std::string_view control);

    FrmMain& form_;
    std::deque<std::string> answers_;
};

}  // namespace sim
