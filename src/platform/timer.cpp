#include "platform/timer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

#include "platform/desktop.h"
#include "platform/framestats.h"

namespace plat {

namespace {

RealTimerDriver realDriver;
TimerDriver* activeDriver = &realDriver;
GameClock* gameClock = nullptr;

}  // namespace

Timer::Timer(std::string name, int intervalMs, WhileModal whileModal)
    : name_(std::move(name)), interval_(intervalMs), whileModal_(whileModal) {}

Timer::~Timer() {
    if (enabled_) Driver().Stop(*this);
}

TimerDriver& Timer::Driver() const {
    return driver_ ? *driver_ : ActiveTimerDriver();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled)
        Driver().Start(*this);
    else
        Driver().Stop(*this);
}

void RealTimerDriver::Start(Timer& timer) {
    if (!timer.qtimer_) {
        timer.qtimer_ = std::make_unique<QTimer>();
        timer.qtimer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer.qtimer_.get(), &QTimer::timeout, [&timer] {
            // A message box's own event loop still delivers timeouts; the game must not see them.
            const bool paused = ModalOpen() && timer.whileModal_ == Timer::WhileModal::Pause;
            if (paused || !timer.OnTimer) return;
            RecordTimer("tick", timer.Name());
            timer.OnTimer();
        });
    }
    timer.qtimer_->start(timer.Interval());
    RecordTimer("start", timer.Name());
}

void RealTimerDriver::Stop(Timer& timer) {
    if (timer.qtimer_) timer.qtimer_->stop();
    RecordTimer("stop", timer.Name());
}

void VirtualClock::Start(Timer& timer) {
    timer.due_ = now_ + timer.Interval();
    timer.enableOrder_ = ++order_;
    running_.push_back(&timer);
}

void VirtualClock::Stop(Timer& timer) {
    std::erase(running_, &timer);
}

void VirtualClock::RunUntil(std::int64_t t) {
    // Handlers may start and stop timers, so the next event is chosen afresh every time.
    for (;;) {
        Timer* next = nullptr;
        for (Timer* timer : running_) {
            if (timer->due_ > t) continue;
            if (!next || timer->due_ < next->due_ ||
                (timer->due_ == next->due_ && timer->enableOrder_ < next->enableOrder_))
                next = timer;
        }
        if (!next) break;
        now_ = next->due_;
        next->due_ += next->Interval();
        RecordTimer("tick", next->Name());
        if (next->OnTimer) next->OnTimer();
        if (AfterFire) AfterFire(*next);
    }
    now_ = std::max(now_, t);
}

std::optional<std::int64_t> VirtualClock::NextDue() const {
    std::optional<std::int64_t> next;
    for (const Timer* timer : running_) {
        if (!next || timer->due_ < *next) next = timer->due_;
    }
    return next;
}

EventLoopTime::EventLoopTime()
    : elapsed_(std::make_unique<QElapsedTimer>()), wake_(std::make_unique<QTimer>()) {
    elapsed_->start();
    wake_->setTimerType(Qt::PreciseTimer);
    wake_->setSingleShot(true);
    QObject::connect(wake_.get(), &QTimer::timeout, [this] {
        if (OnWake) OnWake();
    });
}

EventLoopTime::~EventLoopTime() = default;

std::int64_t EventLoopTime::Elapsed() {
    return elapsed_->elapsed();
}

void EventLoopTime::WakeAfter(std::int64_t ms) {
    wake_->start(static_cast<int>(ms));
}

void EventLoopTime::CancelWake() {
    wake_->stop();
}

GameClock::GameClock(RealTime& real) : real_(real) {
    real_.OnWake = [this] { CatchUp(); };
    gameClock = this;
}

GameClock::~GameClock() {
    real_.OnWake = nullptr;
    if (gameClock == this) gameClock = nullptr;
}

void GameClock::Start(Timer& timer) {
    clock_.Start(timer);
    RecordTimer("start", timer.Name());
    Schedule();
}

void GameClock::Stop(Timer& timer) {
    clock_.Stop(timer);
    RecordTimer("stop", timer.Name());
    Schedule();
}

void GameClock::Begin() {
    realBase_ = real_.Elapsed();
    gameBase_ = clock_.Now();
    begun_ = true;
    Schedule();
}

