#pragma once
#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "flow/recording.h"

// Writes the window's inputs as script lines: every game to a file of its own in the recordings
// folder, each from its start command to its end with the header it needs to replay alone, and,
// when asked, the whole run to one file. The lines of the latest input wait for the next event,
// so that a message box's answer, known only once the box has closed, goes before the input
// that opened it, and so that the input a game began or ended with is known as such.
class Recorder {
  public:
    struct Start {
        std::uint32_t seed;
        std::pair<int, int> screen;                                 // pixels
        std::map<std::string, std::string> settings;  // as stored at the start
        std::time_t began;                            // the wall clock at time 0
    };
    Recorder() = default;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Either folder or runFile may be empty: no games' files, or no run's file. A folder the
    // game keeps is first cleared of what earlier runs left: those cut short are kept, the
    // oldest go.
    void Begin(Start start, const std::string& folder, const std::string& runFile, bool keeps);
    // Before the input at t runs.
    void Input(std::int64_t t, const std::string& command);
    // The answer to a box that the latest input opened.
    void Answered(std::int64_t t, const char* answer);
    // After a timer at t has run; the main tick is the only one that can end a game.
    void AfterTimer(std::int64_t t, bool mainTick);
    // The window has gone: what waits is written and the files are closed.
    void End();

  private:
    struct Line {
        std::int64_t t;
        std::string command;
    };
    std::string Header(bool ofGame) const;
    // Writes what waits, opening a game's file at its start and closing it at its end. The end
    // came at t, or with the waiting input.
    void Settle(std::optional<std::int64_t> endedAt);
    void Write(const Line& line);
    void EndGame(std::int64_t t);

    Start start_;
    std::string folder_;
    bool keeps_ = false;
    Recording run_;
    // Waiting: the answers, the input, and the game's start lines as they stood before it.
    std::vector<Line> waiting_;
    std::string startLines_;
    std::string coins_, hiScore_;
    bool wasRunning_ = false;
    // The game being written.
    Recording game_;
    std::optional<RecordingName> gamePart_;
    std::int64_t gameStart_ = 0;
    std::int32_t gameScore_ = 0;
};
