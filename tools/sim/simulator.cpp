#include "simulator.h"

#include <QApplication>
#include <QPixmap>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "flow/gamestart.h"
#include "flow/recorder.h"
#include "flow/scriptinput.h"
#include "flow/trace.h"
#include "flow/startup.h"
#include "platform/desktop.h"
#include "platform/random.h"
#include "platform/settings.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "shell/frmmain.h"
#include "shell/links.h"

namespace sim {

using replay::Answer;
using replay::ScriptInput;
using replay::ScriptLine;
using replay::ScriptReader;
using replay::Trace;

namespace {

class Simulator {
  public:
    Simulator(const Options& options, const Header& header, Trace& trace);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    int Run(std::istream& script, std::int64_t endTime);

  private:
    // False once the trace can no longer be written.
    bool AdvanceTo(std::int64_t t);
    int AnswerBox(const std::string& prompt, int style, const std::string& title);
    void AfterTimer(const plat::Timer& timer);

    const Options& options_;
    const Header& header_;
    Trace& trace_;
    plat::VirtualClock clock_;
    bool unloaded_ = false;
    std::unique_ptr<FrmMain> form_;
    std::unique_ptr<ScriptInput> input_;
    Recorder recorder_;
};

Simulator::Simulator(const Options& options, const Header& header, Trace& trace)
    : options_(options), header_(header), trace_(trace) {
    const auto [width, height] = header.screen.value_or(std::make_pair(1024, 768));
    plat::SetScreenSizePixels(width, height);
    plat::SetTimerDriver(&clock_);
    clock_.AfterFire = [this](const plat::Timer& timer) { AfterTimer(timer); };
    // Nothing plays, so a sound played to its end takes no time.
    plat::SetSoundObserver(
        [this](const std::string& path, int flags) { trace_.Sound(clock_.Now(), path, flags); });
    plat::SetMsgBoxHandler([this](const std::string& prompt, int style, const std::string& title) {
        return AnswerBox(prompt, style, title);
    });
    plat::SetShellHandler([this](const std::string& target) { trace_.Open(clock_.Now(), target); });
    plat::SetRandomObserver([this](double value) { trace_.Random(clock_.Now(), value); });
    if (const auto seed = options.seed ? options.seed : header.seed) plat::Randomize(*seed);
    if (options.settingsFile.empty()) {
        plat::UseMemorySettings();
        for (const auto& [key, value] : header.settings) {
            plat::SaveSetting(kAppTitle, "SetLog", key, value);
        }
    } else {
        plat::UseSettingsFile(options.settingsFile);
    }
}

Simulator::~Simulator() {
    // The window's timers must stop on the clock that started them.
    input_.reset();
    form_.reset();
    plat::SetTimerDriver(nullptr);
    plat::SetSoundObserver({});
    plat::SetMsgBoxHandler({});
    plat::SetShellHandler({});
    plat::SetRandomObserver({});
}

int Simulator::Run(std::istream& script, std::int64_t endTime) {
    form_ = std::make_unique<FrmMain>();
    form_->Unloaded = [this] {
        unloaded_ = true;
        trace_.End(clock_.Now(), *form_);
        if (!options_.gamesFolder.empty()) recorder_.End();
    };
    LoadMainWindow(*form_);
    ApplyGameStart(header_);
    input_ = std::make_unique<ScriptInput>(*form_);
    if (!options_.gamesFolder.empty()) {
        const auto [width, height] = header_.screen.value_or(std::make_pair(1024, 768));
        recorder_.Begin({plat::RandomSeed(), {width, height},
                         plat::GetAllSettings(kAppTitle, "SetLog"), std::time(nullptr)},
                        options_.gamesFolder, "", false);
    }

    ScriptReader reader(script);
    ScriptLine line;
    bool written = true;
    while (reader.Next(line)) {
        written = AdvanceTo(line.time);
        if (unloaded_ || !written) break;
        trace_.Input(clock_.Now(), line.text);
        if (!options_.gamesFolder.empty()) recorder_.Input(clock_.Now(), line.Untimed());
        input_->Deliver(line);
        if (unloaded_) break;
    }
    // Only a script changed since it was checked fails here.
    if (!reader.Error().empty()) {
        trace_.Flush();
        std::fprintf(stderr, "nibbly-sim: %s\n", reader.Error().c_str());
        return 2;
    }
    if (written && !unloaded_ && AdvanceTo(endTime)) form_->Unload();
    trace_.Flush();
    if (std::ferror(stdout)) {
        std::fprintf(stderr, "nibbly-sim: cannot write the trace\n");
        return 1;
    }

    if (!options_.screenshotFile.empty() &&
        !form_->grab().save(QString::fromStdString(options_.screenshotFile), "PNG")) {
        std::fprintf(stderr, "nibbly-sim: cannot write the screenshot '%s'\n",
                     options_.screenshotFile.c_str());
        return 1;
    }
    return 0;
}

bool Simulator::AdvanceTo(std::int64_t t) {
    // In steps, so that a trace nobody can write stops a long run early.
    constexpr std::int64_t kStep = 60'000;
    while (clock_.Now() < t && !unloaded_ && !std::ferror(stdout)) {
        clock_.AdvanceTo(std::min(t, clock_.Now() + kStep));
    }
    return !std::ferror(stdout);
}

int Simulator::AnswerBox(const std::string& prompt, int style, const std::string& title) {
    const Answer chosen = input_->AnswerBox(style);
    trace_.MsgBox(clock_.Now(), title, prompt, chosen.name);
    return chosen.result;
}

void Simulator::AfterTimer(const plat::Timer& timer) {
    trace_.AfterTimer(clock_.Now(), timer.Name(), *form_);
    if (!options_.gamesFolder.empty()) recorder_.AfterTimer(clock_.Now(), timer.Name() == "tmrKeyBoard");
}

}  // namespace

int Run(const Options& options, const Header& header, std::istream& script, std::int64_t endTime) {
    Trace trace(stdout);
    Simulator simulator(options, header, trace);
    return simulator.Run(script, endTime);
}

}  // namespace sim
