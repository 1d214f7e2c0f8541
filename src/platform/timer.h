#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace plat {

// A window timer: while enabled it raises OnTimer every Interval milliseconds.
// Setting an enabled timer enabled again changes nothing; enabling restarts the count.
class Timer {
  public:
    // The game's timers pause while a message box is open; a control's own timer (hover
    // tracking) runs on, as the box's controls do.
    enum class WhileModal { Pause, Run };

    Timer(std::string name, int intervalMs, WhileModal whileModal = WhileModal::Pause);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const std::string& Name() const { return name_; }
    int Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    std::function<void()> OnTimer;

  private:
    friend class RealTimerDriver;
    friend class VirtualClock;
    std::string name_;
    int interval_;
    WhileModal whileModal_;
    bool enabled_ = false;
    std::unique_ptr<QTimer> qtimer_;  // real driver only
    std::int64_t due_ = 0;            // virtual clock only
    std::uint64_t enableOrder_ = 0;   // virtual clock only
};

// Where timers get their time from. The real driver runs on Qt's event loop; the
// virtual clock fires them only when told to advance.
class TimerDriver {
  public:
    virtual ~TimerDriver() = default;
    virtual void Start(Timer& timer) = 0;
    virtual void Stop(Timer& timer) = 0;
};

// Precise Qt timers; ticks that fall behind are not caught up, and the game's do not fire
// while a modal message box is open.
class RealTimerDriver : public TimerDriver {
  public:
    void Start(Timer& timer) override;
    void Stop(Timer& timer) override;
};

// Deterministic time for tests and the simulator. A timer enabled at s with interval i
// fires at s + i, s + 2i, ...; timers due at the same millisecond fire in the order in
// which they were last enabled. Handlers take no time.
class VirtualClock : public TimerDriver {
  public:
    void Start(Timer& timer) override;
    void Stop(Timer& timer) override;

    std::int64_t Now() const { return now_; }
    // Fires every timer event due up to and including t, then sets the time to t.
    void RunUntil(std::int64_t t);
    // Fires every timer event due before t, then sets the time to t. Events due at t stay
    // pending, so whatever the caller does at t (a script's input) comes before them.
    void AdvanceTo(std::int64_t t) {
        RunUntil(t - 1);
        if (now_ < t) now_ = t;
    }
    // Called after each timer event has been handled.
    std::function<void(const Timer&)> AfterFire;

  private:
    std::int64_t now_ = 0;
    std::uint64_t order_ = 0;
    std::vector<Timer*> running_;
};

// The driver used by timers from now on (nullptr: the real one). Switch only while no
// timer runs.
void SetTimerDriver(TimerDriver* driver);
TimerDriver& ActiveTimerDriver();

}  // namespace plat
