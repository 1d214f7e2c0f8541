#pragma once
#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/timer.h"

// Real time turned by hand; the test plays the event loop, waking the clock when it asked.
class HandTurnedTime : public plat::RealTime {
  public:
    std::int64_t Elapsed() override { return now; }
    void WakeAfter(std::int64_t ms) override { wake = now + ms; }
    void CancelWake() override { wake.reset(); }
    // Each wake comes `late` ms after the time asked.
    void RunTo(std::int64_t until, std::int64_t late = 0) {
        while (wake && *wake + late <= until) {
            now = std::max(now, *wake + late);
            wake.reset();
            OnWake();
        }
        now = until;
    }

    std::int64_t now = 0;
    std::optional<std::int64_t> wake;
};
