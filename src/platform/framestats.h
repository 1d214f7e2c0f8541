#pragma once
#include <string>

namespace plat {

// Frame-pacing record for benchmarks: one line per event, times in nanoseconds of the
// monotonic clock:
//   start NAME t / stop NAME t   a timer enabled or disabled
//   tick NAME t                  a timer's handler begins
//   frame t                      a window's repaint has been handed to the window system
//   key VK t                     a key (or controller) press
//   seen VK t                    the first query of that key after the press
// Off unless started; false (and nothing recorded) if the file cannot be written.
bool StartFrameStats(const std::string& path);
void StopFrameStats();

// Hooks for the platform's own timers and keyboard; cheap when no record is being kept.
void RecordTimer(const char* what, const std::string& name);
void RecordKey(const char* what, int vk);

}  // namespace plat
