// Mouse, keyboard, hover tracking, option groups and the events they raise.
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <optional>

#include "platform/keyboard.h"
#include "widgets/xpbutton.h"

namespace {

constexpr short kLeftButton = 1;
constexpr short kKeySpace = 32;
constexpr short kKeyShift = 16;

short ButtonsOf(Qt::MouseButtons buttons) {
    return static_cast<short>((buttons & Qt::LeftButton ? 1 : 0) |
                              (buttons & Qt::RightButton ? 2 : 0) |
                              (buttons & Qt::MiddleButton ? 4 : 0));
}

short ShiftOf(Qt::KeyboardModifiers modifiers) {
    return static_cast<short>((modifiers & Qt::ShiftModifier ? 1 : 0) |
                              (modifiers & Qt::ControlModifier ? 2 : 0) |
                              (modifiers & Qt::AltModifier ? 4 : 0));
}

short KeyCodeOf(const QKeyEvent& event) {
    if (const int vk = plat::VirtualKeyOf(event)) return static_cast<short>(vk);
    switch (event.key()) {
        case Qt::Key_Space:
            return kKeySpace;
        case Qt::Key_Shift:
            return kKeyShift;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Backspace:
            return 8;
        default:
            return 0;
    }
}

// Key data of the posted arrow messages: repeat count 1 and the key's scan code.
std::uint32_t ArrowKeyData(int vk) {
    switch (vk) {
        case plat::vbKeyRight:
            return 0x004D0001;
        case plat::vbKeyDown:
            return 0x00500001;
        case plat::vbKeyLeft:
            return 0x004B0001;
        case plat::vbKeyUp:
            return 0x00480001;
        default:
            return 0;
    }
}

bool IsArrow(int vk) {
    return vk >= plat::vbKeyLeft && vk <= plat::vbKeyDown;
}

int EffectOf(Qt::DropAction action) {
    switch (action) {
        case Qt::CopyAction:
            return 1;
        case Qt::MoveAction:
            return 2;
        case Qt::LinkAction:
            return 4;
        default:
            return 0;
    }
}

std::string EntryName(std::int64_t n) {
    return std::to_string(n) + "lv_Obj";
}

}  // namespace

void XPButton::MousePress(short button, short shift, float x, float y) {
    lastButton_ = button;
    if (button == kLeftButton) {
        // The window keeps the mouse until the release (Qt's implicit grab).
        state_ |= kHeld;
        pressedLook_ = true;
        delayed_ = false;
        Redraw();
    }
    emit MouseDown(button, shift, x, y);
}

void XPButton::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    MousePress(ButtonsOf(event->button()), ShiftOf(event->modifiers()), static_cast<float>(at.x()),
               static_cast<float>(at.y()));
}

void XPButton::mouseMoveEvent(QMouseEvent* event) {
    short button = ButtonsOf(event->buttons());
    short shift = ShiftOf(event->modifiers());
    float x = static_cast<float>(event->position().x());
    float y = static_cast<float>(event->position().y());
    const bool outside = x < 0 || y < 0 || x > width() || y > height();
    if (!HoverTimerRunning() && !outside) {
        state_ |= kHover;
        bool on = true;
        emit MouseOnButton(on);
        plat::SetProp(*this, "lv_ClassID", hwnd());
        plat::SetProp(*this, "lv_TimerID", kHoverTimerId);
        hoverTimer_.SetEnabled(true);
        delayed_ = false;
        if (button == kLeftButton) pressedLook_ = true;
        Redraw();
    }
    emit MouseMove(button, shift, x, y);
}

