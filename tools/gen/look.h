#pragma once

// The two graphics editions the game can switch between.
enum class Look { Polished, Retro };
