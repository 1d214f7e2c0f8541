#include "platform/timer.h"

#include <QTimer>
#include <algorithm>

#include "platform/desktop.h"
#include "platform/framestats.h"

namespace plat {

namespace {

RealTimerDriver realDriver;
TimerDriver* activeDriver = &realDriver;

}  // namespace

Timer::Timer(std::string name, int intervalMs, WhileModal whileModal)
    : name_(std::move(name)), interval_(intervalMs), whileModal_(whileModal) {}

Timer::~Timer() {
    if (enabled_) ActiveTimerDriver().Stop(*this);
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled)
        ActiveTimerDriver().Start(*this);
    else
        ActiveTimerDriver().Stop(*this);
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
        if (next->OnTimer) next->OnTimer();
        if (AfterFire) AfterFire(*next);
    }
    now_ = std::max(now_, t);
}

void SetTimerDriver(TimerDriver* driver) {
    activeDriver = driver ? driver : &realDriver;
}

TimerDriver& ActiveTimerDriver() {
    return *activeDriver;
}

}  // namespace plat
