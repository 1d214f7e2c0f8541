#include "game/basghostai.h"

#include <cstdlib>

#include "game/bassetup.h"
#include "game/gamestate.h"
#include "platform/random.h"

namespace {

constexpr std::int16_t kUp = 0;
constexpr std::int16_t kDown = 1;
constexpr std::int16_t kLeft = 2;
constexpr std::int16_t kRight = 3;

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// Pixel rules of the house; they ignore the maze grid.
void HouseRules(GhostState& ghost) {
    const std::int16_t x = ghost.X;
    const std::int16_t y = ghost.Y;
    const bool vertical = ghost.Dir == kUp || ghost.Dir == kDown;
    if ((y == 224 || y == 240) && vertical) {
        ghost.Eaten = kFalse;
        ghost.Dir = Opposite[ghost.Dir];
    }
    if (x == 224 && y == 224) {
        ++ghost.Bounces;
        if (ghost.Bounces > 1) ghost.Dir = kUp;
    }
    if (x == 192 && Ghosts[2].Roaming) ghost.Dir = kRight;
    if (x == 256 && Ghosts[1].Roaming) ghost.Dir = kLeft;
    if (x == 224 && (ghost.Dir == kLeft || ghost.Dir == kRight)) ghost.Dir = kUp;
    if (y == 184) {
        ghost.Align = 8;
        ghost.Dir = RandomSide();
        ghost.Roaming = kTrue;
    }
}

// The cell a ghost heads for: the player, a point ahead of it, or home for eyes.
void Target(int ghostNumber, const GhostState& ghost, int& tc, int& tr) {
    const int gc = ghost.X / 16;
    const int gr = ghost.Y / 16;
    const int pc = Game.GobX / 16;
    const int pr = Game.GobY / 16;
    tc = pc;
    tr = pr;
    if (ghostNumber > 1) {
        const int lead = 4 * (ghostNumber - 1);  // 4, 8 or 12 cells ahead
        const int reach = ghostNumber;           // beyond 2, 3 or 4 cells
        if (std::abs(pc - gc) + std::abs(pr - gr) > reach) {
            tc = pc + lead * DirX[Game.GobDir];
            tr = pr + lead * DirY[Game.GobDir];
        }
    }
    if (ghost.Eaten) {
        tc = 14;
        tr = 11;
    }
}

// A ghost on a decision cell never turns back by its own choice.
void ChooseDirection(GhostState& ghost, int tc, int tr) {
    const MazeCell& cell = Maze[ghost.X / 16][ghost.Y / 16];
    int sx = Sign(tc - ghost.X / 16);
    int sy = Sign(tr - ghost.Y / 16);
    if (ghost.Frightened > 0) {
        sx = -sx;
        sy = -sy;
    }
    const std::int16_t back = Opposite[ghost.Dir];
    const std::int16_t exits[4] = {cell.Up, cell.Down, cell.Left, cell.Right};
    int choice = -1;
    auto offer = [&](int dir, bool wanted) {
        if (wanted && exits[dir] && dir != back) choice = dir;
    };
    offer(kUp, sy < 0);
    offer(kDown, sy > 0);
    offer(kLeft, sx < 0);
    offer(kRight, sx > 0);
    if (choice < 0) {
        offer(kUp, sy == 0);
        offer(kDown, sy == 0);
        offer(kLeft, sx == 0);
        offer(kRight, sx == 0);
    }
    if (choice < 0) {
        for (int dir = kUp; dir <= kRight; ++dir) offer(dir, true);
    }
    if (choice >= 0) ghost.Dir = static_cast<std::int16_t>(choice);
}

void MazeRules(int ghostNumber, GhostState& ghost) {
    if (ghost.X == 224 && ghost.Y == 184 && ghost.Eaten) {
        ghost.Stride = static_cast<std::int16_t>(CInt(ghost.Stride / 2.0));
        ghost.Roaming = kFalse;
        ghost.Dir = kDown;
    }
    if (ghost.Align != 0) return;
    int tc = 0;
    int tr = 0;
    Target(ghostNumber, ghost, tc, tr);
    if (Maze[ghost.X / 16][ghost.Y / 16].Turn) ChooseDirection(ghost, tc, tr);
}

void Step(GhostState& ghost) {
    ghost.HalfStep = static_cast<std::int16_t>(1 - ghost.HalfStep);
    if (ghost.Frightened > 0 && ghost.HalfStep == 0) return;
    ghost.X = static_cast<std::int16_t>(ghost.X + DirX[ghost.Dir] * ghost.Stride);
    ghost.Y = static_cast<std::int16_t>(ghost.Y + DirY[ghost.Dir] * ghost.Stride);
    ghost.Align =
        static_cast<std::int16_t>((ghost.Align + DirSign[ghost.Dir] * ghost.Stride + 16) % 16);
    WrapX(ghost.X);
}

}  // namespace

std::int16_t RandomSide() {
    return static_cast<std::int16_t>(CInt(plat::Rnd() + 2));
}

void MoveGhosts() {
    for (int g = 1; g <= 4; ++g) {
        GhostState& ghost = Ghosts[g - 1];
        SpriteState& sprite = Sprites[g];
        sprite.OldX = static_cast<std::int16_t>(ghost.X - 16);
        sprite.OldY = static_cast<std::int16_t>(ghost.Y - 16);
        if (!ghost.Roaming) HouseRules(ghost);
        if (ghost.Roaming) MazeRules(g, ghost);
        Step(ghost);
        if (ghost.Frightened > 0) --ghost.Frightened;
        sprite.NewX = static_cast<std::int16_t>(ghost.X - 16);
        sprite.NewY = static_cast<std::int16_t>(ghost.Y - 16);
        sprite.SrcX = static_cast<std::int16_t>((g - 1) * 32);
        sprite.SrcY = static_cast<std::int16_t>(ghost.Dir * 32);
    }
}
