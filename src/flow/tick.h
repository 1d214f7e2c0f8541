#pragma once

// One step of play: the Timer event of tmrKeyBoard.
void tmrKeyBoard_Timer();
