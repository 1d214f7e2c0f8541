#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "flow/startup.h"
#include "flow/tick.h"
#include "game/basghostai.h"
#include "game/bassetup.h"
#include "game/gamestate.h"
#include "platform/desktop.h"
#include "platform/keyboard.h"
#include "platform/picturebox.h"
#include "platform/random.h"
#include "platform/settings.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "shell/frmmain.h"

namespace {

// A level 1 board at speed 1 on the offscreen window, as a game has it right after its
// ready phase. Silent, with timers on a virtual clock that never advances.
class Board {
  public:
    Board() {
        plat::SetTimerDriver(&clock_);
        plat::UseMemorySettings();
        plat::SetSoundBackend(nullptr);
        plat::SetMsgBoxHandler(
            [](const std::string&, int, const std::string&) { return plat::vbOK; });
        plat::ReleaseAllKeys();
        plat::Randomize(7);
        for (auto& column : Maze)
            for (MazeCell& cell : column) cell = {};
        InitGameState();
        Speed = 1;
        HiScore = 1000;
        NumPlayers = 1;
        GameRunning = kTrue;
        Game.Lives = 3;
        Game.Level = 1;
        ready = LoadSpriteSheet(form.pctTiles, "/gobpics.bmp") && BuildLevel();
        ResetActors();
    }

    ~Board() {
        form.tmrKeyBoard.SetEnabled(false);
        form.tmrReady.SetEnabled(false);
        form.tmrFlash.SetEnabled(false);
        plat::SetTimerDriver(nullptr);
        plat::SetMsgBoxHandler({});
        plat::ReleaseAllKeys();
    }

    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

  private:
    plat::VirtualClock clock_;

  public:
    FrmMain form;
    bool ready = false;
};

// The drawing work of one tick: five actors lifted, one eaten cell wiped from the bare
// maze, five actors drawn. The actors overlap around the house and shuffle by a pixel.
void BM_TickDrawing(benchmark::State& state) {
    Board board;
    if (!board.ready) {
        state.SkipWithError("the generated pictures are missing");
        return;
    }
    FrmMain& form = board.form;
    const std::int16_t xs[5] = {208, 200, 176, 208, 232};
    const std::int16_t ys[5] = {200, 176, 208, 216, 208};
    for (int slot = 0; slot <= 4; ++slot) {
        Sprites[slot] = {xs[slot],
                         ys[slot],
                         xs[slot],
                         ys[slot],
                         static_cast<std::int16_t>(slot == 0 ? 96 : (slot - 1) * 32),
                         static_cast<std::int16_t>(slot == 0 ? 128 : 0)};
    }
    Ghosts[2].Frightened = 300;
    Ghosts[3].Eaten = kTrue;
    Sprites[4].SrcX = 160;
    std::int16_t step = 1;
    for (auto _ : state) {
        EraseSprites();
        plat::BitBlt(form.pctScreen, 224, 176, 16, 16, form.pctpicture, 224, 176, plat::SRCCOPY);
        for (SpriteState& sprite : Sprites) {
            sprite.OldX = sprite.NewX;
            sprite.NewX = static_cast<std::int16_t>(sprite.NewX + step);
        }
        step = static_cast<std::int16_t>(-step);
        DrawSprites();
        benchmark::DoNotOptimize(form.pctScreen.Image().constBits());
    }
}
BENCHMARK(BM_TickDrawing)->Unit(benchmark::kMicrosecond);

// One main tick of play with an arrow key held, changed every 300 ticks; the player gets
// its lives back so the run never reaches game over.
void BM_PlayTick(benchmark::State& state) {
    Board board;
    if (!board.ready) {
        state.SkipWithError("the generated pictures are missing");
        return;
    }
    const int keys[4] = {plat::vbKeyLeft, plat::vbKeyUp, plat::vbKeyRight, plat::vbKeyDown};
    std::int64_t ticks = 0;
    plat::KeyPressed(keys[0]);
    for (auto _ : state) {
        tmrKeyBoard_Timer();
        if (Game.Lives < 3) Game.Lives = 3;
        if (++ticks % 300 == 0) {
            plat::ReleaseAllKeys();
            plat::KeyPressed(keys[(ticks / 300) % 4]);
        }
    }
    state.counters["score"] = Game.Score;
}
BENCHMARK(BM_PlayTick)->Unit(benchmark::kMicrosecond);

}  // namespace
