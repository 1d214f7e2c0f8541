#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QRect>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "flow/startup.h"
#include "flow/tick.h"
#include "game_board.h"

namespace game_test {
namespace {

struct Debris {
    int pixels = 0;
    QRect area;  // around every debris pixel
};

// Pixels of the playfield that differ from the level picture where nothing may cover it:
// every place but the cells still holding an item, the actors' boxes (where they stand
// and where this frame drew them, which differ for a ghost eaten in it) and the fruit
// while it is up. The ready labels are widgets over the playfield, not in its picture.
Debris FindDebris(const FrmMain& form) {
    std::vector<QRect> covered;
    covered.emplace_back(Game.GobX - 16, Game.GobY - 16, 32, 32);
    for (const GhostState& ghost : Ghosts) covered.emplace_back(ghost.X - 16, ghost.Y - 16, 32, 32);
    for (const SpriteState& sprite : Sprites)
        covered.emplace_back(sprite.NewX, sprite.NewY, 32, 32);
    if (Game.FruitShown && !Game.FruitGone) covered.emplace_back(kFruitX, kFruitY, 32, 32);

    const QImage& shown = form.pctScreen.Image();
    const QImage& level = form.pctpicture.Image();
    const int width = std::min(shown.width(), level.width());
    const int height = std::min(shown.height(), level.height());
    Debris debris;
    for (int y = 0; y < height; ++y) {
        const auto* seen = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        const auto* bare = reinterpret_cast<const QRgb*>(level.constScanLine(y));
        // A cell's width at a time: most are equal, and item cells are skipped whole.
        for (int left = 0; left < width; left += kCell) {
            const int item = Maze[left / kCell][y / kCell].Item;
            const int span = std::min(kCell, width - left);
            if (item == 1 || item == 2 ||
                std::memcmp(seen + left, bare + left, span * sizeof(QRgb)) == 0) {
                continue;
            }
            for (int x = left; x < left + span; ++x) {
                if (seen[x] == bare[x]) continue;
                bool hidden = false;
                for (const QRect& box : covered) hidden = hidden || box.contains(x, y);
                if (hidden) continue;
                ++debris.pixels;
                debris.area |= QRect(x, y, 1, 1);
            }
        }
    }
    return debris;
}

struct Cell {
    int col, row;
    bool operator==(const Cell&) const = default;
};

// Columns 0 and 26 are one place, as are 1 and 27: the tunnel joins them.
int Wrapped(int col) {
    return col == 0 ? 26 : col == 27 ? 1 : col;
}

// Plays like a person: heads for a frightened ghost while there is one, else for the
// nearest item, by the shortest way (the tunnel included) through cells it reaches well
// before any dangerous ghost could; with no such way it flees. Waypoints come first. With
// noise above 0 it sometimes turns at random. Keys go to the window as key events.
class Pilot {
  public:
    Pilot(FrmMain& form, std::uint32_t seed, double noise)
        : form_(form), rng_(seed), noise_(noise) {}

    std::vector<Cell> waypoints;  // visited in order

    // At a cell centre, picks the way on; between centres the held key stays.
    void Steer() {
        if ((Game.GobX - 8) % kCell != 0 || (Game.GobY - 8) % kCell != 0) return;
        const Cell here{(Game.GobX - 8) / kCell, (Game.GobY - 8) / kCell};
        if (!waypoints.empty() && waypoints.front() == here) waypoints.erase(waypoints.begin());
        int dir = -1;
        if (std::bernoulli_distribution(noise_)(rng_)) {
            dir = std::uniform_int_distribution(0, 3)(rng_);
        } else {
            dir = Way(here, GhostSteps());
            if (dir < 0) dir = Way(here, Grid(kFar));
        }
        if (dir >= 0) Hold(dir);
    }

    void Hold(int dir) {
        static constexpr Qt::Key kKeys[4] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right};
        if (dir == held_) return;
        if (held_ >= 0) Send(QEvent::KeyRelease, kKeys[held_]);
        held_ = dir;
        if (held_ >= 0) Send(QEvent::KeyPress, kKeys[held_]);
    }

  private:
    static constexpr int kFar = 1000;

