#include "flow/recorder.h"

#include <algorithm>
#include <ctime>

#include "flow/gamestart.h"
#include "game/gamestate.h"
#include "platform/files.h"

namespace {

constexpr std::size_t kNewestKept = 20;
constexpr std::size_t kBestKept = 5;

// A header value must stay one field; one that cannot is left out, and the game reads it as
// missing, just as it reads a value it cannot parse.
bool OneField(const std::string& text) {
    return !text.empty() && text.find_first_of(" \t\r\n") == std::string::npos;
}

}  // namespace

void Recorder::Begin(Start start, const std::string& folder, const std::string& runFile,
                     bool keeps) {
    start_ = std::move(start);
    folder_ = folder;
    keeps_ = keeps;
    if (!folder_.empty()) plat::MakeFolders(folder_);
    if (keeps_) {
        RecoverRecordings(folder_);
        PruneRecordings(folder_, kNewestKept, kBestKept);
    }
    if (!runFile.empty()) run_.Open(runFile, Header(false), false);
}

std::string Recorder::Header(bool ofGame) const {
    std::string header = "# nibbly " NIBBLY_VERSION " recording\n# seed " +
                         std::to_string(start_.seed) + "\n# screen " +
                         std::to_string(start_.screen.first) + " " +
                         std::to_string(start_.screen.second) + "\n";
    std::map<std::string, std::string> settings = start_.settings;
    if (ofGame) {
        // A game starts from the coins and the high score the run had reached.
        settings["GameCoins"] = coins_;
        settings["GameHiScore"] = hiScore_;
    }
    for (const auto& [key, value] : settings) {
        if (OneField(key) && OneField(value)) header += "# setting " + key + " " + value + "\n";
    }
    return ofGame ? header + startLines_ : header;
}

void Recorder::Input(std::int64_t t, const std::string& command) {
    Settle(std::nullopt);
    if (!folder_.empty() && !GameRunning) {
        startLines_ = GameStartLines();
        coins_ = std::to_string(Coins);
        hiScore_ = std::to_string(HiScore);
    }
    waiting_.push_back({t, command});
}

void Recorder::Answered(std::int64_t t, const char* answer) {
    // Before the input that opened the box.
    waiting_.insert(waiting_.end() - (waiting_.empty() ? 0 : 1), {t, std::string("answer ") + answer});
}

void Recorder::AfterTimer(std::int64_t t, bool mainTick) {
    // Another timer that finds the game over runs after the input that ended it.
    Settle(mainTick ? std::optional(t) : std::nullopt);
}

void Recorder::End() {
    Settle(std::nullopt);
    if (gamePart_) EndGame(-1);
    run_.Close();
}

void Recorder::Settle(std::optional<std::int64_t> endedAt) {
    const bool running = GameRunning != 0;
    if (running && !wasRunning_ && !folder_.empty() && !waiting_.empty()) {
        // The waiting input started it.
        gameStart_ = waiting_.back().t;
        gameScore_ = 0;
        gamePart_ = RecordingName{plat::LocalStamp(start_.began + gameStart_ / 1000),
                                  GameMode(NumPlayers, Speed),
                                  plat::ProcessId(), true};
        if (!game_.Open(folder_ + "/" + NameOf(*gamePart_), Header(true), true)) gamePart_.reset();
    }
    for (const Line& line : waiting_) Write(line);
    const std::int64_t last = waiting_.empty() ? 0 : waiting_.back().t;
    waiting_.clear();
    if (gamePart_) gameScore_ = std::max(gameScore_, Game.Score);
    if (!running && wasRunning_ && gamePart_) EndGame(endedAt.value_or(last));
    wasRunning_ = running;
}

void Recorder::Write(const Line& line) {
    run_.Write(std::to_string(line.t) + " " + line.command + "\n");
    if (gamePart_) game_.Write(std::to_string(line.t - gameStart_) + " " + line.command + "\n");
}

void Recorder::EndGame(std::int64_t t) {
    // Just after what ended it: nothing of the game is left at that millisecond.
    if (t >= 0) game_.Write(std::to_string(t - gameStart_ + 1) + " end\n");
    // Renamed while still open and locked: no other start can take it for one cut short.
    if (KeepRecording(folder_, *gamePart_, gameScore_) && keeps_)
        PruneRecordings(folder_, kNewestKept, kBestKept);
    game_.Close();
    gamePart_.reset();
}
