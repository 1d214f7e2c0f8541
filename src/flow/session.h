#pragma once
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "flow/commandline.h"
#include "flow/recording.h"
#include "flow/simscript.h"
#include "platform/timer.h"

class FrmMain;
namespace plat {
class InputWatch;
}
namespace sim {
class ScriptInput;
class Trace;
}  // namespace sim

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
    void ReadAhead();
    void DeliverNext();
    void Unloaded();

    GameOptions options_;
    plat::EventLoopTime realTime_;
    plat::GameClock clock_{realTime_};
    FrmMain* form_ = nullptr;
    std::unique_ptr<plat::InputWatch> watch_;
    std::FILE* traceFile_ = nullptr;
    std::unique_ptr<sim::Trace> trace_;
    // Recording.
    Recording recording_;
    // In the recordings folder until the score is known; kept only when a game was played.
    std::optional<RecordingName> recordingPart_;
    std::string recordingsFolder_;
    bool gamePlayed_ = false;
    std::int32_t bestScore_ = 0;
    bool blurAfterBox_ = false;
    plat::Timer blurLater_{"blurLater", 0};
    // Replaying: checked whole before it starts, then read again as it plays.
    std::ifstream replayFile_;
    std::unique_ptr<sim::ScriptReader> replay_;
    std::optional<sim::ScriptLine> nextLine_;  // none past the last line
    bool replayEnded_ = false;
    sim::Header header_;
    std::int64_t endTime_ = 1;
    std::unique_ptr<sim::ScriptInput> input_;
};
