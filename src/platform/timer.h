#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QElapsedTimer;
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
    // Runs the timer on this driver instead of the active one (nullptr: the active one again).
    // Only while it is disabled.
    void SetDriver(class TimerDriver* driver) { driver_ = driver; }

    std::function<void()> OnTimer;

  private:
    friend class RealTimerDriver;
    friend class VirtualClock;
    TimerDriver& Driver() const;
    std::string name_;
    int interval_;
    WhileModal whileModal_;
    bool enabled_ = false;
    TimerDriver* driver_ = nullptr;
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
    // When the next timer event is due, if any timer runs.
    std::optional<std::int64_t> NextDue() const;
    // Called after each timer event has been handled.
    std::function<void(const Timer&)> AfterFire;

  private:
    std::int64_t now_ = 0;
    std::uint64_t order_ = 0;
    std::vector<Timer*> running_;
};

// Where the game clock reads real time and how it is woken: a steady clock and a timer of the
// event loop in the window, a hand-turned clock in tests.
class RealTime {
  public:
    virtual ~RealTime() = default;
    // Milliseconds on a steady clock.
    virtual std::int64_t Elapsed() = 0;
    // Calls OnWake once, ms milliseconds from now; a new request replaces the pending one.
    virtual void WakeAfter(std::int64_t ms) = 0;
    virtual void CancelWake() = 0;
    std::function<void()> OnWake;
};

class EventLoopTime : public RealTime {
  public:
    EventLoopTime();
    ~EventLoopTime() override;
    EventLoopTime(const EventLoopTime&) = delete;
    EventLoopTime& operator=(const EventLoopTime&) = delete;

    std::int64_t Elapsed() override;
    void WakeAfter(std::int64_t ms) override;
    void CancelWake() override;

  private:
    std::unique_ptr<QElapsedTimer> elapsed_;
    std::unique_ptr<QTimer> wake_;
};

// The game's clock: the virtual clock, advanced by real time, so that a game played in the
// window runs exactly as the same inputs at the same milliseconds run headless. An input calls
// CatchUp() first and is stamped with the time it returns: events due before it have fired,
// those due at it fire after the input. Time stands still while a StandStill lives. When the
// clock is more than kMaxLagMs behind what was due (a stall), the rest is skipped rather than
// caught up in one burst.
class GameClock : public TimerDriver {
  public:
    static constexpr std::int64_t kMaxLagMs = 200;

    explicit GameClock(RealTime& real);
    ~GameClock() override;
    GameClock(const GameClock&) = delete;
    GameClock& operator=(const GameClock&) = delete;

    void Start(Timer& timer) override;
    void Stop(Timer& timer) override;

    // Time 0 is now; from here on the clock follows the real one.
    void Begin();
    std::int64_t CatchUp();
    std::int64_t Now() const { return clock_.Now(); }
    // A source of inputs due at given times (a replay): each is handed over at its time,
    // before the timers due then. NextInput returns nothing when none is left.
    std::function<std::optional<std::int64_t>()> NextInput;
    std::function<void()> DeliverInput;
    std::function<void(const Timer&)>& AfterFire() { return clock_.AfterFire; }
    // Game time passes at rate quarters of real time (4: as fast).
    void SetRate(int quarters);
    // Runs at once what is due until the given time (inputs due then too), and goes on from
    // there: a replay skipping ahead.
    void RunTo(std::int64_t target);
    // Inside a run of its events, as an event's handler waiting for a sound's end is.
    bool Busy() const { return running_; }

  private:
    friend class StandStill;
    void Hold();
    void Release();
    std::optional<std::int64_t> NextInputDue() const;
    std::int64_t Target();
    // The game time the real one has reached, lag not yet taken off.
    std::int64_t Reached() const;
    void RunEvents(std::int64_t target);
    void Schedule();

    VirtualClock clock_;
    RealTime& real_;
    std::int64_t realBase_ = 0;
    std::int64_t gameBase_ = 0;
    int held_ = 0;
    std::int64_t heldAt_ = 0;  // the game time a stand-still began at
    std::uint64_t holds_ = 0;  // stand-stills begun so far
    int rate_ = 4;
    bool running_ = false;
    bool begun_ = false;
};

// While one exists the game clock stands still: a message box is open, or a sound plays to
// its end.
class StandStill {
  public:
    StandStill();
    ~StandStill();
    StandStill(const StandStill&) = delete;
    StandStill& operator=(const StandStill&) = delete;
};

// The driver used by timers from now on (nullptr: the real one). Switch only while no
// timer runs.
void SetTimerDriver(TimerDriver* driver);
TimerDriver& ActiveTimerDriver();

}  // namespace plat
