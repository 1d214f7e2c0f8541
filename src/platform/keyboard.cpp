#include "platform/keyboard.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <array>
#include <cstdlib>
#if QT_CONFIG(xcb)
// The C header names a field "explicit".
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#endif

#include "platform/framestats.h"

namespace plat {

namespace {

struct KeyState {
    bool held = false;
    // Set by a press and cleared by the next query, so a tap between two queries still counts.
    bool latched = false;
};

std::array<KeyState, 256> keys;
std::function<void(int, bool)> keyObserver;

KeyState* Find(int vk) {
    return vk >= 0 && vk < static_cast<int>(keys.size()) ? &keys[vk] : nullptr;
}

}  // namespace

std::int16_t GetAsyncKeyState(int vk) {
    KeyState* key = Find(vk);
    if (!key) return 0;
    const std::int16_t state = key->held ? -32767 : key->latched ? 1 : 0;
    if (key->latched) RecordKey("seen", vk);
    key->latched = false;
    return state;
}

bool KeyHeld(int vk) {
    const KeyState* key = Find(vk);
    return key && key->held;
}

bool KeyLatched(int vk) {
    const KeyState* key = Find(vk);
    return key && key->latched;
}

void SetKeyState(int vk, bool held, bool latched) {
    if (KeyState* key = Find(vk)) *key = {held, latched};
}

void KeyPressed(int vk) {
    KeyState* key = Find(vk);
    if (!key) return;
    if (keyObserver) keyObserver(vk, true);
    *key = {true, true};
    RecordKey("key", vk);
}

void KeyReleased(int vk) {
    KeyState* key = Find(vk);
    if (!key) return;
    if (keyObserver) keyObserver(vk, false);
    key->held = false;
}

void SetKeyObserver(std::function<void(int, bool)> observer) {
    keyObserver = std::move(observer);
}

void ReleaseAllKeys() {
    keys.fill({});
}

int VirtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        const int digit = key - Qt::Key_0;
        return event.modifiers() & Qt::KeypadModifier ? vbKeyNumpad1 - 1 + digit : '0' + digit;
    }
    switch (key) {
        case Qt::Key_Escape:
            return vbKeyEscape;
        case Qt::Key_Left:
            return vbKeyLeft;
        case Qt::Key_Up:
            return vbKeyUp;
        case Qt::Key_Right:
            return vbKeyRight;
        case Qt::Key_Down:
            return vbKeyDown;
        case Qt::Key_F1:
            return vbKeyF1;
        case Qt::Key_F11:
            return vbKeyF11;
        default:
            return 0;
    }
}

int WatchingKeyOf(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Space:
            return vbKeySpace;
        case Qt::Key_PageUp:
            return vbKeyPageUp;
        case Qt::Key_PageDown:
            return vbKeyPageDown;
        case Qt::Key_Home:
            return vbKeyHome;
        case Qt::Key_End:
            return vbKeyEnd;
        default: {
            const int vk = VirtualKeyOf(event);
            return vk >= vbKeyLeft && vk <= vbKeyDown ? vk : 0;
        }
    }
}

void UseDetectableAutoRepeat() {
#if QT_CONFIG(xcb)
    // Other platforms may answer for X11 too (offscreen does, with or without a display).
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return;
    // A request of an extension the server lacks would end the connection.
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (!xkb || !xkb->present) return;
    constexpr std::uint32_t kDetectable = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    const auto cookie = xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, kDetectable,
                                                 kDetectable, 0, 0, 0);
    // Waited for, so the flag holds before the first key arrives; a refusal changes nothing.
    xcb_generic_error_t* error = nullptr;
    std::free(xcb_xkb_per_client_flags_reply(connection, cookie, &error));
    std::free(error);
#endif
}

}  // namespace plat
