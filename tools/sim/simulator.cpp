#include "simulator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <array>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "flow/startup.h"
#include "platform/desktop.h"
#include "platform/keyboard.h"
#include "platform/random.h"
#include "platform/settings.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "shell/frmmain.h"
#include "trace.h"

namespace sim {

namespace {

struct Arrow {
    char letter;
    int vk;
};
constexpr std::array<Arrow, 4> kArrows = {{
    {'U', plat::vbKeyUp},
    {'D', plat::vbKeyDown},
    {'L', plat::vbKeyLeft},
    {'R', plat::vbKeyRight},
}};

struct KeySpec {
    std::string_view name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* text;
};
const std::array<KeySpec, 9> kKeys = {{
    {"Escape", Qt::Key_Escape, Qt::NoModifier, "\x1b"},
    {"E", Qt::Key_E, Qt::NoModifier, "e"},
    {"S", Qt::Key_S, Qt::NoModifier, "s"},
    {"I", Qt::Key_I, Qt::NoModifier, "i"},
    {"1", Qt::Key_1, Qt::NoModifier, "1"},
    {"2", Qt::Key_2, Qt::NoModifier, "2"},
    {"KP1", Qt::Key_1, Qt::KeypadModifier, "1"},
    {"KP2", Qt::Key_2, Qt::KeypadModifier, "2"},
    {"F1", Qt::Key_F1, Qt::NoModifier, ""},
}};

// The base name as the game passed it: no folder, no ".wav", case kept.
std::string_view SoundName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    if (path.size() >= 4) {
        const std::string_view suffix = path.substr(path.size() - 4);
        if (QString::fromUtf8(suffix.data(), 4).compare(".wav", Qt::CaseInsensitive) == 0) {
            path.remove_suffix(4);
        }
    }
    return path;
}

class TracedSound : public plat::SoundBackend {
  public:
    TracedSound(Trace& trace, const plat::VirtualClock& clock) : trace_(trace), clock_(clock) {}
    // Plays nothing, so a synchronous sound takes no virtual time.
    void Play(const std::string& path, int flags) override {
        trace_.Sound(clock_.Now(), SoundName(path), flags);
    }

  private:
    Trace& trace_;
    const plat::VirtualClock& clock_;
};

class Simulator {
  public:
    Simulator(const Options& options, Trace& trace);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    int Run(std::istream& script, std::int64_t endTime);

  private:
    void Deliver(const ScriptLine& line);
    void Hold(std::string_view keys);
    void Tap(char letter);
    void Key(std::string_view name);
    void Click(std::string_view control);
    int AnswerBox(const std::string& prompt, int style, const std::string& title);
    void AfterTimer(const plat::Timer& timer);