void XPButton::mouseReleaseEvent(QMouseEvent* event) {
    short button = ButtonsOf(event->button());
    short shift = ShiftOf(event->modifiers());
    float x = static_cast<float>(event->position().x());
    float y = static_cast<float>(event->position().y());
    pressedLook_ = false;
    if (button == kLeftButton) {
        state_ &= ~kHeld;
        delayed_ = false;
        if (mode_ == CommandMode) Redraw();
    }
    emit MouseUp(button, shift, x, y);
    lastButton_ = button;
    // A click is a press and a release over the button; the release that ends a double
    // click is none.
    const bool over = rect().contains(event->position().toPoint());
    if (endsDoubleClick_ || !over) {
        endsDoubleClick_ = false;
        // Check and option faces redraw with their value; without a click they must still rise.
        if (mode_ != CommandMode) Redraw();
        return;
    }
    RunClick();
}

void XPButton::RunClick() {
    if (lastButton_ != kLeftButton) return;
    if (mode_ != CommandMode) {
        if (mode_ == OptionMode && value_) return;
        SetValue(!value_);
    }
    emit Click();
}

void XPButton::mouseDoubleClickEvent(QMouseEvent* event) {
    float x = static_cast<float>(event->position().x());
    float y = static_cast<float>(event->position().y());
    short last = lastButton_;
    emit DoubleClick(last);
    endsDoubleClick_ = true;
    if (lastButton_ == kLeftButton) {
        MousePress(kLeftButton, 0, x, y);
        lastButton_ = -1;
    } else {
        short button = kLeftButton;
        short shift = 0;
        emit MouseDown(button, shift, x, y);
    }
}

void XPButton::keyPressEvent(QKeyEvent* event) {
    short keyCode = KeyCodeOf(*event);
    short shift = ShiftOf(event->modifiers());
    if (IsArrow(keyCode)) {
        // Arrows belong to the container: they arrive there as its own key-down messages.
        plat::PostKeyDown(std::atoll(tag_.c_str()), keyCode, ArrowKeyData(keyCode));
        keyCode = 0;
    }
    if (keyCode == kKeySpace && !(state_ & kHeld)) {
        state_ |= kHover | kHeld;
        pressedLook_ = true;
        Redraw();
        if (!HoverTimerRunning()) state_ &= ~kHover;
    }
    if (keyCode != 0) emit KeyDown(keyCode, shift);
    if (!event->text().isEmpty() && event->text().front().unicode() < 0x8000) {
        short ascii = static_cast<short>(event->text().front().unicode());
        emit KeyPress(ascii);
    }
}

void XPButton::keyReleaseEvent(QKeyEvent* event) {
    // Auto-repeat sends releases too; only the real one counts.
    if (event->isAutoRepeat()) return;
    short keyCode = KeyCodeOf(*event);
    short shift = ShiftOf(event->modifiers());
    pressedLook_ = false;
    if (keyCode == kKeySpace && (state_ & kHeld)) {
        state_ &= ~kHeld;
        lastButton_ = kLeftButton;
        if (mode_ == CommandMode) {
            Redraw();
        } else {
            emit KeyUp(keyCode, shift);
            keyCode = 0;
        }
        RunClick();
    } else if (IsArrow(keyCode)) {
        keyCode = 0;
        if (mode_ == OptionMode && !value_) {
            lastButton_ = kLeftButton;
            RunClick();
        }
    } else if (keyCode == kKeyShift) {
        keyCode = 0;
    }
    if (keyCode != 0) emit KeyUp(keyCode, shift);
}

// The last "&" marker names the key; "&&" is an ampersand, read from the left as it is drawn.
void XPButton::FindAccessKey() {
    const QString caption = QString::fromStdString(caption_);
    std::optional<QString> key;
    for (qsizetype at = 0; at < caption.size(); ++at) {
        if (caption[at] != '&') continue;
        if (at + 1 < caption.size() && caption[at + 1] == '&') {
            ++at;
            continue;
        }
        key = caption.mid(at + 1, 1);
    }
    if (!key) return;
    if (shortcutId_) releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    accessKey_ = *key;
    if (!key->isEmpty()) shortcutId_ = grabShortcut(QKeySequence::mnemonic("&" + *key));
}

bool XPButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_) {
        AccessKeyPressed(accessKey_.isEmpty() ? 0 : accessKey_.toUpper().front().unicode());
        return true;
    }
    return QWidget::event(event);
}

