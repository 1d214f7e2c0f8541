#pragma once
#include <array>
#include <deque>
#include <string>
#include <string_view>

#include "flow/scriptwords.h"
#include "flow/script.h"

class FrmMain;

namespace replay {

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

}  // namespace replay
