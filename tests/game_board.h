#pragma once
#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "flow/startup.h"
#include "game/basghostai.h"
#include "game/bassetup.h"
#include "game/gamestate.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/keyboard.h"
#include "platform/random.h"
#include "platform/settings.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "shell/frmmain.h"

namespace game_test {

inline constexpr int kUp = 0;
inline constexpr int kDown = 1;
inline constexpr int kLeft = 2;
inline constexpr int kRight = 3;

// Centre pixel of a cell, as the rules place actors.
constexpr int CentreOf(int cell) {
    return 16 * cell + 8;
}

// Keeps the names of the sounds played; one the game waits for carries " (wait)".
class SoundLog : public plat::SoundBackend {
  public:
    SoundLog(std::vector<std::string>& names, std::function<void(const std::string&)>& hook)
        : names_(names), hook_(hook) {}

    void Play(const std::string& path, int flags) override {
        std::string name = path.substr(path.rfind('/') + 1);
        if (name.ends_with(".wav")) name.resize(name.size() - 4);
        names_.push_back(flags == plat::SND_SYNC ? name + " (wait)" : name);
        if (hook_) hook_(name);
    }

  private:
    std::vector<std::string>& names_;
    std::function<void(const std::string&)>& hook_;
};

// A freshly built level 1 board on the offscreen main window, actors at their start places
// and drawn. Every global the game rules touch starts from the same values, the ghosts'
// random choices are seeded, sounds are only recorded, timers run on a virtual clock and
// message boxes are answered (and counted) without showing.
class Board {
  public:
    explicit Board(int speed = 1, std::uint32_t seed = 7) {
        plat::SetTimerDriver(&clock);
        plat::UseMemorySettings();
        plat::SetAppPath(NIBBLY_BIN_DIR);
        plat::SetSoundBackend(std::make_unique<SoundLog>(sounds, onSound));
        plat::SetMsgBoxHandler([this](const std::string& prompt, int, const std::string&) {
            messages.push_back(prompt);
            return plat::vbOK;
        });
        plat::ReleaseAllKeys();
        plat::SetRandomObserver({});
        plat::Randomize(seed);
        ConnectMainWindow(form);

        for (auto& column : Maze)
            for (MazeCell& cell : column) cell = {};
        for (GhostState& ghost : Ghosts) ghost = {};
        for (SpriteState& sprite : Sprites) sprite = {};
        InitGameState();
        Speed = static_cast<std::int16_t>(speed);
        HiScore = 1000;
        NumPlayers = 1;
        GameRunning = kTrue;
        Game.Lives = 3;
        Game.Level = 1;

        loaded = LoadSpriteSheet(form.pctTiles, "/gobpics.bmp") && BuildLevel();
        if (!loaded) ADD_FAILURE() << "generated pictures missing in " << NIBBLY_BIN_DIR;
        ResetActors();
        sounds.clear();
    }

    ~Board() {
        form.tmrKeyBoard.SetEnabled(false);
        form.tmrReady.SetEnabled(false);
        form.tmrFlash.SetEnabled(false);
        plat::SetTimerDriver(nullptr);
        plat::SetSoundBackend(nullptr);
        plat::SetMsgBoxHandler({});
        plat::SetRandomObserver({});
        plat::ReleaseAllKeys();
        plat::SetAppPath("");
    }

    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // The sub-cell counter of a position moving along dir: (coordinate - 8) mod 16.
    static std::int16_t AlignOf(int x, int y, int dir) {
        const int along = dir == kLeft || dir == kRight ? x : y;
        return static_cast<std::int16_t>(((along - 8) % 16 + 16) % 16);
    }

    void PutPlayer(int x, int y, int dir) {
        Game.GobX = static_cast<std::int16_t>(x);
        Game.GobY = static_cast<std::int16_t>(y);
        Game.GobDir = static_cast<std::int16_t>(dir);
        Game.GobAlign = AlignOf(x, y, dir);
    }

    // A ghost out in the maze, neither frightened nor eaten.
    GhostState& PutGhost(int g, int x, int y, int dir) {
        GhostState& ghost = Ghosts[g - 1];
        ghost.Roaming = kTrue;
        ghost.Eaten = kFalse;
        ghost.X = static_cast<std::int16_t>(x);
        ghost.Y = static_cast<std::int16_t>(y);
        ghost.Dir = static_cast<std::int16_t>(dir);
        ghost.Align = AlignOf(x, y, dir);
        ghost.Stride = Speed;
        ghost.Frightened = 0;
        ghost.HalfStep = 0;
        return ghost;
    }

    // Only the given arrow keys are held.
    static void Hold(std::initializer_list<int> keys) {
        plat::ReleaseAllKeys();
        for (const int vk : keys) plat::KeyPressed(vk);
    }

    // Takes the five actors off the playfield where they were last drawn, so the test may
    // move them; Drop draws them again.
    static void Lift() { EraseSprites(); }