    struct Grid {
        explicit Grid(int fill) {
            for (auto& column : steps) column.fill(fill);
        }
        int& operator[](Cell cell) { return steps[cell.col][cell.row]; }
        std::array<std::array<int, kMazeRows>, kMazeCols> steps;
    };

    // Breadth first from the cells in the queue, through open cells that pass `enter`.
    template <typename Enter>
    static void Spread(std::vector<Cell>& queue, Grid& steps, Enter enter) {
        for (std::size_t i = 0; i < queue.size(); ++i) {
            const Cell cell = queue[i];
            for (int dir = 0; dir < 4; ++dir) {
                const int col = cell.col + DirX[dir];
                const int row = cell.row + DirY[dir];
                if (Maze[col][row].Item == -1) continue;
                const Cell next{Wrapped(col), row};
                if (steps[next] != kFar || !enter(cell, next, dir)) continue;
                steps[next] = steps[cell] + 1;
                queue.push_back(next);
            }
        }
    }

    static bool Dangerous(const GhostState& ghost) {
        return !ghost.Eaten && ghost.Frightened * Speed < 64;
    }

    // Steps a dangerous ghost needs to each cell. Ghosts do not turn back; those at home
    // count from the door.
    static Grid GhostSteps() {
        Grid steps(kFar);
        std::vector<Cell> queue;
        for (const GhostState& ghost : Ghosts) {
            if (!Dangerous(ghost)) continue;
            const Cell at = ghost.Roaming ? CellOf(ghost) : Cell{14, 11};
            steps[at] = 0;
            for (int dir = 0; dir < 4; ++dir) {
                const int col = at.col + DirX[dir];
                const int row = at.row + DirY[dir];
                const Cell next{Wrapped(col), row};
                if (Maze[col][row].Item == -1 || (ghost.Roaming && dir == Opposite[ghost.Dir]) ||
                    steps[next] <= 1) {
                    continue;
                }
                steps[next] = 1;
                queue.push_back(next);
            }
        }
        Spread(queue, steps, [](Cell, Cell, int) { return true; });
        return steps;
    }

    static Cell CellOf(const GhostState& ghost) {
        return {Wrapped(ghost.X / kCell), ghost.Y / kCell};
    }

    bool Goal(Cell cell) const {
        if (!waypoints.empty()) return waypoints.front() == cell;
        bool chase = false;
        for (const GhostState& ghost : Ghosts) {
            if (ghost.Eaten || Dangerous(ghost)) continue;
            chase = true;
            if (CellOf(ghost) == cell) return true;
        }
        const int item = Maze[cell.col][cell.row].Item;
        return !chase && (item == 1 || item == 2);
    }

    // The first step towards the nearest goal through cells reached two steps ahead of
    // the ghosts, else towards the cell farthest from them; -1 when no cell is safe.
    int Way(Cell from, Grid ghostSteps) const {
        Grid steps(kFar);
        Grid first(-1);
        steps[from] = 0;
        std::vector<Cell> queue{from};
        Spread(queue, steps, [&](Cell cell, Cell next, int dir) {
            if (steps[cell] + 3 > ghostSteps[next]) return false;
            first[next] = cell == from ? dir : first[cell];
            return true;
        });
        Cell refuge = from;
        for (const Cell cell : queue) {
            if (cell != from && Goal(cell)) return first[cell];
            if (ghostSteps[cell] > ghostSteps[refuge]) refuge = cell;
        }
        return first[refuge];
    }

    void Send(QEvent::Type type, Qt::Key key) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QApplication::sendEvent(form_.KeyReceiver(), &event);
    }

    FrmMain& form_;
    std::mt19937 rng_;
    double noise_;
    int held_ = -1;
};

// What a session saw.
struct Tally {
    int ticks = 0;
    int checks = 0;
    int ghostsEaten[5] = {};  // by Speed
    int deaths = 0;
    int turnSwitches = 0;
    int levelsCleared = 0;
    int wraps = 0;
    long debrisPixels = 0;  // summed over all checks
    std::string firstDebris;
};

