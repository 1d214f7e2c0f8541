#pragma once
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "jsonlines.h"

class FrmMain;

namespace sim {

// The trace's events, each read from the program's own state at the moment it is written.
class Trace {
  public:
    explicit Trace(std::FILE* out) : out_(out) {}

    void Tick(std::int64_t t, std::int64_t n);
    void Ready(std::int64_t t, const FrmMain& form);
    void Flash(std::int64_t t, const FrmMain& form);
    void Sound(std::int64_t t, std::string_view name, int flags);
    void MsgBox(std::int64_t t, std::string_view title, std::string_view text,
                std::string_view answer);
    void Open(std::int64_t t, std::string_view target);
    void Random(std::int64_t t, double value);
    void Input(std::int64_t t, std::string_view line);
    // Settings as the store holds them now.
    void End(std::int64_t t, const FrmMain& form);
    void Flush() { out_.Flush(); }

  private:
    JsonLines& Begin(std::string_view ev, std::int64_t t);

    JsonLines out_;
};

}  // namespace sim
