#pragma once
#include <cstdint>
#include <cstdio>
#include <ctime>
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

    bool Open(const std::string& path, const std::string& header);
    bool IsOpen() const { return file_ != nullptr; }
    void Input(const std::string& line);
    void AnswerBeforeInput(const std::string& line);
    // Writes what waits and closes the file; false if any of it could not be written.
    bool Close();

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
// Keeps the newest `keep` recordings of the folder (named stamp_score.replay) and the one
// of the best score; removes the rest.
void PruneRecordings(const std::string& folder, std::size_t keep);
