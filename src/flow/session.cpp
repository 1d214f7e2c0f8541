#include "flow/session.h"

#include <QAbstractButton>
#include <array>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "flow/controls.h"
#include "flow/scriptinput.h"
#include "flow/storedsettings.h"
#include "flow/simtrace.h"
#include "game/gamestate.h"
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

constexpr std::size_t kRecordingsKept = 20;

// A header value must stay one field; one that cannot is left out, and the game reads it
// as missing, just as it reads a value it cannot parse.
bool OneField(const std::string& text) {
    return !text.empty() && text.find_first_of(" \t\r\n") == std::string::npos;
}

}  // namespace

const char* const kGameUsage =
    "usage: nibbly [--record FILE | --replay FILE] [--trace FILE] [--frame-stats FILE]\n"
    "       nibbly --help | --version\n"
    "Every game is recorded: the last 20 recordings and the best score's are kept in\n"
    "$XDG_DATA_HOME/Nibbly/replays (by default ~/.local/share/Nibbly/replays).\n"
    "  --record FILE       write this run's recording to FILE instead\n"
    "  --replay FILE       watch a recording at real speed; Esc or closing the window ends it\n"
    "  --trace FILE        write the game's trace to FILE, as nibbly-sim writes it\n"
    "  --frame-stats FILE  write a frame-pacing record for the benchmark\n"
    "Keys: arrows steer, I inserts a coin, 1 / 2 start a game, E and S switch the look and\n"
    "the speed, P pauses (a controller's Start too), M mutes, F11 fills the screen, Esc\n"
    "abandons, F1 opens the help.\n";

std::string ParseGameArguments(int argc, char** argv, GameOptions& options, GameRequest& request) {
    options = {};
    request = GameRequest::Run;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "--version") {
            request = arg == "--help" ? GameRequest::Help : GameRequest::Version;
            return {};
        }
        std::string* value = arg == "--trace"         ? &options.trace
                             : arg == "--record"      ? &options.record
                             : arg == "--replay"      ? &options.replay
                             : arg == "--frame-stats" ? &options.frameStats
                                                      : nullptr;
        if (!value) return "unknown argument '" + std::string(arg) + "'";
        if (i + 1 >= argc || argv[i + 1][0] == '\0' || !value->empty()) {
            return std::string(arg) + " needs one file";
        }
        *value = argv[++i];
    }
    if (!options.record.empty() && !options.replay.empty()) {
        return "--record and --replay exclude each other";
    }
    return {};
}

std::string CheckGameFiles(const GameOptions& options, const std::string& settingsFile) {
    const std::string replay = plat::InputFile(options.replay);
    // The outputs first.
    constexpr std::size_t kOutputs = 3;
    const struct {
        const char* what;
        const std::string* path;
    } files[] = {{"--record", &options.record},
                 {"--trace", &options.trace},
                 {"--frame-stats", &options.frameStats},
                 {"--replay", &replay},
                 {"the settings file", &settingsFile}};
    for (std::size_t i = 0; i < kOutputs; ++i) {
        for (std::size_t j = i + 1; j < std::size(files); ++j) {
            const std::string& output = *files[i].path;
            const std::string& other = *files[j].path;
            if (!output.empty() && !other.empty() && plat::SameFile(output, other)) {
                return std::string(files[i].what) + " " + output + " is also " + files[j].what +
                       " " + other + ", which it would write over";
            }
        }
    }
    return {};
}

Session::Session(GameOptions options) : options_(std::move(options)) {}

Session::~Session() {
    plat::SetMsgBoxHandler({});
    plat::SetShellHandler({});
    plat::SetRandomObserver({});
    plat::SetSoundObserver({});
    plat::SetKeyObserver({});
    trace_.reset();
    if (traceFile_) std::fclose(traceFile_);
}

std::string Session::Prepare() {
    if (Replaying()) {
        std::string error =
            plat::OpenToReadTwice(options_.replay, sim::kMaxScriptBytes, replayFile_);
        if (error.empty()) error = sim::CheckScript(replayFile_, endTime_, header_);
        if (!error.empty()) return options_.replay + ": " + error;
        replay_ = std::make_unique<sim::ScriptReader>(replayFile_);
    }
    if (!options_.trace.empty()) {
        std::string error;
        traceFile_ = plat::OpenOutputFile(options_.trace, false, error);
        if (!traceFile_) return "cannot write the trace " + options_.trace + ": " + error;
        trace_ = std::make_unique<sim::Trace>(traceFile_);
    }
    return {};
}

