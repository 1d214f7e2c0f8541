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

GameClock::GameClock()
    : real_(std::make_unique<QElapsedTimer>()), wake_(std::make_unique<QTimer>()) {
    wake_->setTimerType(Qt::PreciseTimer);
    wake_->setSingleShot(true);
    QObject::connect(wake_.get(), &QTimer::timeout, [this] { CatchUp(); });
    gameClock = this;
}

GameClock::~GameClock() {
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
    real_->start();
    realBase_ = 0;
    gameBase_ = clock_.Now();
    begun_ = true;
    Schedule();
}

std::int64_t GameClock::Target() {
    const std::int64_t real = real_->elapsed() - realBase_;
    // A stall (a busy machine, a suspended session) is skipped beyond the lag a burst of
    // ticks can make up without the game visibly racing.
    if (gameBase_ + real - clock_.Now() > kMaxLagMs) gameBase_ = clock_.Now() + kMaxLagMs - real;
    return std::max(gameBase_ + real, clock_.Now());
}

std::int64_t GameClock::CatchUp() {
    // Handlers and inputs delivered from here may come back; they act at the time reached.
    if (!begun_ || held_ > 0 || running_) return clock_.Now();
    running_ = true;
    const std::int64_t target = Target();
    while (NextInput && DeliverInput) {
        const std::optional<std::int64_t> next = NextInput();
        if (!next || *next > target) break;
        clock_.AdvanceTo(*next);
        DeliverInput();
    }
    clock_.AdvanceTo(target);
    running_ = false;
    Schedule();
    return clock_.Now();
}

void GameClock::Hold() {
    ++held_;
    wake_->stop();
}

void GameClock::Release() {
    if (--held_ > 0) return;
    realBase_ = real_->elapsed();
    gameBase_ = clock_.Now();
    Schedule();
}

void GameClock::Schedule() {
    if (!begun_ || held_ > 0 || running_) return;
    std::optional<std::int64_t> next = clock_.NextDue();
    // A timer due at t fires once t has passed, so an input stamped t comes first.
    if (next) *next += 1;
    if (NextInput) {
        const std::optional<std::int64_t> input = NextInput();
        if (input && (!next || *input < *next)) next = input;
    }
    if (!next) {
        wake_->stop();
        return;
    }
    const std::int64_t now = gameBase_ + real_->elapsed() - realBase_;
    wake_->start(static_cast<int>(std::clamp<std::int64_t>(*next - now, 0, 1000)));
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
