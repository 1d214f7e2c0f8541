#pragma once
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

// A recording being written: its header, then every input as a script line. The lines of the
// latest input wait for the next one, so a message box's answer, known only once the box
// has closed, can go before the input that opened it. A recording that cannot be written
// costs one line on standard error and is dropped; the game goes on.
class Recording {
  public:
    Recording() = default;
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    // Never through a link or into anything but a regular file. A file that must be new is
    // held locked while it is written, so that no later start takes it for one cut short.
    bool Open(const std::string& path, const std::string& header, bool mustBeNew);
    bool IsOpen() const { return file_ != nullptr; }
    void Input(const std::string& line);
    void AnswerBeforeInput(const std::string& line);
    // Writes what waits and closes the file; false if any of it could not be written.
    bool Close();
    // Closes the file and removes it.
    void Discard();

  private:
    void Write(const std::string& text);
    void Fail();

    std::string path_;
    std::FILE* file_ = nullptr;
    std::string answers_;
    std::string input_;
};

// Where the game keeps its recordings: $XDG_DATA_HOME/Nibbly/replays, by default under
// ~/.local/share.
std::string RecordingsFolder();
// "2026-12-08_19-45-12" for a recording begun at that local time.
std::string RecordingStamp(std::time_t when);

// A recording in that folder, by the stamp of its start: kept, with its score, or still being
// written by a process.
struct RecordingName {
    std::string stamp;
    long long number;  // the score of a kept one, else the writer's process id
    bool partial;
};
// "STAMP_SCORE.replay" kept, "STAMP_PROCESS.part" being written.
std::string NameOf(const RecordingName& recording);
// The recording a file name is, only for names of exactly that form.
std::optional<RecordingName> ParseRecordingName(const std::string& name);

// Keeps each recording of the folder that a crash or a kill cut short, unknown score as 0.
void RecoverRecordings(const std::string& folder);
// Moves a recording being written to its kept name, never over another file.
bool KeepRecording(const std::string& folder, const RecordingName& partial, long long score);
// Keeps the newest `keep` recordings of the folder and the one of the best score; removes the
// rest. Nothing else in the folder is touched or counted.
void PruneRecordings(const std::string& folder, std::size_t keep);