void Session::Attach(FrmMain& form) {
    form_ = &form;
    for (plat::Timer* timer : {&form.tmrKeyBoard, &form.tmrFlash, &form.tmrReady}) {
        timer->SetDriver(&clock_);
    }
    clock_.AfterFire() = [this](const plat::Timer& timer) {
        if (trace_) trace_->AfterTimer(clock_.Now(), timer.Name(), *form_);
        bestScore_ = std::max(bestScore_, Game.Score);
        gamePlayed_ = gamePlayed_ || GameRunning;
    };
    if (trace_) {
        plat::SetRandomObserver([this](double value) { trace_->Random(clock_.Now(), value); });
        plat::SetSoundObserver([this](const std::string& path, int flags) {
            trace_->Sound(clock_.Now(), path, flags);
        });
    }
    form.Unloaded = [this] { Unloaded(); };
    watch_ = std::make_unique<plat::InputWatch>(form);

    if (Replaying()) {
        // Watching changes nothing the player keeps; it sounds and shows as the player chose.
        const auto choices = plat::GetAllSettings(kAppTitle, kChoicesSection);
        plat::UseMemorySettings();
        plat::SaveSettings(kAppTitle, kChoicesSection, choices);
        for (const auto& [key, value] : header_.settings) {
            plat::SaveSetting(kAppTitle, "SetLog", key, value);
        }
        if (header_.seed) plat::Randomize(*header_.seed);
        input_ = std::make_unique<sim::ScriptInput>(form);
        watch_->blocking = true;
        watch_->stopControl = &form.Imclose;
        watch_->OnStop = [this] { form_->Unload(); };
        watch_->OnFocusLost = [] {};
        plat::SetMsgBoxHandler(
            [this](const std::string& prompt, int style, const std::string& title) {
                const sim::Answer answer = input_->AnswerBox(style);
                if (trace_) trace_->MsgBox(clock_.Now(), title, prompt, answer.name);
                return answer.result;
            });
        plat::SetShellHandler([this](const std::string& target) {
            if (trace_) trace_->Open(clock_.Now(), target);
        });
        return;
    }

    const auto since = std::chrono::system_clock::now().time_since_epoch().count();
    const auto seed = static_cast<std::uint32_t>(since ^ (since >> 32));
    plat::Randomize(seed);
    std::string header = "# nibbly " NIBBLY_VERSION " recording\n# seed " + std::to_string(seed) +
                         "\n# screen " + std::to_string(plat::ScreenWidthTwips() / 15) + " " +
                         std::to_string(plat::ScreenHeightTwips() / 15) + "\n";
    for (const auto& [key, value] : plat::GetAllSettings(kAppTitle, "SetLog")) {
        if (OneField(key) && OneField(value)) header += "# setting " + key + " " + value + "\n";
    }
    if (options_.record.empty()) {
        recordingsFolder_ = RecordingsFolder();
        std::error_code error;
        std::filesystem::create_directories(recordingsFolder_, error);
        // Before this run's own is made: one left by an earlier run of this process id goes first.
        RecoverRecordings(recordingsFolder_);
        PruneRecordings(recordingsFolder_, kRecordingsKept);
        recordingPart_ = RecordingName{RecordingStamp(std::time(nullptr)), plat::ProcessId(), true};
        if (!recording_.Open(recordingsFolder_ + "/" + NameOf(*recordingPart_), header, true))
            recordingPart_.reset();
    } else {
        recording_.Open(options_.record, header, false);
    }

    watch_->BeforeInput = [this] { clock_.CatchUp(); };
    watch_->OnFocusLost = [this] { FocusLost(); };
    blurLater_.OnTimer = [this] {
        blurLater_.SetEnabled(false);
        Blur();
    };
    plat::SetKeyObserver([this](int vk, bool down) {
        std::string held;
        bool arrow = false;
        for (const sim::Arrow& a : sim::kArrows) {
            arrow = arrow || a.vk == vk;
            if (a.vk == vk ? down : plat::KeyHeld(a.vk)) held += a.letter;
        }
        if (!arrow || (!down && !plat::KeyHeld(vk))) return;
        if (down && plat::KeyHeld(vk)) {
            // Pressed again without a release: only its latch changes.
            for (const sim::Arrow& a : sim::kArrows) {
                if (a.vk == vk) Input(std::string("tap ") + a.letter);
            }
            return;
        }
        Input("hold " + (held.empty() ? std::string("-") : held));
    });
    const std::array<XPButton*, 8> buttons = {&form.XPButton1, &form.XPButton2, &form.XPButton3,
                                              &form.XPButton4, &form.XPButton5, &form.XPButton6,
                                              &form.XPButton7, &form.XPButton8};
    // Connected ahead of the game's handlers, so the input is written before what it causes.
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QObject::connect(buttons[i], &XPButton::Click,
                         [this, i] { Input("click XPButton" + std::to_string(i + 1)); });
    }
    for (int i = 0; i < 2; ++i) {
        QObject::connect(&form.Option1(i), &QAbstractButton::clicked,
                         [this, i] { Input("click Option1(" + std::to_string(i) + ")"); });
    }
    form.BeforeInput = [this](const char* command) { Input(command); };
    plat::SetMsgBoxHandler([this](const std::string& prompt, int style, const std::string& title) {
        const int result = plat::ShowMessageBox(prompt, style, title);
        const char* name = sim::AnswerName(result);
        // A box with one button takes it by default.
        if ((style & 0xF) != plat::vbOKOnly) Answered(clock_.Now(), name);
        if (trace_) trace_->MsgBox(clock_.Now(), title, prompt, name);
        if (blurAfterBox_) {
            // After the input that opened the box has run to its end.
            blurAfterBox_ = false;
            blurLater_.SetEnabled(true);
        }
        return result;
    });
    if (trace_) {
        plat::SetShellHandler([this](const std::string& target) {
            trace_->Open(clock_.Now(), target);
            plat::OpenInDesktop(target);
        });
    }
}

