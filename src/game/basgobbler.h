#pragma once

// One tick of the player: keys, turning, eating, moving, mouth animation.
void MoveGob();
