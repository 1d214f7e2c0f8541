#include <random>

#include "sim_run.h"

namespace {

using simtest::Edible;
using simtest::GameInt;
using simtest::Int;
using simtest::Text;

class SimLong : public simtest::SimTest {};

// Virtual time of the long run; sized so the suite stays quick under the sanitizers.
constexpr std::int64_t kDurationMs = 60 * 60 * 1000;

// A player who keeps feeding coins, starts games, steers at random every few hundred
// milliseconds and now and then presses Escape, answering the question at random.
QByteArray RandomScript(std::uint32_t seed) {
    std::mt19937 rng(seed);
    const char* holds[] = {"-", "U", "D", "L", "R", "UL", "UR", "DL", "DR", "LR", "UDLR"};
    const char* answers[] = {"yes", "no", "cancel"};
    QByteArray script;
    for (std::int64_t t = 0; t < kDurationMs;) {
        t += 100 + rng() % 500;
        const QByteArray at = QByteArray::number(t) + " ";
        const unsigned pick = rng() % 200;
        if (pick < 6) {
            script += at + "key I\n";
        } else if (pick < 20) {
            script += at + (pick < 16 ? "key 1\n" : "key 2\n");
        } else if (pick < 22) {
            script += at + "answer " + answers[rng() % 3] + "\n" + at + "key Escape\n";
        } else if (pick < 23) {
            script += at + (rng() % 2 ? "key S\n" : "key E\n");
        } else {
            script += at + "hold " + holds[rng() % std::size(holds)] + "\n";
        }
    }
    return script;
}

TEST_F(SimLong, AnHourOfRandomPlayKeepsTheRulesInvariants) {
    std::int64_t lastT = 0;
    std::int64_t ticks = 0;
    std::int64_t maxScore = 0;
    std::int64_t lastStart = -1;  // start music: a fresh board not yet seen by a tick
    std::int64_t lastTickDots = -1;
    std::int64_t lastTickT = -1;
    QJsonObject end;

    const int status = Stream(RandomScript(20261208), {"--seed", "7"}, [&](const QJsonObject& e) {
        const QString ev = Text(e, "ev");
        const std::int64_t t = Int(e, "t");
        EXPECT_GE(t, lastT) << "time runs backwards";
        lastT = t;
        if (ev == "tick") {
            EXPECT_EQ(Int(e, "n"), ++ticks);
            const std::int64_t dots = GameInt(e, "DotsLeft");
            const std::int64_t lives = GameInt(e, "Lives");
            const std::int64_t level = GameInt(e, "Level");
            EXPECT_TRUE(dots >= 0 && dots <= 244) << "DotsLeft " << dots << " at " << t;
            EXPECT_TRUE(lives >= 0 && lives <= 9) << "Lives " << lives << " at " << t;
            EXPECT_TRUE(level >= 1 && level <= 8) << "Level " << level << " at " << t;
            maxScore = std::max(maxScore, GameInt(e, "Score"));
            lastTickDots = dots;
            lastTickT = t;
        } else if (ev == "sound" && Text(e, "name").startsWith("startMusic")) {
            lastStart = t;
        } else if (ev == "end") {
            end = e;
        }
        return !HasFailure();
    });

    ASSERT_EQ(status, 0);
    ASSERT_FALSE(end.isEmpty());
    // Enough play that the invariants meant something.
    EXPECT_GT(ticks, kDurationMs / 10 / 3);
    EXPECT_EQ(Int(end, "HiScore"), std::max<std::int64_t>(1000, maxScore));
    EXPECT_EQ(Text(end, "lblHiscore"), QString::number(Int(end, "HiScore")));
    if (Int(end, "GameRunning") && lastTickT >= lastStart) {
        EXPECT_EQ(Edible(end["Items"]), lastTickDots);
    }
}

}  // namespace
