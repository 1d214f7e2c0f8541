#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/timer.h"

namespace {

using plat::Timer;

class VirtualClockTest : public testing::Test {
  protected:
    void SetUp() override { plat::SetTimerDriver(&clock); }
    void TearDown() override { plat::SetTimerDriver(nullptr); }

    // Records "name@time" for each event, then runs the extra action if any.
    void Record(Timer& timer, std::function<void()> then = {}) {
        timer.OnTimer = [this, &timer, then] {
            events.push_back(timer.Name() + "@" + std::to_string(clock.Now()));
            if (then) then();
        };
    }

    plat::VirtualClock clock;
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

TEST_F(VirtualClockTest, FiresEveryIntervalFromEnablingTime) {
    Timer a("a", 10);
    Record(a);
    clock.RunUntil(7);
    a.SetEnabled(true);

    clock.RunUntil(37);

    EXPECT_EQ(events, (Events{"a@17", "a@27", "a@37"}));
    EXPECT_EQ(clock.Now(), 37);
}

TEST_F(VirtualClockTest, DisablingCancelsWhatIsDueAndEnablingStartsAnew) {
    Timer a("a", 10);
    Record(a);
    a.SetEnabled(true);
    clock.RunUntil(15);
    a.SetEnabled(false);
    clock.RunUntil(50);
    a.SetEnabled(true);

    clock.RunUntil(65);

    EXPECT_EQ(events, (Events{"a@10", "a@60"}));
}

TEST_F(VirtualClockTest, EnablingAnEnabledTimerKeepsItsCount) {
    Timer a("a", 10);
    Record(a);
    a.SetEnabled(true);
    clock.RunUntil(5);
    a.SetEnabled(true);

    clock.RunUntil(10);

    EXPECT_EQ(events, (Events{"a@10"}));
}

TEST_F(VirtualClockTest, SameMillisecondFiresInOrderOfLastEnabling) {
    Timer a("a", 10);
    Timer b("b", 5);
    Record(a);
    Record(b);
    a.SetEnabled(true);
    b.SetEnabled(true);
    clock.RunUntil(10);
    // Re-enabling a puts it behind b.
    a.SetEnabled(false);
    a.SetEnabled(true);

    clock.RunUntil(20);

    EXPECT_EQ(events, (Events{"b@5", "a@10", "b@10", "b@15", "b@20", "a@20"}));
}

TEST_F(VirtualClockTest, HandlerDisablingATimerDueAtTheSameMillisecondStopsIt) {
    Timer a("a", 10);
    Timer b("b", 10);
    Record(a, [&b] { b.SetEnabled(false); });
    Record(b);
    a.SetEnabled(true);
    b.SetEnabled(true);

    clock.RunUntil(30);

    EXPECT_EQ(events, (Events{"a@10", "a@20", "a@30"}));
}

TEST_F(VirtualClockTest, TimerEnabledInHandlerFirstFiresOneIntervalLater) {
    Timer a("a", 10);
    Timer c("c", 3);
    Record(a, [&c] { c.SetEnabled(true); });
    Record(c);
    a.SetEnabled(true);

    clock.RunUntil(20);

    EXPECT_EQ(events, (Events{"a@10", "c@13", "c@16", "c@19", "a@20"}));
}

TEST_F(VirtualClockTest, HandlerStoppingItselfFiresOnce) {
    Timer a("a", 10);
    Record(a, [&a] { a.SetEnabled(false); });
    a.SetEnabled(true);

    clock.RunUntil(100);

    EXPECT_EQ(events, (Events{"a@10"}));
}

TEST_F(VirtualClockTest, HandlerRestartingItselfSkipsNothingWhenIntervalsAgree) {
    Timer a("a", 10);
    Record(a, [&a] {
        a.SetEnabled(false);
        a.SetEnabled(true);
    });
    a.SetEnabled(true);

    clock.RunUntil(30);

    EXPECT_EQ(events, (Events{"a@10", "a@20", "a@30"}));
}

TEST_F(VirtualClockTest, AfterFireFollowsEachHandler) {
    Timer a("a", 10);
    Timer b("b", 10);
    Record(a);
    Record(b);
    clock.AfterFire = [this](const Timer& timer) { events.push_back("after " + timer.Name()); };
    a.SetEnabled(true);
    b.SetEnabled(true);

    clock.RunUntil(10);

    EXPECT_EQ(events, (Events{"a@10", "after a", "b@10", "after b"}));
}

TEST_F(VirtualClockTest, DestroyedTimerNoLongerFires) {
    {
        Timer a("a", 10);
        Record(a);
        a.SetEnabled(true);
    }

    clock.RunUntil(50);

    EXPECT_TRUE(events.empty());
}

class CountingDriver : public plat::TimerDriver {
  public:
    void Start(Timer&) override { ++starts; }
    void Stop(Timer&) override { ++stops; }
    int starts = 0;
    int stops = 0;
};

TEST(Timer, CallsDriverOnlyOnRealChange) {
    CountingDriver driver;
    plat::SetTimerDriver(&driver);
    {
        Timer a("a", 10);
        a.SetEnabled(true);
        a.SetEnabled(true);
        a.SetEnabled(false);
        a.SetEnabled(false);
        a.SetEnabled(true);
    }
    plat::SetTimerDriver(nullptr);

    EXPECT_EQ(driver.starts, 2);
    EXPECT_EQ(driver.stops, 2);  // the last one by the destructor
}

TEST(RealTimerDriver, OnlyTheGamesTimersSkipEventsWhileAMessageBoxIsOpen) {
    // Due at once, so processing events is enough to fire them.
    Timer game("game", 0);
    Timer hover("hover", 0, Timer::WhileModal::Run);
    int gameFired = 0;
    int hoverFired = 0;
    game.OnTimer = [&gameFired] { ++gameFired; };
    hover.OnTimer = [&hoverFired] { ++hoverFired; };
    game.SetEnabled(true);
    hover.SetEnabled(true);
    int gameFiredWhileOpen = -1;
    int hoverFiredWhileOpen = -1;
    plat::SetMsgBoxHandler([&](const std::string&, int, const std::string&) {
        QCoreApplication::processEvents();
        gameFiredWhileOpen = gameFired;
        hoverFiredWhileOpen = hoverFired;
        return static_cast<int>(plat::vbOK);
    });

    plat::MsgBox("paused", plat::vbOKOnly, "");
    plat::SetMsgBoxHandler({});
    QCoreApplication::processEvents();
    game.SetEnabled(false);
    hover.SetEnabled(false);

    EXPECT_EQ(gameFiredWhileOpen, 0);
    EXPECT_GE(gameFired, 1);
    EXPECT_GE(hoverFiredWhileOpen, 1);
}

}  // namespace
