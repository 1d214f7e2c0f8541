#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
