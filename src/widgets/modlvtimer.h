#pragma once

class QWidget;

// The hover timer's callback: finds the button through the window's properties
// "lv_ClassID" and "lv_TimerID" and lets it check where the pointer is.
void HoverTimerProc(QWidget& window);