std::optional<std::int64_t> GameClock::NextInputDue() const {
    return NextInput && DeliverInput ? NextInput() : std::nullopt;
}

std::int64_t GameClock::Reached() const {
    return gameBase_ + (real_.Elapsed() - realBase_) * rate_ / 4;
}

void GameClock::SetRate(int quarters) {
    if (begun_ && held_ == 0) {
        gameBase_ = std::max(Reached(), clock_.Now());
        realBase_ = real_.Elapsed();
    }
    rate_ = quarters;
    Schedule();
}

void GameClock::RunTo(std::int64_t target) {
    running_ = true;
    RunEvents(target);
    clock_.AdvanceTo(std::max(target, clock_.Now()));
    running_ = false;
    gameBase_ = heldAt_ = clock_.Now();
    realBase_ = real_.Elapsed();
    Schedule();
}

std::int64_t GameClock::Target() {
    std::int64_t target = Reached();
    // Lag is how long what was due has waited, not how long since the clock last ran: a 500 ms
    // timer alone is no stall.
    std::optional<std::int64_t> due = clock_.NextDue();
    if (const std::optional<std::int64_t> input = NextInputDue(); input && (!due || *input < *due))
        due = input;
    // The cap is real time: a replay watched fast may fall as far behind in its own time.
    const std::int64_t maxLag = kMaxLagMs * rate_ / 4;
    if (due && target - *due > maxLag) {
        gameBase_ -= target - *due - maxLag;
        target = *due + maxLag;
    }
    return std::max(target, clock_.Now());
}

std::int64_t GameClock::CatchUp() {
    // Handlers and inputs delivered from here may come back; they act at the time reached.
    if (!begun_ || held_ > 0 || running_) return clock_.Now();
    running_ = true;
    const std::int64_t target = Target();
    const std::uint64_t holds = holds_;
    RunEvents(target);
    // One event at a time: a stand-still begun by one (a box, a sound played to its end) leaves
    // the clock where it began, and what is due later waits for the real time after it.
    if (holds == holds_) clock_.AdvanceTo(target);
    running_ = false;
    Schedule();
    return clock_.Now();
}

void GameClock::RunEvents(std::int64_t target) {
    for (const std::uint64_t holds = holds_; holds == holds_;) {
        const std::optional<std::int64_t> input = NextInputDue();
        const std::optional<std::int64_t> timer = clock_.NextDue();
        if (input && *input <= target && (!timer || *input <= *timer)) {
            clock_.AdvanceTo(*input);
            DeliverInput();
        } else if (timer && *timer < target) {
            clock_.RunUntil(*timer);
        } else {
            return;
        }
    }
}

void GameClock::Hold() {
    // Outside a catch-up the clock may be behind; the time that passed until now is the game's.
    if (held_++ == 0) heldAt_ = begun_ && !running_ ? Target() : clock_.Now();
    ++holds_;
    real_.CancelWake();
}

void GameClock::Release() {
    if (--held_ > 0) return;
    realBase_ = real_.Elapsed();
    gameBase_ = heldAt_;
    Schedule();
}

void GameClock::Schedule() {
    if (!begun_ || held_ > 0 || running_) return;
    std::optional<std::int64_t> next = clock_.NextDue();
    // A timer due at t fires once t has passed, so an input stamped t comes first.
    if (next) *next += 1;
    if (const std::optional<std::int64_t> input = NextInputDue(); input && (!next || *input < *next))
        next = input;
    if (!next) {
        real_.CancelWake();
        return;
    }
    const std::int64_t now = Reached();
    // Rounded up: a wake too early finds nothing due, and asks for one at once again.
    real_.WakeAfter(std::clamp<std::int64_t>(((*next - now) * 4 + rate_ - 1) / rate_, 0, 1000));
}

StandStill::StandStill() {
    if (gameClock) gameClock->Hold();
}

StandStill::~StandStill() {
    if (gameClock) gameClock->Release();
}

void SetTimerDriver(TimerDriver* driver) {
    activeDriver = driver ? driver : &realDriver;
}

TimerDriver& ActiveTimerDriver() {
    return *activeDriver;
}

}  // namespace plat
