#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "flow/jsonlines.h"

class FrmMain;

namespace replay {

// The trace's events, each read from the program's own state at the moment it is written.
class Trace {
  public:
    // Without a file (none asked for) it does nothing.
    explicit Trace(std::FILE* out) : out_(out), off_(out == nullptr), quiet_(off_) {}

    // After a timer's event: the line of the main tick, a ready or an idle step.
    void AfterTimer(std::int64_t t, const std::string& timer, const FrmMain& form);
    // A sound by the path the game played it from.
    void Sound(std::int64_t t, std::string_view path, int flags);
    void MsgBox(std::int64_t t, std::string_view title, std::string_view text,
                std::string_view answer);
    void Open(std::int64_t t, std::string_view target);
    void Random(std::int64_t t, double value);
    void Input(std::int64_t t, std::string_view line);
    // An input written later than it is delivered: it goes before the last input marked.
    void MarkInput() {
        if (!quiet_) out_.Pin();
    }
    void InputBeforeMark(std::int64_t t, std::string_view line);
    // Settings as the store holds them now.
    void End(std::int64_t t, const FrmMain& form);
    void Flush() {
        if (!off_) out_.Flush();
    }
    // What can no longer change goes out now: a trace watched as it is written.
    void FlushFinal() {
        if (!off_) out_.FlushFinal();
    }
    // Quiet, nothing is written (a replay running ahead to where it was asked to go); counting
    // the ticks anew follows a replay started again.
    void Quiet(bool quiet) { quiet_ = quiet || off_; }
    void CountAnew() { ticks_ = 0; }

  private:
    JsonLines& Begin(std::string_view ev, std::int64_t t);

    JsonLines out_;
    std::int64_t ticks_ = 0;
    bool off_;
    bool quiet_;
};

}  // namespace replay
