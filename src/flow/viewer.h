#pragma once
#include <cstdint>
#include <deque>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "flow/script.h"
#include "platform/timer.h"

class FrmMain;
namespace plat {
class InputWatch;
}
namespace replay {
class ScriptInput;
class Trace;
}  // namespace replay

// Watching a recording in the window: its lines go to the game clock as timed inputs, through
// the same delivery as the simulator's. Space pauses, the arrows and the page keys jump, Home
// and End go to the start and the last second, up and down step the speed. A jump forward runs
// the game on to its target at once; a jump back starts it again, in a new window in the old
// one's place, and runs it to the target before it is shown, so that either shows exactly what
// watching straight through shows there. At the end the last picture stays, paused.
class Viewer {
  public:
    explicit Viewer(std::string path);
    ~Viewer();
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    // Reads the recording whole, once: the one-line reason when it is none.
    std::string Prepare();
    // Before each window loads: its stored values, seed and input paths.
    void Attach(FrmMain& form, plat::GameClock& clock, plat::InputWatch& watch, replay::Trace& trace);
    // Once it has loaded: from the start, or on to where a jump back asked for.
    void Begin();
    // Whether the window went only to be started again.
    bool Restarting() const { return restartAt_.has_value(); }

  private:
    void Rewind();
    void ReadAhead();
    void DeliverNext();
    void Key(int vk, bool repeat);
    void Act(int vk, bool repeat);
    void JumpTo(std::int64_t target);
    void Pause(bool paused);
    // The clock stands still while paused by the player or at the end.
    void HoldStill();
    void ShowStatus();

    std::string path_;
    std::ifstream file_;
    std::unique_ptr<replay::ScriptReader> reader_;
    std::optional<replay::ScriptLine> next_;  // none past the last line
    replay::Header header_;
    std::int64_t endTime_ = 1;
    FrmMain* form_ = nullptr;
    plat::GameClock* clock_ = nullptr;
    replay::Trace* trace_ = nullptr;
    std::unique_ptr<replay::ScriptInput> input_;
    bool atEnd_ = false;
    bool paused_ = false;  // by the player
    std::optional<plat::StandStill> still_;
    int speed_ = 2;        // of kSpeeds
    std::optional<std::int64_t> restartAt_;
    plat::Timer status_{"replayStatus", 250, plat::Timer::WhileModal::Run};
    // Keys that came while the game was inside an event (a sound played to its end) wait for
    // it to finish.
    std::deque<std::pair<int, bool>> keys_;
    plat::Timer keysLater_{"replayKeys", 10, plat::Timer::WhileModal::Run};
};