void Session::Begin() {
    if (Replaying()) {
        ReadAhead();
        clock_.NextInput = [this]() -> std::optional<std::int64_t> {
            if (form_->Unloading() || replayEnded_) return std::nullopt;
            return nextLine_ ? nextLine_->time : endTime_;
        };
        clock_.DeliverInput = [this] { DeliverNext(); };
    } else {
        const auto game = form_->OnKeyDown;
        form_->OnKeyDown = [this, game](int vk) {
            if (const char* name = sim::KeyName(vk)) Input(std::string("key ") + name);
            game(vk);
        };
    }
    clock_.Begin();
}

void Session::KeyDown(int vk) {
    clock_.CatchUp();
    if (form_->OnKeyDown) form_->OnKeyDown(vk);
}

void Session::End() {
    if (form_->Unloading()) return;
    if (!Replaying()) Input("end");
    form_->Unload();
}

void Session::Detach() {
    watch_.reset();
}

std::string Session::TraceError() {
    if (!trace_) return {};
    trace_->Flush();
    return std::ferror(traceFile_) ? "cannot write the trace " + options_.trace : "";
}

void Session::Input(const std::string& command) {
    // The window closing takes the focus with it: nothing after the end is an input.
    if (form_->Unloading()) return;
    const std::int64_t t = clock_.CatchUp();
    const std::string line = std::to_string(t) + " " + command;
    recording_.Input(line);
    if (trace_) {
        trace_->MarkInput();
        trace_->Input(t, line);
    }
}

void Session::Answered(std::int64_t t, const char* answer) {
    const std::string line = std::to_string(t) + " answer " + answer;
    recording_.AnswerBeforeInput(line);
    if (trace_) trace_->InputBeforeMark(t, line);
}

void Session::FocusLost() {
    // Inside a box the input that opened it is still running; the keys go up after it.
    if (plat::ModalOpen()) {
        blurAfterBox_ = true;
        return;
    }
    Blur();
    // Only a window left for another pauses: a box of the game's own does not, nor the window
    // going away.
    if (!form_->Unloading()) PauseGame();
}

void Session::Blur() {
    Input("blur");
    plat::ReleaseAllKeys();
}

void Session::ReadAhead() {
    nextLine_.emplace();
    if (replay_->Next(*nextLine_)) return;
    nextLine_.reset();
    // Only a recording changed since it was checked fails here; the replay ends where it is.
    if (!replay_->Error().empty()) {
        std::fprintf(stderr, "nibbly: %s: %s\n", options_.replay.c_str(), replay_->Error().c_str());
        endTime_ = clock_.Now();
    }
}

void Session::DeliverNext() {
    if (!nextLine_) {
        replayEnded_ = true;
        form_->Unload();
        return;
    }
    // Moved on before it is delivered: what the line starts may already ask for the next.
    const sim::ScriptLine line = std::move(*nextLine_);
    ReadAhead();
    if (trace_) trace_->Input(clock_.Now(), line.text);
    input_->Deliver(line);
}

void Session::Unloaded() {
    if (trace_) trace_->End(clock_.Now(), *form_);
    if (Replaying() || !recording_.IsOpen()) return;
    if (!recordingPart_) {
        recording_.Close();
        return;
    }
    if (!gamePlayed_ && !GameRunning) {
        recording_.Discard();
        return;
    }
    // Renamed while still open and locked: no other start can take it for one cut short.
    if (KeepRecording(recordingsFolder_, *recordingPart_, bestScore_))
        PruneRecordings(recordingsFolder_, kRecordingsKept);
    recording_.Close();
}
