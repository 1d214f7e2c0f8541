#include "platform/windowsys.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <climits>
#include <unordered_map>

#include "platform/keyboard.h"

namespace plat {

namespace {

constexpr const char* kHandleProperty = "nibbly_handle";
const QPoint kNowhere(INT_MIN / 2, INT_MIN / 2);

std::unordered_map<Handle, QPointer<QWidget>> windows;
Handle lastHandle = 0;
bool userMode = true;

// Follows the pointer through the events every widget receives.
class PointerTracker : public QObject {
  public:
    QPoint position = kNowhere;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseMove:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Enter:
                position = static_cast<QSinglePointEvent*>(event)->globalPosition().toPoint();
                break;
            case QEvent::Leave:
                if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
                    position = kNowhere;
                break;
            default:
                break;
        }
        return false;
    }
};

PointerTracker& Tracker() {
    static PointerTracker* tracker = [] {
        auto* created = new PointerTracker;
        created->setParent(qApp);
        qApp->installEventFilter(created);
        return created;
    }();
    return *tracker;
}

// Sees the repaint before the frame-stats record does (filters installed later run first)
// and queues the work behind it.
class FirstFrame : public QObject {
  public:
    FirstFrame(QWidget& window, std::function<void()> work)
        : QObject(qApp), window_(&window), work_(std::move(work)) {
        qApp->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::UpdateRequest) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, qApp, std::move(work_));
            deleteLater();
        }
        return false;
    }

  private:
    QPointer<QWidget> window_;
    std::function<void()> work_;
};

Qt::Key QtKeyOf(int vk) {
    switch (vk) {
        case vbKeyLeft:
            return Qt::Key_Left;
        case vbKeyUp:
            return Qt::Key_Up;
        case vbKeyRight:
            return Qt::Key_Right;
        case vbKeyDown:
            return Qt::Key_Down;
        default:
            return Qt::Key_unknown;
    }
}

}  // namespace

Handle HandleOf(QWidget* window) {
    // Windows get handles before they see events: the tracker must see those events too.
    Tracker();
    if (!window) return 0;
    const QVariant stored = window->property(kHandleProperty);
    if (stored.isValid()) return stored.toLongLong();
    const Handle handle = ++lastHandle;
    window->setProperty(kHandleProperty, QVariant::fromValue<qint64>(handle));
    windows[handle] = window;
    return handle;
}

QWidget* FromHandle(Handle handle) {
    const auto found = windows.find(handle);
    if (found == windows.end()) return nullptr;
    if (found->second.isNull()) {
        windows.erase(found);
        return nullptr;
    }
    return found->second.data();
}

void SetProp(QWidget& window, const std::string& name, std::int64_t value) {
    window.setProperty(name.c_str(), QVariant::fromValue<qint64>(value));
}

std::optional<std::int64_t> GetProp(const QWidget& window, const std::string& name) {
    const QVariant value = window.property(name.c_str());
    if (!value.isValid()) return std::nullopt;
    return value.toLongLong();
}

void RemoveProp(QWidget& window, const std::string& name) {
    window.setProperty(name.c_str(), QVariant());
}

QPoint CursorPos() {
    return Tracker().position;
}

QWidget* WindowFromPoint(QPoint point) {
    // Disabled windows are passed over: the point belongs to the window beneath.
    QWidget* window = QApplication::widgetAt(point);
    while (window && !window->isEnabled()) window = window->parentWidget();
    return window;
}

bool PostKeyDown(Handle window, int vk, std::uint32_t keyData) {
    QWidget* target = FromHandle(window);
    if (!target) return false;
    const auto scanCode = (keyData >> 16) & 0xFF;
    QCoreApplication::postEvent(
        target, new QKeyEvent(QEvent::KeyPress, QtKeyOf(vk), Qt::NoModifier, scanCode, vk, 0));
    return true;
}

void AfterFirstFrame(QWidget& window, std::function<void()> work) {
    new FirstFrame(window, std::move(work));
}

bool AmbientUserMode() {
    return userMode;
}

void SetAmbientUserMode(bool mode) {
    userMode = mode;
}

}  // namespace plat
