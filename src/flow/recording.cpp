#include "flow/recording.h"

#include <algorithm>
#include <cctype>
#include <string_view>
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

bool Recording::Close() {
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

std::string NameOf(const RecordingName& recording) {
    const std::string number =
        recording.number == kCutShort ? "cut" : std::to_string(recording.number);
    return recording.stamp + "_" + (recording.mode.empty() ? "" : recording.mode + "_") + number +
           (recording.partial ? ".part" : ".replay");
}

std::string GameMode(int players, int speed) {
    return std::to_string(players) + "P_speed" + std::to_string(speed);
}

std::optional<RecordingName> ParseRecordingName(const std::string& name) {
    // The stamp's and the mode's forms, with 9 for a digit.
    constexpr std::string_view kStamp = "9999-99-99_99-99-99_";
    constexpr std::string_view kMode = "9P_speed9_";
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    const auto matches = [&](std::string_view form, std::size_t at) {
        if (name.size() < at + form.size()) return false;
        for (std::size_t i = 0; i < form.size(); ++i) {
            if (form[i] == '9' ? !digit(name[at + i]) : name[at + i] != form[i]) return false;
        }
        return true;
    };
    const bool partial = name.ends_with(".part");
    const std::size_t suffix = partial ? 5 : name.ends_with(".replay") ? 7 : 0;
    if (suffix == 0 || !matches(kStamp, 0)) return std::nullopt;
    RecordingName recording{name.substr(0, kStamp.size() - 1), "", 0, partial};
    std::size_t at = kStamp.size();
    if (matches(kMode, at)) {
        recording.mode = name.substr(at, kMode.size() - 1);
        at += kMode.size();
        const char players = recording.mode[0];
        const char speed = recording.mode.back();
        if (players < '1' || players > '2' || (speed != '1' && speed != '2' && speed != '4'))
            return std::nullopt;
    }
    if (name.size() <= at + suffix) return std::nullopt;
    const std::string number = name.substr(at, name.size() - at - suffix);
    if (number == "cut" && !recording.mode.empty() && !partial) {
        recording.number = kCutShort;
    } else if (number.size() <= 18 && std::all_of(number.begin(), number.end(), digit)) {
        recording.number = std::stoll(number);
    } else {
        return std::nullopt;
    }
    // Only as the game spells it: no leading zeros, modes it plays, "cut" only where it writes it.
    if (NameOf(recording) != name) return std::nullopt;
    return recording;
}

void RecoverRecordings(const std::string& folder) {
    for (const plat::OwnFile& file : plat::OwnRegularFiles(folder)) {
        const std::optional<RecordingName> recording = ParseRecordingName(file.name);
        // A running copy that shares this folder holds its own locked.
        if (recording && recording->partial && !plat::LockedElsewhere(folder + "/" + file.name))
            KeepRecording(folder, *recording, recording->mode.empty() ? 0 : kCutShort);
    }
}

bool KeepRecording(const std::string& folder, const RecordingName& partial, long long score) {
    const std::string kept = folder + "/" + NameOf({partial.stamp, partial.mode, score, false});
    std::string error;
    if (plat::RenameToNewName(folder + "/" + NameOf(partial), kept, error)) return true;
    std::fprintf(stderr, "nibbly: cannot keep the recording %s: %s\n", kept.c_str(), error.c_str());
    return false;
}

void PruneRecordings(const std::string& folder, std::size_t newest, std::size_t best) {
    struct Kept {
        std::string name;
        long long score;
        bool keep;
    };
    std::vector<Kept> found;
    for (const plat::OwnFile& file : plat::OwnRegularFiles(folder)) {
        const std::optional<RecordingName> recording = ParseRecordingName(file.name);
        if (recording && !recording->partial)
            found.push_back({file.name, recording->number, false});
    }
    if (found.size() <= newest) return;
    // The stamp leads the name, so the newest sort last.
    std::sort(found.begin(), found.end(),
              [](const Kept& a, const Kept& b) { return a.name > b.name; });
    for (std::size_t i = 0; i < newest; ++i) found[i].keep = true;
    // Of equal scores the newer stays.
    std::stable_sort(found.begin(), found.end(),
                     [](const Kept& a, const Kept& b) { return a.score > b.score; });
    for (std::size_t i = 0; i < std::min(best, found.size()); ++i) {
        if (found[i].score != kCutShort) found[i].keep = true;
    }
    for (const Kept& kept : found) {
        if (!kept.keep) plat::RemoveOwnFile(folder, kept.name);
    }
}
