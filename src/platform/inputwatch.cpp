#include "platform/inputwatch.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "platform/keyboard.h"

namespace plat {

namespace {

bool IsPersonsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

}  // namespace

InputWatch::InputWatch(QWidget& window) : window_(window) {
    // Filters installed last run first: this one sees the input before the window does.
    qApp->installEventFilter(this);
}

InputWatch::~InputWatch() {
    // The application may have gone first; its filters went with it.
    if (qApp) qApp->removeEventFilter(this);
}

bool InputWatch::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowDeactivate && watched == &window_) {
        if (OnFocusLost) OnFocusLost();
        return OnFocusLost != nullptr;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!event->spontaneous() || !IsPersonsInput(type) || widget == nullptr ||
        widget->window() != &window_) {
        return false;
    }
    if (!blocking) {
        if (BeforeInput) BeforeInput();
        return false;
    }
    const bool escape =
        type == QEvent::KeyPress && static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
    const bool stopClick = type == QEvent::MouseButtonRelease && watched == stopControl &&
                           static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
    if ((escape || stopClick || (type == QEvent::Close && watched == &window_)) && OnStop) {
        OnStop();
    } else if (type == QEvent::KeyPress && OnBlockedKey) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (const int vk = WatchingKeyOf(*key)) OnBlockedKey(vk, key->isAutoRepeat());
    }
    if (type == QEvent::Close) event->ignore();
    return true;
}

void SendKey(QWidget& receiver, int vk, const std::function<bool()>& stillThere) {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    QString text;
    if (vk >= 'A' && vk <= 'Z') {
        key = static_cast<Qt::Key>(Qt::Key_A + (vk - 'A'));
        text = QChar(vk - 'A' + 'a');
    } else if (vk >= '0' && vk <= '9') {
        key = static_cast<Qt::Key>(Qt::Key_0 + (vk - '0'));
        text = QChar(vk);
    } else if (vk >= vbKeyNumpad1 - 1 && vk <= vbKeyNumpad1 + 8) {
        key = static_cast<Qt::Key>(Qt::Key_0 + (vk - vbKeyNumpad1 + 1));
        modifiers = Qt::KeypadModifier;
        text = QChar('0' + vk - vbKeyNumpad1 + 1);
    } else if (vk == vbKeyEscape) {
        key = Qt::Key_Escape;
        text = QStringLiteral("\x1b");
    } else if (vk == vbKeyF1) {
        key = Qt::Key_F1;
    }
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&receiver, &press);
    if (!stillThere()) return;
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&receiver, &release);
}

void SendClick(QWidget& target, const std::function<bool()>& stillThere) {
    const QPointF local = target.rect().center();
    const QPointF global = target.mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
    if (!stillThere()) return;
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&target, &release);
}

}  // namespace plat
