#pragma once
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

// A recording's file being written: never through a link or into anything but a regular file,
// flushed at every write so that it survives the program stopping short. A file that cannot be
// written costs one line on standard error and is dropped; the game goes on.
class Recording {
  public:
    Recording() = default;
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    // A file that must be new is held locked while it is written, so that no later start takes
    // it for one cut short.
    bool Open(const std::string& path, const std::string& header, bool mustBeNew);
    bool IsOpen() const { return file_ != nullptr; }
    void Write(const std::string& text);
    // False if any of it could not be written.
    bool Close();
    // Closes the file and removes it.
    void Discard();

  private:
    void Fail();

    std::string path_;
    std::FILE* file_ = nullptr;
};

// Where the game keeps its recordings: $XDG_DATA_HOME/Nibbly/replays, by default under
// ~/.local/share.
std::string RecordingsFolder();

// A recording in that folder, by the stamp of its start and the game's mode: kept, with its
// score, kept from a run cut short, or still being written by a process.
struct RecordingName {
    std::string stamp;
    std::string mode;  // "1P_speed1"; empty in the names of runs of earlier versions
    long long number;  // the score of a kept one, the writer's process id, or kCutShort
    bool partial;
};
inline constexpr long long kCutShort = -1;
// "STAMP_MODE_SCORE.replay" kept, "STAMP_MODE_cut.replay" kept from a run cut short,
// "STAMP_MODE_PROCESS.part" being written.
std::string NameOf(const RecordingName& recording);
// "1P_speed1" for a game of one player at speed 1.
std::string GameMode(int players, int speed);
// The recording a file name is, only for names of exactly that form.
std::optional<RecordingName> ParseRecordingName(const std::string& name);

// Keeps each recording of the folder that a crash or a kill cut short.
void RecoverRecordings(const std::string& folder);
// Moves a recording being written to its kept name, never over another file.
bool KeepRecording(const std::string& folder, const RecordingName& partial, long long score);
// Keeps the newest `newest` recordings of the folder and those of the `best` best scores;
// removes the rest. Nothing else in the folder is touched or counted.
void PruneRecordings(const std::string& folder, std::size_t newest, std::size_t best);
