// Every game of a run, written to a file of its own, replays alone exactly as it went in the run.
#include <QDir>
#include <QFile>
#include <cstdint>
#include <random>

#include "sim_run.h"

namespace {

using simtest::Events;

class SimGames : public simtest::SimTest {
  protected:
    // The events of a trace, times from `start`, without the tick count, which counts from the
    // run's start, and without the script's own end.
    static Events Shifted(const Events& events, std::size_t from, std::size_t count,
                          std::int64_t start) {
        Events shifted;
        for (std::size_t i = from; i < events.size() && shifted.size() < count; ++i) {
            QJsonObject e = events[i];
            if (e["ev"] == "end") continue;
            e.remove("n");
            e["t"] = e["t"].toInteger() - start;
            if (e["ev"] == "input") e["line"] = e["line"].toString().section(' ', 1);
            shifted.push_back(e);
        }
        return shifted;
    }
};

QByteArray RandomPlay(std::uint32_t seed) {
    std::mt19937 random(seed);
    const char* holds[] = {"-", "L", "R", "U", "D", "LU", "RD"};
    const char* between[] = {"key I", "key E", "key S", "click Option1(0)", "click Option1(1)",
                             "key 1", "key 2", "key KP1", "click XPButton4", "click XPButton1"};
    QByteArray script = "# setting GameCoins 5\n";
    std::int64_t t = 0;
    for (int i = 0; i < 400; ++i) {
        t += 1 + random() % 3000;
        const auto pick = random() % 10;
        const QByteArray line = pick < 6   ? QByteArray("hold ") + holds[random() % 7]
                                : pick < 7 ? QByteArray("tap ") + "UDLR"[random() % 4]
                                           : QByteArray(between[random() % 10]);
        script += QByteArray::number(t) + " " + line + "\n";
    }
    return script;
}

TEST_F(SimGames, EachGameReplaysAloneAsItWentInTheRun) {
    const struct {
        const char* name;
        QByteArray script;
        int games;
    } rows[] = {
        // Coins, both modes and the other option between two games, each abandoned (the first
        // in its ready phase); arrows held across both starts, the first let go before play.
        {"modes-between-abandoned",
         "# setting GameCoins 1\n100 hold L\n200 key 1\n900 hold -\n2000 answer yes\n"
         "2000 key Escape\n2600 key I\n2700 key I\n2800 key E\n2900 key S\n3000 key S\n"
         "3100 click Option1(1)\n3200 tap U\n3250 hold L\n3300 click XPButton4\n9000 hold R\n"
         "12000 hold D\n"
         "15000 answer yes\n15000 click XPButton8\n16000 end\n",
         2},
        // Deaths, turns passing and games over, with whatever earlier games left behind.
        {"random-play-1", RandomPlay(1), 0},
        {"random-play-7", RandomPlay(7), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString folder = Path(row.name);
        ASSERT_TRUE(QDir().mkpath(folder));
        const simtest::SimResult run = Run(row.script, {"--games", folder});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QStringList files = QDir(folder).entryList({"*.replay"}, QDir::Files, QDir::Name);
        if (row.games > 0) {
            EXPECT_EQ(files.size(), row.games);
        }
        EXPECT_GE(files.size(), 2);
        std::size_t searchFrom = 0;
        for (const QString& file : files) {
            SCOPED_TRACE(file.toStdString());
            QFile recording(folder + "/" + file);
            ASSERT_TRUE(recording.open(QIODevice::ReadOnly));
            const simtest::SimResult alone = Run(recording.readAll());
            ASSERT_EQ(alone.exitCode, 0) << alone.errors.toStdString();
            Events game = Shifted(alone.events, 0, alone.events.size(), 0);
            ASSERT_FALSE(game.empty());
            if (game.back().value("line") == "end") game.pop_back();
            // The game began with the run's next input of its first line.
            bool found = false;
            for (std::size_t i = searchFrom; i < run.events.size() && !found; ++i) {
                const QJsonObject& e = run.events[i];
                if (e["ev"] != "input") continue;
                const std::int64_t start = e["t"].toInteger();
                if (Shifted(run.events, i, 1, start) != Events{game.front()}) continue;
                if (Shifted(run.events, i, game.size(), start) == game) {
                    found = true;
                    searchFrom = i + game.size();
                }
            }
            EXPECT_TRUE(found) << "no stretch of the run traces as the game alone";
        }
    }
}

}  // namespace
