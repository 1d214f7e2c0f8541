#pragma once
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "flow/commandline.h"
#include "flow/recorder.h"
#include "flow/script.h"
#include "platform/timer.h"

class FrmMain;
namespace plat {
class InputWatch;
}
namespace replay {
class Trace;
}  // namespace replay
class Viewer;

// One run of the window on the game clock: recorded by default, or playing a recording
// back; traced on request in either case.
class Session {
  public:
    explicit Session(GameOptions options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Reads the recording to play and opens the trace: the one-line reason when it cannot.
    std::string Prepare();
    bool Replaying() const { return !options_.replay.empty(); }
    // Whether the window went only for a replay to start again in a new one.
    bool Restarting() const;
    // Before the window loads: seed, stored values, timers and input paths.
    void Attach(FrmMain& form);
    // Once it has loaded: time 0.
    void Begin();
    // The key-down path of other devices (controllers).
    void KeyDown(int vk);
    // Ended from outside: as the window system closing the window.
    void End();
    // Before the window goes: its teardown (the focus leaving with it) is no input.
    void Detach();
    // Once the window has gone: the one-line reason when the trace was not written whole.
    std::string TraceError();

  private:
    void Input(const std::string& command);
    void Answered(std::int64_t t, const char* answer);
    void FocusLost();
    void Blur();
    void Unloaded();

    GameOptions options_;
    plat::EventLoopTime realTime_;
    std::unique_ptr<plat::GameClock> clock_;
    FrmMain* form_ = nullptr;
    std::unique_ptr<plat::InputWatch> watch_;
    std::FILE* traceFile_ = nullptr;
    std::unique_ptr<replay::Trace> trace_;
    Recorder recorder_;
    bool blurAfterBox_ = false;
    plat::Timer blurLater_{"blurLater", 0};
    plat::Timer traceOut_{"traceOut", 200, plat::Timer::WhileModal::Run};
    std::unique_ptr<Viewer> viewer_;
};