std::ostream& operator<<(std::ostream& out, const Tally& t) {
    return out << t.ticks << " ticks, " << t.checks
               << " checks; ghosts eaten at speed 1/2/4: " << t.ghostsEaten[1] << "/"
               << t.ghostsEaten[2] << "/" << t.ghostsEaten[4] << ", " << t.deaths << " deaths, "
               << t.turnSwitches << " turn switches, " << t.levelsCleared << " levels cleared, "
               << t.wraps << " tunnel wraps; " << t.debrisPixels << " debris pixels";
}

// The main window on the virtual clock with a fresh settings store. Games are set up and
// started with the keys; the board is checked after every tick and every ready step.
class Session {
  public:
    explicit Session(std::uint32_t seed) {
        plat::SetTimerDriver(&clock);
        plat::UseMemorySettings();
        plat::SetAppPath(NIBBLY_BIN_DIR);
        plat::SetSoundBackend(std::make_unique<SoundLog>(sounds_, onSound_));
        plat::SetMsgBoxHandler([](const std::string&, int, const std::string&) {
            return static_cast<int>(plat::vbYes);  // abandoning a game: yes
        });
        plat::ReleaseAllKeys();
        plat::SetRandomObserver({});
        plat::Randomize(seed);
        // As a freshly started program has them, whatever tests ran before.
        for (auto& column : Maze)
            for (MazeCell& cell : column) cell = {};
        for (GhostState& ghost : Ghosts) ghost = {};
        for (SpriteState& sprite : Sprites) sprite = {};
        LoadMainWindow(form);
        onSound_ = [this](const std::string& name) {
            if (name == "ghosteat") ++tally.ghostsEaten[Speed];
            if (name == "killed") ++tally.deaths;
        };
    }

