#include "flow/recording.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

Recording::~Recording() {
    if (file_) std::fclose(file_);
}

bool Recording::Open(const std::string& path, const std::string& header) {
    path_ = path;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        std::fprintf(stderr, "nibbly: cannot write the recording %s; playing unrecorded\n",
                     path.c_str());
        return false;
    }
    Write(header);
    return file_ != nullptr;
}

void Recording::Input(const std::string& line) {
    // The previous input can no longer open a box: its lines are final.
    Write(answers_ + input_);
    answers_.clear();
    input_ = line + "\n";
}

void Recording::AnswerBeforeInput(const std::string& line) {
    answers_ += line + "\n";
}

bool Recording::Close() {
    Write(answers_ + input_);
    answers_.clear();
    input_.clear();
    if (!file_) return false;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok) Fail();
    return ok;
}

void Recording::Write(const std::string& text) {
    if (!file_ || text.empty()) return;
    // Flushed at once: a recording survives the program stopping short.
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0)
        Fail();
}

void Recording::Fail() {
    std::fprintf(stderr, "nibbly: cannot write the recording %s; playing unrecorded\n",
                 path_.c_str());
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

std::string RecordingsFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return std::string(data) + "/Nibbly/replays";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/Nibbly/replays";
}

std::string RecordingStamp(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &local);
    return text;
}

void PruneRecordings(const std::string& folder, std::size_t keep) {
    struct Kept {
        std::filesystem::path path;
        long long score;
    };
    std::vector<Kept> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const std::size_t score = name.rfind('_');
        if (entry.path().extension() != ".replay" || score == std::string::npos) continue;
        found.push_back({entry.path(), std::atoll(name.c_str() + score + 1)});
    }
    if (found.size() <= keep) return;
    // The stamp leads the name, so the newest sort last.
    std::sort(found.begin(), found.end(),
              [](const Kept& a, const Kept& b) { return a.path.filename() < b.path.filename(); });
    const auto best = std::max_element(
        found.begin(), found.end(), [](const Kept& a, const Kept& b) { return a.score < b.score; });
    for (auto it = found.begin(); it != found.end() - keep; ++it) {
        if (it != best) std::filesystem::remove(it->path, error);
    }
}