    // Points the sprite records at the actors as they stand now, with their own looks.
    static void Aim() {
        Sprites[0].NewX = static_cast<std::int16_t>(Game.GobX - 16);
        Sprites[0].NewY = static_cast<std::int16_t>(Game.GobY - 16);
        Sprites[0].SrcX = static_cast<std::int16_t>(Game.GobDir * 32);
        Sprites[0].SrcY = static_cast<std::int16_t>(Game.GobFrame * 32 + 128);
        for (int g = 1; g <= 4; ++g) {
            const GhostState& ghost = Ghosts[g - 1];
            Sprites[g].NewX = static_cast<std::int16_t>(ghost.X - 16);
            Sprites[g].NewY = static_cast<std::int16_t>(ghost.Y - 16);
            Sprites[g].SrcX = static_cast<std::int16_t>(ghost.Eaten ? 160 : (g - 1) * 32);
            Sprites[g].SrcY = static_cast<std::int16_t>(ghost.Dir * 32);
        }
    }

    void Drop() {
        Aim();
        for (int slot = 0; slot <= 4; ++slot) {
            const SpriteState& s = Sprites[slot];
            DrawSprite(s.NewX, s.NewY, s.SrcX, s.SrcY, slot);
        }
    }

    // What DrawMaze paints for the items now on the board: the bare maze with its dots and
    // pills and nothing else. The playfield itself is left as it was.
    QImage BareBoard() {
        const QImage shown = form.pctScreen.Image().copy();
        DrawMaze();
        QImage bare = form.pctScreen.Image().copy();
        form.pctScreen.Image() = shown;
        return bare;
    }

    QImage Screen() const { return form.pctScreen.Image().copy(); }

    // Must outlive the window's timers.
    plat::VirtualClock clock;
    FrmMain form;
    bool loaded = false;
    std::vector<std::string> sounds;
    std::function<void(const std::string&)> onSound;
    std::vector<std::string> messages;
};

// Equal images, or where the first difference lies and how many pixels differ.
inline testing::AssertionResult SameImage(const QImage& actual, const QImage& expected) {
    if (actual == expected) return testing::AssertionSuccess();
    if (actual.size() != expected.size()) {
        return testing::AssertionFailure()
               << "size " << actual.width() << "x" << actual.height() << " vs " << expected.width()
               << "x" << expected.height();
    }
    int differing = 0;
    int firstX = -1;
    int firstY = -1;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            if (actual.pixel(x, y) == expected.pixel(x, y)) continue;
            if (differing++ == 0) {
                firstX = x;
                firstY = y;
            }
        }
    }
    if (differing == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << differing << " pixels differ, first at (" << firstX << ", " << firstY << ")";
}

// A 32 x 32 sheet image drawn transparently: mask by AND, then image by OR.
inline QImage Masked(const QImage& under, const QImage& sheet, int srcX, int srcY, int maskX,
                     int maskY) {
    QImage want = under.copy();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            want.setPixel(x, y,
                          (under.pixel(x, y) & sheet.pixel(maskX + x, maskY + y)) |
                              sheet.pixel(srcX + x, srcY + y) | 0xFF000000);
    return want;
}

// A block of an image, for comparing one sprite's or icon's pixels.
inline QImage Block(const QImage& image, int x, int y, int w = 32, int h = 32) {
    return image.copy(x, y, w, h);
}

// Copies a block into an image with its top-left corner at (x, y).
inline void Paste(QImage& image, const QImage& block, int x, int y) {
    for (int by = 0; by < block.height(); ++by)
        for (int bx = 0; bx < block.width(); ++bx)
            image.setPixel(x + bx, y + by, block.pixel(bx, by));
}

inline bool IsBlack(const QImage& block) {
    for (int y = 0; y < block.height(); ++y)
        for (int x = 0; x < block.width(); ++x)
            if (block.pixel(x, y) != 0xFF000000u) return false;
    return true;
}

// Spare-life icons in the first row, one fruit per level in the second; seven fit.
inline void ExpectStats(const Board& board, int lives, int level) {
    const QImage& stats = board.form.pctStats.Image();
    const QImage& sheet = board.form.pctTiles.Image();
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE("icon " + std::to_string(i + 1));
        const QImage life = Block(stats, i * 32, 0);
        if (i < lives - 1) {
            EXPECT_TRUE(SameImage(life, Block(sheet, 96, 224)));
        } else {
            EXPECT_TRUE(IsBlack(life));
        }
        const QImage fruit = Block(stats, i * 32, 32);
        if (i < level) {
            EXPECT_TRUE(SameImage(fruit, Block(sheet, (i % 4) * 32, 256 + (i / 4) * 32)));
        } else {
            EXPECT_TRUE(IsBlack(fruit));
        }
    }
}

}  // namespace game_test