    ~Session() {
        form.Unload();
        plat::SetTimerDriver(nullptr);
        plat::SetSoundBackend(nullptr);
        plat::SetMsgBoxHandler({});
        plat::ReleaseAllKeys();
        plat::SetAppPath("");
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // One game from the keys: look, speed, coins, start; then play until it is over or
    // maxTicks have passed, when it is abandoned. The first player starts with `lives`.
    void Play(bool oldLook, int speed, int players, int maxTicks, Pilot& pilot, int lives = 3) {
        if ((DefaultMode == kFalse) != oldLook) Key(Qt::Key_E);
        while (Speed != speed) Key(Qt::Key_S);
        while (Coins < players) Key(Qt::Key_I);
        Key(players == 1 ? Qt::Key_1 : Qt::Key_2);
        EXPECT_EQ(GameRunning, kTrue);
        Game.Lives = static_cast<std::int16_t>(lives);

        const int endTick = tally.ticks + maxTicks;
        std::int16_t lastPlayer = CurPlayer;
        clock.AfterFire = [&](const plat::Timer& timer) {
            if (!GameRunning) return;
            if (&timer == &form.tmrKeyBoard) {
                ++tally.ticks;
                for (const SpriteState& sprite : Sprites) {
                    tally.wraps += std::abs(sprite.NewX - sprite.OldX) > 64;
                }
                tally.turnSwitches += CurPlayer != lastPlayer;
                tally.levelsCleared += Game.NewLevel && CurPlayer == lastPlayer;
                lastPlayer = CurPlayer;
                pilot.Steer();
            } else if (&timer != &form.tmrReady) {
                return;
            }
            Check(speed);
        };
        while (GameRunning && tally.ticks < endTick) clock.RunUntil(clock.Now() + 10);
        clock.AfterFire = {};
        pilot.Hold(-1);
        if (GameRunning) Key(Qt::Key_Escape);
        EXPECT_EQ(GameRunning, kFalse);
    }

    void Key(Qt::Key key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(form.KeyReceiver(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(form.KeyReceiver(), &release);
    }

    Tally tally;
    // Must outlive the window's timers.
    plat::VirtualClock clock;
    FrmMain form;

  private:
    void Check(int speed) {
        ++tally.checks;
        const Debris debris = FindDebris(form);
        if (debris.pixels == 0) return;
        tally.debrisPixels += debris.pixels;
        if (!tally.firstDebris.empty()) return;
        std::ostringstream where;
        const QRect& a = debris.area;
        where << debris.pixels << " pixels in (" << a.left() << ".." << a.right() << ", " << a.top()
              << ".." << a.bottom() << ") at speed " << speed << ", tick " << tally.ticks
              << ", player " << CurPlayer + 1 << ", level " << Game.Level;
        tally.firstDebris = where.str();
    }

    std::vector<std::string> sounds_;
    std::function<void(const std::string&)> onSound_;
};

// Two moments no played game is likely to hit.
TEST(CleanBoardAt, CatchWhileEating) {
    Board board;
    board.Lift();
    board.PutPlayer(CentreOf(1), CentreOf(1), kRight);  // the dot of (2, 1) right ahead
    board.PutGhost(1, CentreOf(2), CentreOf(1), kLeft);
    board.Drop();

    tmrKeyBoard_Timer();

    ASSERT_EQ(Game.Lives, 2);
    ASSERT_EQ(Maze[2][1].Item, 0);
    EXPECT_TRUE(SameImage(Block(board.Screen(), 32, 16, 16, 16),
                          Block(board.form.pctpicture.Image(), 32, 16, 16, 16)));
}

TEST(CleanBoardAt, DeathAsTheFruitIsDue) {
    Board board(4);
    Game.TickCount = 4000 / 4 - 1;
    board.Lift();
    board.PutGhost(1, Game.GobX + 8, Game.GobY, kLeft);
    board.Drop();

    tmrKeyBoard_Timer();  // caught as the fruit's time comes: it is never drawn
    ASSERT_EQ(Game.Lives, 2);
    ASSERT_EQ(Game.FruitShown, kFalse);
    tmrKeyBoard_Timer();  // its removal finds nothing of it to take away

    EXPECT_EQ(Game.FruitGone, kTrue);
    EXPECT_EQ(FindDebris(board.form).pixels, 0);
}

class CleanBoard : public testing::TestWithParam<bool> {};

// Two-player games at each speed, steered to eat ghosts, take the tunnel first, clear a
// level and get caught; the board must never keep anything the level picture lacks.
TEST_P(CleanBoard, ScriptedGamesLeaveNoDebris) {
    struct Scripted {
        int speed, players, ticks, lives;
    };
    // The ghosts catch the pilot long before it clears a level; lives to spare let it.
    const Scripted games[] = {{1, 2, 4000, 3}, {2, 2, 3000, 3}, {4, 1, 6000, 30}};
    Session session(11);
    for (const Scripted& game : games) {
        SCOPED_TRACE("speed " + std::to_string(game.speed));
        Pilot pilot(session.form, 5, 0.0);
        // Out of the start to the left, then to the right-hand side the short way: the tunnel.
        pilot.waypoints = {{6, 14}, {21, 14}};
        session.Play(GetParam(), game.speed, game.players, game.ticks, pilot, game.lives);
        EXPECT_GT(session.tally.ghostsEaten[game.speed], 0);
    }
    const Tally& t = session.tally;
    std::cout << "[ scripted ] " << t << '\n';
    EXPECT_GT(t.deaths, 0);
    EXPECT_GT(t.turnSwitches, 0);
    EXPECT_GT(t.levelsCleared, 0);
    EXPECT_GT(t.wraps, 0);
    EXPECT_EQ(t.debrisPixels, 0) << "first debris: " << t.firstDebris;
}

// Long games at random speeds, one or two players, steered with random turns among the
// sensible ones; a lone player has lives to spare so it gets to clear levels.
TEST_P(CleanBoard, RandomGamesLeaveNoDebris) {
    const bool oldLook = GetParam();
    Session session(oldLook ? 23 : 17);
    std::mt19937 rng(oldLook ? 2 : 1);
    for (int game = 0; game < 3; ++game) {
        const int speed = 1 << std::uniform_int_distribution(0, 2)(rng);
        const int players = std::uniform_int_distribution(1, 2)(rng);
        Pilot pilot(session.form, rng(), 0.03);
        session.Play(oldLook, speed, players, 5000, pilot, players == 1 ? 30 : 3);
    }
    const Tally& t = session.tally;
    std::cout << "[ sweep    ] " << t << '\n';
    EXPECT_EQ(t.debrisPixels, 0) << "first debris: " << t.firstDebris;
}

INSTANTIATE_TEST_SUITE_P(Looks, CleanBoard, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "old_look" : "default_look";
                         });

}  // namespace
}  // namespace game_test
