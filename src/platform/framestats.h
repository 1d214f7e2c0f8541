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
// Off unless started; the reason (and nothing recorded) when the file cannot be written. It
// is opened as a trace is: never blocking, nothing but a regular file emptied.
std::string StartFrameStats(const std::string& path);
// False when the record could not be written whole.
bool StopFrameStats();

// Hooks for the platform's own timers and keyboard; cheap when no record is being kept.
void RecordTimer(const char* what, const std::string& name);
void RecordKey(const char* what, int vk);

}  // namespace plat
