#pragma once
#include <QPoint>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace plat {

// A number that names a window while it exists; 0 names none. Stale handles name none.
using Handle = std::int64_t;
Handle HandleOf(QWidget* window);
QWidget* FromHandle(Handle handle);

// A window's property list: named numbers attached to the window, gone with it.
void SetProp(QWidget& window, const std::string& name, std::int64_t value);
std::optional<std::int64_t> GetProp(const QWidget& window, const std::string& name);
void RemoveProp(QWidget& window, const std::string& name);

// The pointer in screen pixels, as the latest mouse event left it; far off screen once it
// has left the program's windows. Headless runs move it with the events they send.
QPoint CursorPos();
// The enabled widget under a screen point, nullptr when it is none of the program's.
QWidget* WindowFromPoint(QPoint point);

// Queues a key-down message for a virtual key (the arrows) to a window; keyData carries the
// repeat count and the scan code. False when the handle names no window.
bool PostKeyDown(Handle window, int vk, std::uint32_t keyData);

// Runs work once, right after the window's first repaint has gone to the window system: for
// what the first frame does not need.
void AfterFirstFrame(QWidget& window, std::function<void()> work);

// The host's user mode: true while the program runs, false while its forms are designed.
bool AmbientUserMode();
void SetAmbientUserMode(bool userMode);

}  // namespace plat