    const Options& options_;
    Trace& trace_;
    plat::VirtualClock clock_;
    std::deque<std::string> answers_;
    std::array<bool, kArrows.size()> held_{};
    std::int64_t ticks_ = 0;
    bool unloaded_ = false;
    std::unique_ptr<FrmMain> form_;
};

Simulator::Simulator(const Options& options, Trace& trace) : options_(options), trace_(trace) {
    plat::SetScreenSizePixels(1024, 768);
    plat::SetTimerDriver(&clock_);
    clock_.AfterFire = [this](const plat::Timer& timer) { AfterTimer(timer); };
    plat::SetSoundBackend(std::make_unique<TracedSound>(trace_, clock_));
    plat::SetMsgBoxHandler([this](const std::string& prompt, int style, const std::string& title) {
        return AnswerBox(prompt, style, title);
    });
    plat::SetShellHandler([this](const std::string& target) { trace_.Open(clock_.Now(), target); });
    plat::SetRandomObserver([this](double value) { trace_.Random(clock_.Now(), value); });
    if (options.seed) plat::Randomize(*options.seed);
    if (options.settingsFile.empty()) {
        plat::UseMemorySettings();
    } else {
        plat::UseSettingsFile(options.settingsFile);
    }
}

Simulator::~Simulator() {
    // The window's timers must stop on the clock that started them.
    form_.reset();
    plat::SetTimerDriver(nullptr);
    plat::SetSoundBackend(nullptr);
    plat::SetMsgBoxHandler({});
    plat::SetShellHandler({});
    plat::SetRandomObserver({});
}

int Simulator::Run(std::istream& script, std::int64_t endTime) {
    form_ = std::make_unique<FrmMain>();
    form_->Unloaded = [this] {
        unloaded_ = true;
        trace_.End(clock_.Now(), *form_);
    };
    LoadMainWindow(*form_);

    ScriptReader reader(script);
    ScriptLine line;
    while (reader.Next(line)) {
        clock_.AdvanceTo(line.time);
        if (unloaded_) break;
        trace_.Input(clock_.Now(), line.text);
        Deliver(line);
        if (unloaded_) break;
    }
    // Only a script changed since it was checked fails here.
    if (!reader.Error().empty()) {
        trace_.Flush();
        std::fprintf(stderr, "nibbly-sim: %s\n", reader.Error().c_str());
        return 2;
    }
    if (!unloaded_) {
        clock_.AdvanceTo(endTime);
        form_->Unload();
    }
    trace_.Flush();

    if (!options_.screenshotFile.empty() &&
        !form_->grab().save(QString::fromStdString(options_.screenshotFile), "PNG")) {
        std::fprintf(stderr, "nibbly-sim: cannot write the screenshot '%s'\n",
                     options_.screenshotFile.c_str());
        return 1;
    }
    return 0;
}

void Simulator::Deliver(const ScriptLine& line) {
    switch (line.command) {
        case Command::Hold:
            Hold(line.argument);
            break;
        case Command::Tap:
            Tap(line.argument[0]);
            break;
        case Command::Key:
            Key(line.argument);
            break;
        case Command::Click:
            Click(line.argument);
            break;
        case Command::Answer:
            answers_.push_back(line.argument);
            break;
        case Command::End:
            form_->Unload();
            break;
    }
}

void Simulator::Hold(std::string_view keys) {
    for (std::size_t i = 0; i < kArrows.size(); ++i) {
        const bool wanted = keys.find(kArrows[i].letter) != std::string_view::npos;
        // A key that stays down is not pressed again: that would latch it anew.
        if (wanted && !held_[i]) plat::KeyPressed(kArrows[i].vk);
        if (!wanted && held_[i]) plat::KeyReleased(kArrows[i].vk);
        held_[i] = wanted;
    }
}

void Simulator::Tap(char letter) {
    for (std::size_t i = 0; i < kArrows.size(); ++i) {
        if (kArrows[i].letter != letter) continue;
        plat::KeyPressed(kArrows[i].vk);
        if (!held_[i]) plat::KeyReleased(kArrows[i].vk);
    }
}

void Simulator::Key(std::string_view name) {
    for (const KeySpec& entry : kKeys) {
        if (entry.name != name) continue;
        const QString text = QString::fromUtf8(entry.text);
        QKeyEvent press(QEvent::KeyPress, entry.key, entry.modifiers, text);
        QApplication::sendEvent(form_->KeyReceiver(), &press);
        if (unloaded_) return;
        QKeyEvent release(QEvent::KeyRelease, entry.key, entry.modifiers, text);
        QApplication::sendEvent(form_->KeyReceiver(), &release);
        return;
    }
}

void Simulator::Click(std::string_view control) {
    FrmMain& form = *form_;
    QWidget* target = nullptr;
    XPButton* buttons[] = {&form.XPButton1, &form.XPButton2, &form.XPButton3, &form.XPButton4,
                           &form.XPButton5, &form.XPButton6, &form.XPButton7, &form.XPButton8};
    if (control == "Option1(0)") {
        target = &form.Option1(0);
    } else if (control == "Option1(1)") {
        target = &form.Option1(1);
    } else {
        target = buttons[control.back() - '1'];
    }
    const QPointF local = target->rect().center();
    const QPointF global = target->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    if (unloaded_) return;
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

int Simulator::AnswerBox(const std::string& prompt, int style, const std::string& title) {
    struct Button {
        const char* name;
        int result;
    };
    std::vector<Button> buttons;
    switch (style & 0xF) {
        case plat::vbYesNo:
            buttons = {{"yes", plat::vbYes}, {"no", plat::vbNo}};
            break;
        case plat::vbYesNoCancel:
            buttons = {{"yes", plat::vbYes}, {"no", plat::vbNo}, {"cancel", plat::vbCancel}};
            break;
        default:
            buttons = {{"ok", plat::vbOK}};
    }
    const bool second = (style & plat::vbDefaultButton2) && buttons.size() > 1;
    Button chosen = buttons[second ? 1 : 0];
    if (!answers_.empty()) {
        // An answer naming none of the buttons is used up all the same.
        for (const Button& button : buttons) {
            if (answers_.front() == button.name) chosen = button;
        }
        answers_.pop_front();
    }
    trace_.MsgBox(clock_.Now(), title, prompt, chosen.name);
    return chosen.result;
}

void Simulator::AfterTimer(const plat::Timer& timer) {
    const std::string& name = timer.Name();
    if (name == "tmrKeyBoard") {
        trace_.Tick(clock_.Now(), ++ticks_);
    } else if (name == "tmrReady") {
        trace_.Ready(clock_.Now(), *form_);
    } else if (name == "tmrFlash") {
        trace_.Flash(clock_.Now(), *form_);
    }
}

}  // namespace

int Run(const Options& options, std::istream& script, std::int64_t endTime) {
    Trace trace(stdout);
    Simulator simulator(options, trace);
    return simulator.Run(script, endTime);
}

}  // namespace sim
