#include "sim_run.h"

namespace {

using simtest::Edible;
using simtest::Events;
using simtest::GameInt;
using simtest::Int;
using simtest::SimResult;
using simtest::Text;

class SimRounds : public simtest::SimTest {};

const QString kReady = QStringLiteral("准备…");

Events Between(const Events& events, std::int64_t from, std::int64_t to) {
    Events found;
    for (const QJsonObject& e : events)
        if (Int(e, "t") > from && Int(e, "t") <= to) found.push_back(e);
    return found;
}

QJsonObject TickAt(const SimResult& result, std::int64_t t) {
    for (const QJsonObject& tick : result.Of("tick"))
        if (Int(tick, "t") == t) return tick;
    return {};
}

// The time of the first sound of that name, -1 when none.
std::int64_t FirstSound(const SimResult& result, const char* name) {
    for (const QJsonObject& sound : result.Of("sound"))
        if (Text(sound, "name") == name) return Int(sound, "t");
    return -1;
}

// The first `seen` steps of a ready phase of `length` steps from `start`: "准备…" on odd
// steps, lblPlayer naming the player on those in a two-player game, the count back at 0 last.
void ExpectReadyPhase(const SimResult& result, std::int64_t start, int length,
                      const QString& player, int seen = 0) {
    if (seen == 0) seen = length;
    const Events ready = Between(result.Of("ready"), start, start + 500 * length);
    ASSERT_EQ(ready.size(), static_cast<std::size_t>(seen));
    for (int step = 1; step <= seen; ++step) {
        SCOPED_TRACE(step);
        const QJsonObject& e = ready[step - 1];
        const bool odd = step % 2 == 1 && step < length;
        EXPECT_EQ(Int(e, "t"), start + 500 * step);
        EXPECT_EQ(Int(e, "ReadyCount"), step % length);
        EXPECT_EQ(Text(e, "lblReady"), odd ? kReady : "");
        EXPECT_EQ(Text(e, "lblPlayer"), odd ? player : "");
    }
    EXPECT_TRUE(Between(result.Of("tick"), start, start + 500 * seen).empty());
    if (seen == length) {
        EXPECT_FALSE(TickAt(result, start + 500 * length + 10).isEmpty())
            << "play resumes 10 ms after the last step";
    }
}

TEST_F(SimRounds, StartPlaysMusicThenNineReadyStepsBeforeTheFirstTick) {
    const SimResult result = Run("200 key 1\n5000 end\n");

    ASSERT_EQ(result.exitCode, 0);
    const Events sounds = result.Of("sound");
    ASSERT_FALSE(sounds.empty());
    EXPECT_EQ(Text(sounds[0], "name"), "startMusic");
    EXPECT_EQ(Int(sounds[0], "t"), 200);
    EXPECT_EQ(Int(sounds[0], "flags"), 1);
    ExpectReadyPhase(result, 200, 9, "");
    EXPECT_EQ(Int(result.Of("tick").at(0), "n"), 1);
}

TEST_F(SimRounds, CaughtPlayerLosesALifeAndWaitsSixStepsWithoutTicks) {
    // Nobody steers, so the ghosts catch the player.
    const SimResult result = Run("0 key 1\n20000 end\n");

    const std::int64_t caught = FirstSound(result, "killed");
    ASSERT_GT(caught, 0);
    const Events killed = Between(result.Of("sound"), caught - 1, caught);
    EXPECT_EQ(Int(killed.at(0), "flags"), 0);
    EXPECT_EQ(GameInt(TickAt(result, caught - 10), "Lives"), 3);
    EXPECT_EQ(GameInt(TickAt(result, caught), "Lives"), 2);
    ExpectReadyPhase(result, caught, 6, "");
}

TEST_F(SimRounds, SecondPlayerTakesOverOnAFreshBoardAndBoardsStayApart) {
    const SimResult result = Run("0 key 2\n13000 end\n");

    ExpectReadyPhase(result, 0, 9, "玩家 1");
    const std::int64_t caught = FirstSound(result, "killed");
    ASSERT_GT(caught, 0);
    // The end falls in player 2's ready phase, after its eighth step.
    ASSERT_GE(13000, caught + 4000);
    ASSERT_LT(13000, caught + 4500);
    const QJsonObject before = TickAt(result, caught - 10);
    const QJsonObject handover = TickAt(result, caught);
    EXPECT_EQ(Int(before, "CurPlayer"), 0);
    EXPECT_EQ(Int(handover, "CurPlayer"), 1);
    EXPECT_EQ(GameInt(handover, "Level"), 1);
    EXPECT_EQ(GameInt(handover, "Score"), 0);
    EXPECT_EQ(GameInt(handover, "Lives"), 3);
    EXPECT_EQ(GameInt(handover, "DotsLeft"), 244);
    const Events music = Between(result.Of("sound"), caught - 1, caught);
    ASSERT_EQ(music.size(), 2u);
    EXPECT_EQ(Text(music[1], "name"), "startMusic");
    ExpectReadyPhase(result, caught, 9, "玩家 2", 8);

    const QJsonObject end = result.End();
    EXPECT_EQ(Int(end, "NumPlayers"), 2);
    EXPECT_EQ(Int(end, "CurPlayer"), 1);
    EXPECT_EQ(Edible(end["Items"]), 244);
    EXPECT_EQ(Edible(end["OtherItems"]), GameInt(before, "DotsLeft"));
    EXPECT_LT(GameInt(before, "DotsLeft"), 244);
}

TEST_F(SimRounds, GameOverReturnsToIdleAndStoresTheSettingsAtOnce) {
    const QString settings = WriteSettings({{"GameHiScore", "0"}});
    // Idle long enough that the trace after the game outgrows every buffer between the
    // simulator and this test: it cannot reach the coin below while we look at the file.
    const QByteArray script = "0 key 1\n20000000 key I\n20000001 end\n";
    std::int64_t lastTick = -1;
    std::int64_t maxScore = 0;
    std::int64_t firstFlash = -1;
    QJsonObject end;

    const int status = Stream(script, {"--settings", settings}, [&](const QJsonObject& e) {
        const QString ev = Text(e, "ev");
        if (ev == "tick") {
            lastTick = Int(e, "t");
            maxScore = std::max(maxScore, GameInt(e, "Score"));
        } else if (ev == "ready") {
            EXPECT_LT(firstFlash, 0) << "no ready step after the game";
        } else if (ev == "flash" && firstFlash < 0) {
            firstFlash = Int(e, "t");
            EXPECT_EQ(ReadSetting(settings, "GameCoins"), "8");
            EXPECT_EQ(ReadSetting(settings, "GameHiScore"), QString::number(maxScore));
        } else if (ev == "end") {
            end = e;
        }
        return true;
    });

    ASSERT_EQ(status, 0);
    ASSERT_GT(lastTick, 0);
    EXPECT_EQ(firstFlash, lastTick + 500);
    EXPECT_EQ(Int(end, "GameRunning"), 0);
    EXPECT_EQ(Int(end, "HiScore"), maxScore);
    EXPECT_EQ(ReadSetting(settings, "GameCoins"), "9");
}

struct AbandonRow {
    const char* name;
    const char* answers;  // script lines queued before the Escape
    const char* answer;   // what the box returned
    bool abandons;
};

void PrintTo(const AbandonRow& row, std::ostream* out) {
    *out << row.name;
}

class SimAbandon : public simtest::SimTest, public testing::WithParamInterface<AbandonRow> {};

TEST_P(SimAbandon, EscapeDuringPlayAsksFirst) {
    const AbandonRow& row = GetParam();
    const SimResult result =
        Run(QByteArray("0 key 1\n") + row.answers + "6000 key Escape\n7000 end\n");

    const Events boxes = result.Of("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Int(boxes[0], "t"), 6000);
    EXPECT_EQ(Text(boxes[0], "title"), "Nibbly");
    EXPECT_EQ(Text(boxes[0], "text"), "你确定要放弃当前并准备开始新游戏吗？");
    EXPECT_EQ(Text(boxes[0], "answer"), row.answer);
    const Events ticks = Between(result.Of("tick"), 6000, 7000);
    const Events flashes = Between(result.Of("flash"), 6000, 7000);
    EXPECT_EQ(Int(result.End(), "GameRunning"), row.abandons ? 0 : -1);
    EXPECT_EQ(ticks.empty(), row.abandons);
    EXPECT_EQ(flashes.size(), row.abandons ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Sim, SimAbandon,
    testing::Values(AbandonRow{"yes", "6000 answer yes\n", "yes", true},
                    AbandonRow{"no", "100 answer no\n", "no", false},
                    AbandonRow{"cancel", "6000 answer cancel\n", "cancel", false},
                    AbandonRow{"unqueued", "", "no", false},
                    AbandonRow{"not-a-button", "6000 answer ok\n", "no", false}),
    [](const testing::TestParamInfo<AbandonRow>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST_F(SimRounds, AbandonInTheReadyPhaseLeavesTheNextGameAFullOne) {
    const SimResult result =
        Run("0 key 1\n1600 answer yes\n1600 key Escape\n2000 key 1\n7000 end\n");

    ASSERT_EQ(result.Of("msgbox").size(), 1u);
    EXPECT_TRUE(Between(result.Of("ready"), 1600, 2000).empty());
    ExpectReadyPhase(result, 2000, 9, "");
    EXPECT_EQ(Int(result.End(), "Coins"), 7);
}

TEST_F(SimRounds, EscapeWithoutAGameAsksNothing) {
    const SimResult result = Run("100 key Escape\n200 click XPButton8\n300 end\n");

    EXPECT_TRUE(result.Of("msgbox").empty());
    EXPECT_EQ(Int(result.End(), "GameRunning"), 0);
}

}  // namespace
