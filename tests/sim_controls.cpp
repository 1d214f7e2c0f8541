#include "sim_run.h"

namespace {

using simtest::Events;
using simtest::GameInt;
using simtest::Int;
using simtest::SimResult;
using simtest::Text;

class SimControls : public simtest::SimTest {};

std::string Sounds(const SimResult& result) {
    std::string names;
    for (const QJsonObject& sound : result.Of("sound"))
        names += Text(sound, "name").toStdString() + "@" + std::to_string(Int(sound, "t")) + ":" +
                 std::to_string(Int(sound, "flags")) + " ";
    return names;
}

TEST_F(SimControls, CoinKeyAndButtonEachAddACoinWithASound) {
    const QString settings = WriteSettings({{"GameCoins", "10"}});

    const SimResult result = Run("100 key I\n200 click XPButton1\n", {"--settings", settings});

    EXPECT_EQ(Sounds(result), "fruiteat@100:1 fruiteat@200:1 ");
    EXPECT_EQ(Int(result.End(), "Coins"), 12);
    EXPECT_EQ(Text(result.End(), "lblCoins"), "12 个币");
}

TEST_F(SimControls, NoCoinBeyondNinetyNine) {
    const QString settings = WriteSettings({{"GameCoins", "99"}});

    const SimResult result = Run("100 key I\n200 click XPButton1\n", {"--settings", settings});

    EXPECT_EQ(Sounds(result), "");
    EXPECT_EQ(Int(result.End(), "Coins"), 99);
}

TEST_F(SimControls, OneCoinStartsOnlyAOnePlayerGame) {
    const QString settings = WriteSettings({{"GameCoins", "1"}});
    EXPECT_EQ(Text(Run("", {"--settings", settings}).End(), "lblCoins"), "1 个币");

    const SimResult result = Run(
        "100 click Option1(1)\n200 click XPButton4\n300 key 2\n400 key KP2\n500 key 1\n600 end\n",
        {"--settings", settings});

    EXPECT_EQ(Sounds(result), "startMusic@500:1 ");
    const QJsonObject end = result.End();
    EXPECT_EQ(Int(end, "GameRunning"), -1);
    EXPECT_EQ(Int(end, "NumPlayers"), 1);
    EXPECT_EQ(Int(end, "Coins"), 0);
    EXPECT_EQ(Text(end, "lblCoins"), "0 个币");
}

TEST_F(SimControls, DisabledOptionIgnoresAClickDuringPlay) {
    // Nobody steers, so the game is over long before the second start.
    const SimResult result = Run("0 key 1\n100 click Option1(1)\n60000 click XPButton4\n");

    EXPECT_EQ(Int(result.End(), "NumPlayers"), 1);
    EXPECT_EQ(Int(result.End(), "Coins"), 7);
}

struct KeyRow {
    const char* name;
    const char* script;
    int speed;
    const char* lblSpeed;
    int defaultMode;
    const char* lblTitle;
};

void PrintTo(const KeyRow& row, std::ostream* out) {
    *out << row.name;
}

class SimKeyMap : public simtest::SimTest, public testing::WithParamInterface<KeyRow> {};

TEST_P(SimKeyMap, SpeedAndModeChangeOnlyBetweenGames) {
    const KeyRow& row = GetParam();

    const QJsonObject end = Run(row.script).End();

    EXPECT_EQ(Int(end, "Speed"), row.speed);
    EXPECT_EQ(Text(end, "lblSpeed"), row.lblSpeed);
    EXPECT_EQ(Int(end, "DefaultMode"), row.defaultMode);
    EXPECT_EQ(Text(end, "lblTitle"), row.lblTitle);
}

INSTANTIATE_TEST_SUITE_P(
    Sim, SimKeyMap,
    testing::Values(KeyRow{"S_once", "100 key S\n", 2, "加快速度", -1, "默认模式"},
                    KeyRow{"S_twice", "100 key S\n200 key S\n", 4, "疯狂速度", -1, "默认模式"},
                    KeyRow{"S_three_times", "100 key S\n200 key S\n300 key S\n", 1, "默认速度", -1,
                           "默认模式"},
                    KeyRow{"speed_button", "100 click XPButton3\n", 2, "加快速度", -1, "默认模式"},
                    KeyRow{"E_once", "100 key E\n", 1, "默认速度", 0, "初始模式"},
                    KeyRow{"E_twice", "100 key E\n200 key E\n", 1, "默认速度", -1, "默认模式"},
                    KeyRow{"mode_button", "100 click XPButton2\n", 1, "默认速度", 0, "初始模式"},
                    KeyRow{"during_game", "100 key 1\n200 key S\n300 key E\n400 click XPButton3\n",
                           1, "默认速度", -1, "默认模式"}),
    [](const testing::TestParamInfo<KeyRow>& info) { return info.param.name; });

TEST_F(SimControls, OtherModeStartsWithItsOwnMusic) {
    const SimResult result = Run("100 key E\n200 key 1\n300 end\n");

    EXPECT_EQ(Sounds(result), "startMusicold@200:1 ");
}

TEST_F(SimControls, ExitAnsweredNoPlaysOnAndYesEndsAtOnce) {
    const SimResult result =
        Run("0 key 1\n5000 click XPButton7\n5100 answer yes\n5100 click XPButton7\n5200 key I\n"
            "9000 end\n");

    ASSERT_EQ(result.exitCode, 0);
    const Events boxes = result.Of("msgbox");
    ASSERT_EQ(boxes.size(), 2u);
    for (const QJsonObject& box : boxes) {
        EXPECT_EQ(Text(box, "title"), "Nibbly");
        EXPECT_EQ(Text(box, "text"), "你确定要关闭并结束程序吗？");
    }
    EXPECT_EQ(Text(boxes[0], "answer"), "no");
    EXPECT_EQ(Text(boxes[1], "answer"), "yes");
    EXPECT_FALSE(result.Of("tick").empty());
    EXPECT_EQ(Int(result.Of("tick").back(), "t"), 5090);
    // The end line is the last; the script's later lines never run.
    const QJsonObject& last = result.events.back();
    EXPECT_EQ(Text(last, "ev"), "end");
    EXPECT_EQ(Int(last, "t"), 5100);
    EXPECT_EQ(Int(last, "Coins"), 8);
    EXPECT_EQ(Text(result.Of("input").back(), "line"), "5100 click XPButton7");
}

TEST_F(SimControls, AboutBoxAndWebPageAreTracedNotShown) {
    const SimResult result = Run("100 click XPButton5\n200 click XPButton6\n");

    const Events boxes = result.Of("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Text(boxes[0], "answer"), "ok");
    EXPECT_TRUE(Text(boxes[0], "text").contains("\r\n\r\n"));
    const Events opens = result.Of("open");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(Int(opens[0], "t"), 200);
    EXPECT_TRUE(Text(opens[0], "target").startsWith("https://"));
}

struct SteerRow {
    const char* name;
    const char* keys;  // script lines after the start at 0
    bool turns;
};

void PrintTo(const SteerRow& row, std::ostream* out) {
    *out << row.name;
}

class SimSteering : public simtest::SimTest, public testing::WithParamInterface<SteerRow> {};

// The player starts between cells heading right and reaches its first centre on tick 8;
// it can turn back from there only if the left key counts at tick 9's query.
TEST_P(SimSteering, LeftKeyCountsWhenHeldOrTappedJustBeforeTheCentre) {
    const SteerRow& row = GetParam();

    const SimResult result = Run(QByteArray("0 key 1\n") + row.keys + "4700 end\n");

    const Events ticks = result.Of("tick");
    ASSERT_GE(ticks.size(), 10u);
    EXPECT_EQ(GameInt(ticks[7], "GobAlign"), 0);
    EXPECT_EQ(GameInt(ticks[8], "GobDir"), row.turns ? 2 : 3);
}

INSTANTIATE_TEST_SUITE_P(
    Sim, SimSteering,
    testing::Values(SteerRow{"held", "100 hold L\n", true},
                    SteerRow{"tapped_early", "100 tap L\n", false},
                    SteerRow{"tapped_before_the_query", "4585 tap L\n", true},
                    SteerRow{"held_then_tapped", "100 hold L\n200 tap L\n", true},
                    SteerRow{"released_before_the_query", "100 hold L\n4585 hold -\n", false},
                    SteerRow{"other_keys_held", "100 hold UDR\n", false}),
    [](const testing::TestParamInfo<SteerRow>& info) { return info.param.name; });

}  // namespace
