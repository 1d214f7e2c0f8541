#include "flow/recording.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/files.h"

Recording::~Recording() {
    if (file_) std::fclose(file_);
}

bool Recording::Open(const std::string& path, const std::string& header, bool mustBeNew) {
    path_ = path;
    std::string error;
    file_ = plat::OpenOutputFile(path, mustBeNew, error);
    if (file_ && mustBeNew && !plat::HoldLock(file_)) error = "cannot lock it";
    if (!file_ || !error.empty()) {
        std::fprintf(stderr, "nibbly: cannot write the recording %s: %s; playing unrecorded\n",
                     path.c_str(), error.c_str());
        if (file_) Discard();
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

void Recording::Discard() {
    if (!file_) return;
    // Removed while still locked, before any other start could take it.
    plat::RemoveOpenFile(path_, file_);
    std::fclose(file_);
    file_ = nullptr;
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
    return plat::UserDataFolder("Nibbly") + "/replays";
}

std::string RecordingStamp(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &local);
    return text;
}

std::string NameOf(const RecordingName& recording) {
    return recording.stamp + "_" + std::to_string(recording.number) +
           (recording.partial ? ".part" : ".replay");
}

std::optional<RecordingName> ParseRecordingName(const std::string& name) {
    // The stamp's form, with 9 for a digit.
    constexpr std::string_view kStamp = "9999-99-99_99-99-99_";
    const bool partial = name.ends_with(".part");
    const std::size_t suffix = partial ? 5 : name.ends_with(".replay") ? 7 : 0;
    const std::size_t digits = name.size() - kStamp.size() - suffix;
    if (suffix == 0 || name.size() <= kStamp.size() + suffix || digits > 18) return std::nullopt;
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    for (std::size_t i = 0; i < kStamp.size(); ++i) {
        if (kStamp[i] == '9' ? !digit(name[i]) : name[i] != kStamp[i]) return std::nullopt;
    }
    const std::string number = name.substr(kStamp.size(), digits);
    if (!std::all_of(number.begin(), number.end(), digit)) return std::nullopt;
    RecordingName recording{name.substr(0, kStamp.size() - 1), std::stoll(number), partial};
    // Only as the game spells it: no leading zeros.
    if (NameOf(recording) != name) return std::nullopt;
    return recording;
}

void RecoverRecordings(const std::string& folder) {
    for (const plat::OwnFile& file : plat::OwnRegularFiles(folder)) {
        const std::optional<RecordingName> recording = ParseRecordingName(file.name);
        // A running copy that shares this folder holds its own locked.
        if (recording && recording->partial && !plat::LockedElsewhere(folder + "/" + file.name))
            KeepRecording(folder, *recording, 0);
    }
}

bool KeepRecording(const std::string& folder, const RecordingName& partial, long long score) {
    const std::string kept = folder + "/" + NameOf({partial.stamp, score, false});
    std::string error;
    if (plat::RenameToNewName(folder + "/" + NameOf(partial), kept, error)) return true;
    std::fprintf(stderr, "nibbly: cannot keep the recording %s: %s\n", kept.c_str(), error.c_str());
    return false;
}

void PruneRecordings(const std::string& folder, std::size_t keep) {
    struct Kept {
        std::string name;
        long long score;
    };
    std::vector<Kept> found;
    for (const plat::OwnFile& file : plat::OwnRegularFiles(folder)) {
        const std::optional<RecordingName> recording = ParseRecordingName(file.name);
        if (recording && !recording->partial) found.push_back({file.name, recording->number});
    }
    if (found.size() <= keep) return;
    // The stamp leads the name, so the newest sort last.
    std::sort(found.begin(), found.end(),
              [](const Kept& a, const Kept& b) { return a.name < b.name; });
    const auto best = std::max_element(
        found.begin(), found.end(), [](const Kept& a, const Kept& b) { return a.score < b.score; });
    std::error_code error;
    for (auto it = found.begin(); it != found.end() - static_cast<std::ptrdiff_t>(keep); ++it) {
        if (it != best) std::filesystem::remove(folder + "/" + it->name, error);
    }
}