void XPButton::AccessKeyPressed(int keyAscii) {
    if ((keyAscii == 13 || keyAscii == 27) && mode_ != CommandMode) return;
    if (!(state_ & kDefault)) Redraw();
    lastButton_ = kLeftButton;
    RunClick();
}

void XPButton::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (mode_ == OptionMode && !value_ && !OptionToggle(kAnyOn)) {
        lastButton_ = kLeftButton;
        RunClick();
    }
}

void XPButton::CheckHover(int timerId) {
    if (plat::WindowFromPoint(plat::CursorPos()) == this) return;
    // The window's own timer carries the identifier; one timer per button.
    static_cast<void>(timerId);
    hoverTimer_.SetEnabled(false);
    state_ &= ~kHover;
    delayed_ = false;
    bool on = false;
    emit MouseOnButton(on);
    pressedLook_ = false;
    Redraw();
}

bool XPButton::OptionToggle(int action) {
    QWidget* container = Container();
    if (!container) return false;
    const std::int64_t count = plat::GetProp(*container, "lv_OptCount").value_or(0);
    const auto entry = [&](std::int64_t n) {
        const auto handle = plat::GetProp(*container, EntryName(n));
        return handle ? qobject_cast<XPButton*>(plat::FromHandle(*handle)) : nullptr;
    };
    if (value_ && (action == kJoin || count > 0)) {
        for (std::int64_t n = 1; n <= count; ++n) {
            XPButton* other = entry(n);
            if (other && other != this) other->SetValue(false);
        }
    }
    switch (action) {
        case kJoin:
            plat::SetProp(*container, "lv_OptCount", count + 1);
            plat::SetProp(*container, EntryName(count + 1), hwnd());
            return false;
        case kLeave:
            for (std::int64_t n = 1; n <= count; ++n) {
                if (entry(n) != this) continue;
                for (std::int64_t later = n; later < count; ++later) {
                    plat::SetProp(*container, EntryName(later),
                                  plat::GetProp(*container, EntryName(later + 1)).value_or(0));
                }
                plat::RemoveProp(*container, EntryName(count));
                if (count == 1)
                    plat::RemoveProp(*container, "lv_OptCount");
                else
                    plat::SetProp(*container, "lv_OptCount", count - 1);
                break;
            }
            return false;
        case kAnyOn:
            for (std::int64_t n = 1; n <= count; ++n) {
                const XPButton* member = entry(n);
                if (member && member->value_) return true;
            }
            return false;
        default:
            return false;
    }
}

void XPButton::dragEnterEvent(QDragEnterEvent* event) {
    event->acceptProposedAction();
    dragMoveEvent(event);
}

void XPButton::dragMoveEvent(QDragMoveEvent* event) {
    int effect = EffectOf(event->dropAction());
    short button = ButtonsOf(event->buttons());
    short shift = ShiftOf(event->modifiers());
    float x = static_cast<float>(event->position().x());
    float y = static_cast<float>(event->position().y());
    short state = event->type() == QEvent::DragEnter ? 0 : 2;
    emit OLEDragOver(event->mimeData(), effect, button, shift, x, y, state);
    if (effect == 0) event->ignore();
}

void XPButton::dragLeaveEvent(QDragLeaveEvent*) {
    int effect = 0;
    short button = 0;
    short shift = 0;
    float x = 0;
    float y = 0;
    short state = 1;
    emit OLEDragOver(nullptr, effect, button, shift, x, y, state);
}

void XPButton::dropEvent(QDropEvent* event) {
    int effect = EffectOf(event->dropAction());
    short button = ButtonsOf(event->buttons());
    short shift = ShiftOf(event->modifiers());
    float x = static_cast<float>(event->position().x());
    float y = static_cast<float>(event->position().y());
    emit OLEDragDrop(event->mimeData(), effect, button, shift, x, y);
    if (effect == 0)
        event->ignore();
    else
        event->acceptProposedAction();
}
