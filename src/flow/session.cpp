#include "flow/session.h"

#include <QAbstractButton>
#include <array>
#include <chrono>

#include "flow/controls.h"
#include "flow/scriptinput.h"
#include "flow/storedsettings.h"
#include "flow/viewer.h"
#include "flow/trace.h"
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

Session::Session(GameOptions options)
    : options_(std::move(options)), trace_(std::make_unique<replay::Trace>(nullptr)) {}

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
        viewer_ = std::make_unique<Viewer>(options_.replay);
        if (std::string error = viewer_->Prepare(); !error.empty()) return error;
    }
    if (!options_.trace.empty()) {
        std::string error;
        traceFile_ = plat::OpenOutputFile(options_.trace, false, error);
        if (!traceFile_) return "cannot write the trace " + options_.trace + ": " + error;
        trace_ = std::make_unique<replay::Trace>(traceFile_);
        traceOut_.OnTimer = [this] { trace_->FlushFinal(); };
        traceOut_.SetEnabled(true);
    }
    return {};
}

void Session::Attach(FrmMain& form) {
    form_ = &form;
    // Each window has a clock of its own: a replay started again begins at time 0. The last
    // one goes first, taking its hold on the real time with it.
    clock_.reset();
    clock_ = std::make_unique<plat::GameClock>(realTime_);
    for (plat::Timer* timer : {&form.tmrKeyBoard, &form.tmrFlash, &form.tmrReady}) {
        timer->SetDriver(clock_.get());
    }
    clock_->AfterFire() = [this](const plat::Timer& timer) {
        trace_->AfterTimer(clock_->Now(), timer.Name(), *form_);
        if (!Replaying()) recorder_.AfterTimer(clock_->Now(), timer.Name() == "tmrKeyBoard");
    };
    plat::SetRandomObserver([this](double value) { trace_->Random(clock_->Now(), value); });
    plat::SetSoundObserver(
        [this](const std::string& path, int flags) { trace_->Sound(clock_->Now(), path, flags); });
    form.Unloaded = [this] { Unloaded(); };
    watch_ = std::make_unique<plat::InputWatch>(form);

    if (Replaying()) {
        viewer_->Attach(form, *clock_, *watch_, *trace_);
        return;
    }

    const auto since = std::chrono::system_clock::now().time_since_epoch().count();
    const auto seed = static_cast<std::uint32_t>(since ^ (since >> 32));
    plat::Randomize(seed);
    Recorder::Start start{seed,
                          {plat::ScreenWidthTwips() / 15, plat::ScreenHeightTwips() / 15},
                          plat::GetAllSettings(kAppTitle, "SetLog"), std::time(nullptr)};
    recorder_.Begin(std::move(start), options_.record.empty() ? RecordingsFolder() : "",
                    options_.record, true);

    watch_->BeforeInput = [this] { clock_->CatchUp(); };
    watch_->OnFocusLost = [this] { FocusLost(); };
    blurLater_.OnTimer = [this] {
        blurLater_.SetEnabled(false);
        Blur();
    };
    plat::SetKeyObserver([this](int vk, bool down) {
        std::string held;
        bool arrow = false;
        for (const replay::Arrow& a : replay::kArrows) {
            arrow = arrow || a.vk == vk;
            if (a.vk == vk ? down : plat::KeyHeld(a.vk)) held += a.letter;
        }
        if (!arrow || (!down && !plat::KeyHeld(vk))) return;
        if (down && plat::KeyHeld(vk)) {
            // Pressed again without a release: only its latch changes.
            for (const replay::Arrow& a : replay::kArrows) {
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
    form.BeforeInput = [this](FrmMain::OwnInput input) {
        switch (input) {
            case FrmMain::OwnInput::Help:
                Input("key F1");
                break;
            case FrmMain::OwnInput::Link:
                Input("click LbBR");
                break;
            case FrmMain::OwnInput::CloseBox:
                Input("click Imclose");
                break;
            case FrmMain::OwnInput::Closed:
                Input("end");
                break;
        }
    };
    plat::SetMsgBoxHandler([this](const std::string& prompt, int style, const std::string& title) {
        const int result = plat::ShowMessageBox(prompt, style, title);
        const char* name = replay::AnswerName(result);
        // A box with one button takes it by default.
        if ((style & 0xF) != plat::vbOKOnly) Answered(clock_->Now(), name);
        trace_->MsgBox(clock_->Now(), title, prompt, name);
        if (blurAfterBox_) {
            // After the input that opened the box has run to its end.
            blurAfterBox_ = false;
            blurLater_.SetEnabled(true);
        }
        return result;
    });
    plat::SetShellHandler([this](const std::string& target) {
        trace_->Open(clock_->Now(), target);
        plat::OpenInDesktop(target);
    });
}

void Session::Begin() {
    if (Replaying()) {
        viewer_->Begin();
        return;
    }
    const auto game = form_->OnKeyDown;
    form_->OnKeyDown = [this, game](int vk) {
        if (const char* name = replay::KeyName(vk)) Input(std::string("key ") + name);
        game(vk);
    };
    clock_->Begin();
}

void Session::KeyDown(int vk) {
    clock_->CatchUp();
    if (form_->OnKeyDown) form_->OnKeyDown(vk);
}

void Session::End() {
    if (form_->Unloading()) return;
    if (!Replaying()) Input("end");
    form_->Unload();
}

bool Session::Restarting() const {
    return viewer_ && viewer_->Restarting();
}

void Session::Detach() {
    watch_.reset();
}

std::string Session::TraceError() {
    if (!traceFile_) return {};
    trace_->Flush();
    return std::ferror(traceFile_) ? "cannot write the trace " + options_.trace : "";
}

void Session::Input(const std::string& command) {
    // The window closing takes the focus with it: nothing after the end is an input.
    if (form_->Unloading()) return;
    const std::int64_t t = clock_->CatchUp();
    const std::string line = std::to_string(t) + " " + command;
    recorder_.Input(t, command);
    trace_->MarkInput();
    trace_->Input(t, line);
}

void Session::Answered(std::int64_t t, const char* answer) {
    recorder_.Answered(t, answer);
    trace_->InputBeforeMark(t, std::to_string(t) + " answer " + answer);
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

void Session::Unloaded() {
    if (Restarting()) return;
    trace_->End(clock_->Now(), *form_);
    if (!Replaying()) recorder_.End();
}
