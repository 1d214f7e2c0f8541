#include <QImage>
#include <algorithm>

#include "sim_run.h"

namespace {

using simtest::Int;
using simtest::SimResult;
using simtest::Text;

class SimIdle : public simtest::SimTest {};

// "ev@t" plus the one value that matters for the kind of event.
std::vector<std::string> Timeline(const SimResult& result) {
    std::vector<std::string> lines;
    for (const QJsonObject& e : result.events) {
        std::string line = Text(e, "ev").toStdString() + "@" + std::to_string(Int(e, "t"));
        if (e.contains("FlashOn")) line += ":" + std::to_string(Int(e, "FlashOn"));
        if (e.contains("target")) line += ":" + Text(e, "target").section('/', -2).toStdString();
        lines.push_back(line);
    }
    return lines;
}

TEST_F(SimIdle, FlashesEveryHalfSecondWithInputsBeforeTimersOfTheSameTime) {
    const SimResult result = Run("2500 key F1\n3000 end\n");

    ASSERT_EQ(result.exitCode, 0);
    // The flash due at the end's own time never fires.
    EXPECT_EQ(Timeline(result), (std::vector<std::string>{
                                    "flash@500:-1", "flash@1000:0", "flash@1500:-1", "flash@2000:0",
                                    "input@2500", "open@2500:help/index.html", "flash@2500:-1",
                                    "input@3000", "end@3000"}));
}

TEST_F(SimIdle, EmptyScriptEndsAtOneMillisecondWithFirstRunValues) {
    const SimResult result = Run("");

    ASSERT_EQ(result.exitCode, 0);
    ASSERT_EQ(result.events.size(), 1u);
    const QJsonObject end = result.End();
    EXPECT_EQ(Int(end, "t"), 1);
    EXPECT_EQ(Int(end, "Coins"), 9);
    EXPECT_EQ(Int(end, "HiScore"), 1000);
    EXPECT_EQ(Int(end, "Speed"), 1);
    EXPECT_EQ(Int(end, "DefaultMode"), -1);
    EXPECT_EQ(Int(end, "GameRunning"), 0);
    EXPECT_EQ(Text(end, "lblCoins"), "9 个币");
    EXPECT_EQ(Text(end, "lblHiscore"), "1000");
    EXPECT_EQ(Text(end, "lblSpeed"), "默认速度");
    EXPECT_EQ(Text(end, "lblTitle"), "默认模式");
    // The centred window sits on whole pixels of the 1024 x 768 screen.
    EXPECT_EQ(end["settings"].toObject(), (QJsonObject{{"frmMainX", "2445"},
                                                       {"frmMainY", "1590"},
                                                       {"GameCoins", "9"},
                                                       {"GameHiScore", "1000"}}));
}

TEST_F(SimIdle, SettingsFileKeepsWhatAGameChangedForTheNextRun) {
    const QString settings = WriteSettings({{"GameCoins", "3"}, {"GameHiScore", "5"}});
    // Nobody steers, so the ghosts end the game well within the minute.
    const SimResult game = Run("0 key 1\n60000 end\n", {"--settings", settings});
    ASSERT_EQ(game.exitCode, 0);
    ASSERT_EQ(Int(game.End(), "GameRunning"), 0);
    const std::int64_t hiScore = Int(game.End(), "HiScore");
    ASSERT_GT(hiScore, 5);
    EXPECT_EQ(ReadSetting(settings, "GameCoins"), "2");
    EXPECT_EQ(ReadSetting(settings, "GameHiScore"), QString::number(hiScore));

    const QJsonObject next = Run("", {"--settings", settings}).End();
    EXPECT_EQ(Int(next, "Coins"), 2);
    EXPECT_EQ(Text(next, "lblCoins"), "2 个币");
    EXPECT_EQ(Int(next, "HiScore"), hiScore);
    EXPECT_EQ(Text(next, "lblHiscore"), QString::number(hiScore));
}

struct StoredRow {
    const char* name;
    const char* coins;
    const char* hiScore;
    int wantCoins;
    int wantHiScore;
};

void PrintTo(const StoredRow& row, std::ostream* out) {
    *out << row.name;
}

class SimStoredValues : public simtest::SimTest, public testing::WithParamInterface<StoredRow> {};

TEST_P(SimStoredValues, AreReadOrReplacedByDefaults) {
    const StoredRow& row = GetParam();
    const QString settings =
        WriteSettings({{"GameCoins", row.coins}, {"GameHiScore", row.hiScore}});

    const QJsonObject end = Run("", {"--settings", settings}).End();

    EXPECT_EQ(Int(end, "Coins"), row.wantCoins);
    EXPECT_EQ(Int(end, "HiScore"), row.wantHiScore);
    EXPECT_EQ(Text(end, "lblCoins"),
              row.wantCoins == 1 ? QString("1 个币") : QString("%1 个币").arg(row.wantCoins));
    EXPECT_EQ(ReadSetting(settings, "GameCoins"), QString::number(row.wantCoins));
}

INSTANTIATE_TEST_SUITE_P(
    Sim, SimStoredValues,
    testing::Values(StoredRow{"not-a-number", "abc", "x", 9, 1000},
                    StoredRow{"out-of-range", "100", "-5", 9, 1000},
                    StoredRow{"negative-coins-zero-score", "-1", "0", 9, 0},
                    StoredRow{"trailing-text", "12abc", "1000x", 9, 1000},
                    StoredRow{"empty", "", "", 9, 1000},
                    StoredRow{"half-rounds-down-to-even", "2.5", "1500.5", 2, 1500},
                    StoredRow{"half-rounds-up-to-even", "3.5", "1501.5", 4, 1502},
                    StoredRow{"one-coin", "1", "123456", 1, 123456},
                    StoredRow{"largest", "99", "2147483647", 99, 2147483647}),
    [](const testing::TestParamInfo<StoredRow>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST_F(SimIdle, ScreenshotIsTheWindowAtTheEnd) {
    const QString png = Path("shot.png");

    ASSERT_EQ(Run("", {"--screenshot", png}).exitCode, 0);

    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(697, 556));
    // Green inside, see-through outside the rounded corners.
    EXPECT_EQ(image.pixelColor(348, 220), QColor(0, 128, 0));
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(696, 555).alpha(), 0);
}

TEST_F(SimIdle, SameSeedReplaysExactlyAndAnotherSeedDrawsOtherwise) {
    const QByteArray script = "0 key 1\n5000 hold U\n5600 hold L\n7000 hold D\n12000 end\n";

    const SimResult first = Run(script, {"--seed", "42"});
    const SimResult again = Run(script, {"--seed", "42"});
    const SimResult other = Run(script, {"--seed", "4294967295"});

    ASSERT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.raw, again.raw);
    const auto draws = first.Of("random");
    ASSERT_FALSE(draws.empty());
    ASSERT_FALSE(other.Of("random").empty());
    EXPECT_NE(draws[0]["value"].toDouble(), other.Of("random")[0]["value"].toDouble());
    for (const QJsonObject& draw : draws) {
        EXPECT_GE(draw["value"].toDouble(), 0.0);
        EXPECT_LT(draw["value"].toDouble(), 1.0);
    }
}

}  // namespace
