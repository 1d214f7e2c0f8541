#include "flow/viewer.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "flow/gamestart.h"
#include "flow/scriptinput.h"
#include "flow/trace.h"
#include "flow/storedsettings.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/inputwatch.h"
#include "platform/keyboard.h"
#include "platform/random.h"
#include "platform/settings.h"
#include "platform/sound.h"
#include "shell/frmmain.h"
#include "shell/links.h"

namespace {

struct Speed {
    int quarters;  // of real time
    const char* name;
};
constexpr std::array<Speed, 7> kSpeeds = {{
    {1, "¼×"}, {2, "½×"}, {4, "1×"}, {8, "2×"}, {16, "4×"}, {32, "8×"}, {64, "16×"}}};

std::string Clock(std::int64_t ms) {
    const std::int64_t seconds = std::max<std::int64_t>(ms, 0) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

}  // namespace

Viewer::Viewer(std::string path) : path_(std::move(path)) {
    status_.OnTimer = [this] { ShowStatus(); };
    keysLater_.OnTimer = [this] {
        if (clock_->Busy()) return;
        keysLater_.SetEnabled(false);
        while (!keys_.empty() && !restartAt_) {
            const auto [vk, repeat] = keys_.front();
            keys_.pop_front();
            Act(vk, repeat);
        }
        keys_.clear();
    };
}

Viewer::~Viewer() = default;

std::string Viewer::Prepare() {
    std::string error = plat::OpenToReadTwice(path_, replay::kMaxScriptBytes, file_);
    if (error.empty()) error = replay::CheckScript(file_, endTime_, header_);
    if (!error.empty()) return path_ + ": " + error;
    if (header_.version && *header_.version != NIBBLY_VERSION) {
        std::fprintf(stderr, "nibbly: %s was recorded by nibbly %s; this is nibbly %s, so it may play "
                     "differently\n", path_.c_str(), header_.version->c_str(), NIBBLY_VERSION);
    }
    Rewind();
    return {};
}

void Viewer::Rewind() {
    file_.clear();
    file_.seekg(0);
    reader_ = std::make_unique<replay::ScriptReader>(file_);
    next_.reset();
    atEnd_ = false;
}

void Viewer::Attach(FrmMain& form, plat::GameClock& clock, plat::InputWatch& watch,
                    replay::Trace& trace) {
    form_ = &form;
    clock_ = &clock;
    trace_ = &trace;
    if (restartAt_) Rewind();
    // Watching changes nothing the player keeps; it sounds and shows as the player chose, and
    // a window started again stays where the last one was.
    const auto choices = plat::GetAllSettings(kAppTitle, kChoicesSection);
    const auto place = plat::GetAllSettings(kAppTitle, "SetLog");
    plat::UseMemorySettings();
    plat::SaveSettings(kAppTitle, kChoicesSection, choices);
    for (const auto& [key, value] : header_.settings) plat::SaveSetting(kAppTitle, "SetLog", key, value);
    if (restartAt_) {
        for (const char* key : {"frmMainX", "frmMainY"}) {
            if (const auto found = place.find(key); found != place.end())
                plat::SaveSetting(kAppTitle, "SetLog", key, found->second);
        }
    }
    plat::Randomize(header_.seed.value_or(plat::RandomSeed()));
    plat::ReleaseAllKeys();
    input_ = std::make_unique<replay::ScriptInput>(form);
    watch.blocking = true;
    watch.stopControl = &form.Imclose;
    watch.OnStop = [this] { form_->Unload(); };
    watch.OnFocusLost = [] {};
    watch.OnBlockedKey = [this](int vk, bool repeat) { Key(vk, repeat); };
    plat::SetMsgBoxHandler([this](const std::string& prompt, int style, const std::string& title) {
        const replay::Answer answer = input_->AnswerBox(style);
        trace_->MsgBox(clock_->Now(), title, prompt, answer.name);
        return answer.result;
    });
    plat::SetShellHandler([this](const std::string& target) {
        trace_->Open(clock_->Now(), target);
    });
}

void Viewer::Begin() {
    ApplyGameStart(header_);
    ReadAhead();
    clock_->NextInput = [this]() -> std::optional<std::int64_t> {
        if (form_->Unloading() || atEnd_) return std::nullopt;
        return next_ ? next_->time : endTime_;
    };
    clock_->DeliverInput = [this] { DeliverNext(); };
    clock_->SetRate(kSpeeds[speed_].quarters);
    clock_->Begin();
    if (restartAt_) {
        const std::int64_t target = *restartAt_;
        restartAt_.reset();
        trace_->CountAnew();
        JumpTo(target);
    }
    HoldStill();
    status_.SetEnabled(true);
    ShowStatus();
}

void Viewer::ReadAhead() {
    next_.emplace();
    if (reader_->Next(*next_)) return;
    next_.reset();
    // Only a recording changed since it was checked fails here; the replay ends where it is.
    if (!reader_->Error().empty()) {
        std::fprintf(stderr, "nibbly: %s: %s\n", path_.c_str(), reader_->Error().c_str());
        endTime_ = clock_->Now();
    }
}

void Viewer::DeliverNext() {
    // The end stays on the screen, paused, until the player leaves or jumps back.
    if (!next_ || next_->command == replay::Command::End) {
        atEnd_ = true;
        HoldStill();
        ShowStatus();
        return;
    }
    // Moved on before it is delivered: what the line starts may already ask for the next.
    const replay::ScriptLine line = std::move(*next_);
    ReadAhead();
    trace_->Input(clock_->Now(), line.text);
    input_->Deliver(line);
}

void Viewer::Key(int vk, bool repeat) {
    if (clock_->Busy() || !keys_.empty()) {
        keys_.emplace_back(vk, repeat);
        keysLater_.SetEnabled(true);
        return;
    }
    Act(vk, repeat);
}

void Viewer::Act(int vk, bool repeat) {
    const std::int64_t now = clock_->Now();
    switch (vk) {
        case plat::vbKeySpace:
            if (!repeat) Pause(!paused_);
            break;
        case plat::vbKeyRight:
            JumpTo(now + 5000);
            break;
        case plat::vbKeyLeft:
            JumpTo(now - 5000);
            break;
        case plat::vbKeyPageDown:
            JumpTo(now + 30000);
            break;
        case plat::vbKeyPageUp:
            JumpTo(now - 30000);
            break;
        case plat::vbKeyHome:
            if (!repeat) JumpTo(0);
            break;
        case plat::vbKeyEnd:
            if (!repeat) JumpTo(endTime_ - 1000);
            break;
        case plat::vbKeyUp:
        case plat::vbKeyDown:
            if (repeat) break;
            speed_ = std::clamp(speed_ + (vk == plat::vbKeyUp ? 1 : -1), 0,
                                static_cast<int>(kSpeeds.size()) - 1);
            clock_->SetRate(kSpeeds[speed_].quarters);
            ShowStatus();
            break;
        default:
            break;
    }
}

void Viewer::JumpTo(std::int64_t target) {
    target = std::clamp<std::int64_t>(target, 0, endTime_);
    plat::CutSound();
    if (target < clock_->Now()) {
        // Back: the game starts again from its beginning, on a clock of its own.
        restartAt_ = target;
        atEnd_ = false;
        HoldStill();
        form_->Unload();
        return;
    }
    const plat::SoundsSkipped skipped;
    trace_->Quiet(true);
    clock_->RunTo(target);
    trace_->Quiet(false);
    ShowStatus();
}

void Viewer::Pause(bool paused) {
    paused_ = paused;
    HoldStill();
    ShowStatus();
}

void Viewer::HoldStill() {
    // A window going to be started again lets go of its clock first.
    const bool still = (paused_ || atEnd_) && !restartAt_;
    if (still && !still_) still_.emplace();
    if (!still) still_.reset();
}

void Viewer::ShowStatus() {
    const bool stopped = paused_ || atEnd_;
    form_->SetTitleStatus(std::string("回放 ") + (stopped ? "暂停" : kSpeeds[speed_].name) + " " +
                          Clock(clock_->Now()) + " / " + Clock(endTime_));
}
