#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hand_turned_time.h"
#include "platform/timer.h"

namespace {

using Events = std::vector<std::string>;

class AdvanceToTest : public testing::Test {
  protected:
    void SetUp() override { plat::SetTimerDriver(&clock); }
    void TearDown() override { plat::SetTimerDriver(nullptr); }

    void Record(plat::Timer& timer) {
        timer.OnTimer = [this, &timer] {
            events.push_back(timer.Name() + "@" + std::to_string(clock.Now()));
        };
    }

    plat::VirtualClock clock;
    Events events;
};

TEST_F(AdvanceToTest, LeavesEventsDueAtTheTargetPendingUntilTimeMovesOn) {
    plat::Timer a("a", 10);
    Record(a);
    a.SetEnabled(true);

    clock.AdvanceTo(20);
    EXPECT_EQ(events, (Events{"a@10"}));
    EXPECT_EQ(clock.Now(), 20);

    clock.AdvanceTo(20);
    EXPECT_EQ(events, (Events{"a@10"}));

    clock.AdvanceTo(21);
    EXPECT_EQ(events, (Events{"a@10", "a@20"}));
    EXPECT_EQ(clock.Now(), 21);
}

TEST_F(AdvanceToTest, WhatHappensAtTheTargetComesBeforeItsTimers) {
    plat::Timer a("a", 10);
    plat::Timer b("b", 5);
    Record(a);
    Record(b);
    a.SetEnabled(true);

    clock.AdvanceTo(10);
    EXPECT_TRUE(events.empty());
    b.SetEnabled(true);  // counts from 10
    clock.AdvanceTo(16);

    EXPECT_EQ(events, (Events{"a@10", "b@15"}));
}

TEST_F(AdvanceToTest, DisablingAtTheTargetCancelsItsPendingEvent) {
    plat::Timer a("a", 10);
    Record(a);
    a.SetEnabled(true);

    clock.AdvanceTo(10);
    a.SetEnabled(false);
    clock.AdvanceTo(30);

    EXPECT_TRUE(events.empty());
}

// Game time follows real time: timers and inputs come when due, however long nothing else
// runs; a stall (the process stopped) is skipped beyond 200 ms; a stand-still stops time. A
// replay watched at another speed follows it at that rate, and one jumping ahead runs what is
// due on the way at once.
TEST(GameClock, FollowsRealTime) {
    struct Row {
        const char* name;
        std::vector<std::pair<const char*, int>> timers{};
        std::vector<std::int64_t> inputs{};  // a replay's, in game ms
        std::int64_t late = 0;             // how late every wake comes, real ms
        std::pair<std::int64_t, std::int64_t> stall{};  // at, for: no wake at all
        std::pair<std::int64_t, std::int64_t> hold{};   // a stand-still: at, for
        const char* holdIn = nullptr;  // the stand-still is begun by this timer's first event
        int rate = 4;                  // quarters of real time
        std::pair<std::int64_t, std::int64_t> jump{};  // at real, to game
        std::int64_t runFor = 0;
        std::int64_t gameAtEnd = 0;
        std::string fired;            // events per timer
        std::vector<std::string> seen{};  // name@game:real, among the events
    };
    const Row rows[] = {
        {.name = "500ms-timer-alone-for-a-minute",
         .timers = {{"tmrFlash", 500}},
         .runFor = 60001,
         .gameAtEnd = 60001,
         .fired = "tmrFlash:120",
         .seen = {"tmrFlash@500:501", "tmrFlash@30000:30001", "tmrFlash@60000:60001"}},
        {.name = "10ms-tick",
         .timers = {{"tmrKeyBoard", 10}, {"tmrReady", 500}},
         .runFor = 10001,
         .gameAtEnd = 10001,
         .fired = "tmrKeyBoard:1000 tmrReady:20",
         .seen = {"tmrKeyBoard@10000:10001", "tmrReady@10000:10001"}},
        {.name = "late-wakes-lose-no-time",
         .timers = {{"tmrKeyBoard", 10}, {"tmrFlash", 500}},
         .late = 30,
         .runFor = 10000,
         .gameAtEnd = 10000,
         .fired = "tmrKeyBoard:999 tmrFlash:19"},
        {.name = "3s-stall-costs-2800ms",
         .timers = {{"tmrKeyBoard", 10}},
         .stall = {1000, 3000},
         .runFor = 6000,
         .gameAtEnd = 3200,
         .fired = "tmrKeyBoard:319",
         .seen = {"tmrKeyBoard@1000:4000", "tmrKeyBoard@1190:4000", "tmrKeyBoard@1200:4001"}},
        {.name = "3s-stall-with-a-500ms-timer-alone",
         .timers = {{"tmrFlash", 500}},
         .stall = {1000, 3000},
         .runFor = 6001,
         .gameAtEnd = 3201,
         .fired = "tmrFlash:6",
         .seen = {"tmrFlash@1000:4000", "tmrFlash@1500:4301"}},
        {.name = "replay-inputs-in-order-before-timers-due-with-them",
         .timers = {{"tmrKeyBoard", 10}},
         .inputs = {0, 5, 10, 10, 25, 1001, 1003},
         .stall = {1000, 3000},
         .runFor = 4100,
         .gameAtEnd = 1300,
         .fired = "input:7 tmrKeyBoard:129",
         .seen = {"input@0:0", "input@10:10", "tmrKeyBoard@10:11", "input@25:25",
                  "input@1001:4000", "input@1003:4000"}},
        {.name = "stand-still-stops-time",
         .timers = {{"tmrFlash", 500}},
         .hold = {1200, 2000},
         .runFor = 5001,
         .gameAtEnd = 3001,
         .fired = "tmrFlash:6",
         .seen = {"tmrFlash@1000:1001", "tmrFlash@1500:3501"}},
        {.name = "stand-still-begun-inside-a-catch-up",
         .timers = {{"tmrKeyBoard", 10}, {"tmrFlash", 500}},
         .stall = {495, 100},
         .hold = {0, 1000},
         .holdIn = "tmrFlash",
         .runFor = 2001,
         .gameAtEnd = 906,
         .fired = "tmrKeyBoard:90 tmrFlash:1",
         // What was due after the box waits for the real time after it: no burst.
         .seen = {"tmrFlash@500:595", "tmrKeyBoard@510:1606", "tmrKeyBoard@520:1616"}},
        {.name = "four-times-as-fast",
         .timers = {{"tmrKeyBoard", 10}},
         .rate = 16,
         .runFor = 2501,
         .gameAtEnd = 10004,
         .fired = "tmrKeyBoard:1000",
         .seen = {"tmrKeyBoard@10:3", "tmrKeyBoard@10000:2501"}},
        {.name = "a-quarter-as-fast-and-a-stall",
         .timers = {{"tmrFlash", 500}},
         .stall = {4000, 3000},
         .rate = 1,
         .runFor = 10001,
         .gameAtEnd = 1800,
         .fired = "tmrFlash:3",
         .seen = {"tmrFlash@500:2004", "tmrFlash@1000:7000", "tmrFlash@1500:8804"}},
        {.name = "jump-ahead-runs-the-way-at-once",
         .timers = {{"tmrFlash", 500}},
         .inputs = {20000},
         .jump = {1000, 30000},
         .runFor = 2001,
         .gameAtEnd = 31001,
         .fired = "input:1 tmrFlash:62",
         .seen = {"tmrFlash@500:501", "input@20000:1000", "tmrFlash@29500:1000",
                  "tmrFlash@30000:1001", "tmrFlash@31000:2001"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HandTurnedTime real;
        plat::GameClock clock(real);
        std::map<std::string, int> fired;
        std::vector<std::string> events;
        const auto happened = [&](const std::string& name) {
            ++fired[name];
            events.push_back(name + "@" + std::to_string(clock.Now()) + ":" +
                             std::to_string(real.now));
        };
        std::vector<std::unique_ptr<plat::Timer>> timers;
        for (const auto& [name, interval] : row.timers) {
            timers.push_back(std::make_unique<plat::Timer>(name, interval));
            plat::Timer& timer = *timers.back();
            timer.SetDriver(&clock);
            timer.OnTimer = [&, name = std::string(name)] {
                happened(name);
                if (row.holdIn && name == row.holdIn && fired[name] == 1) {
                    const plat::StandStill still;
                    real.now += row.hold.second;
                }
            };
            timer.SetEnabled(true);
        }
        std::size_t next = 0;
        clock.NextInput = [&]() -> std::optional<std::int64_t> {
            if (next == row.inputs.size()) return std::nullopt;
            return row.inputs[next];
        };
        clock.DeliverInput = [&] {
            ++next;
            happened("input");
        };
        clock.SetRate(row.rate);
        clock.Begin();
        if (row.jump.second) {
            real.RunTo(row.jump.first, row.late);
            clock.RunTo(row.jump.second);
        }
        if (row.stall.second) {
            real.RunTo(row.stall.first, row.late);
            real.now += row.stall.second;
        }
        if (row.hold.second && !row.holdIn) {
            real.RunTo(row.hold.first, row.late);
            const plat::StandStill still;
            real.now += row.hold.second;
        }
        real.RunTo(row.runFor, row.late);
        // As an input would: the time it is stamped with.
        EXPECT_EQ(clock.CatchUp(), row.gameAtEnd);
        std::string summary;
        for (const char* name : {"input", "tmrKeyBoard", "tmrFlash", "tmrReady"}) {
            if (fired.contains(name))
                summary += (summary.empty() ? "" : " ") + std::string(name) + ":" +
                           std::to_string(fired[name]);
        }
        EXPECT_EQ(summary, row.fired);
        for (const std::string& event : row.seen)
            EXPECT_NE(std::find(events.begin(), events.end(), event), events.end()) << event;
        for (const auto& timer : timers) timer->SetEnabled(false);
    }
}

}  // namespace
