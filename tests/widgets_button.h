#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/timer.h"
#include "widgets/xpbutton.h"

// A shown container on the virtual clock, with message boxes answered and recorded.
class ButtonTest : public testing::Test {
  protected:
    void SetUp() override {
        plat::SetTimerDriver(&clock);
        plat::SetMsgBoxHandler([this](const std::string& prompt, int, const std::string& title) {
            boxes.push_back(title + ": " + prompt);
            return plat::vbOK;
        });
        QPalette palette = host.palette();
        palette.setColor(QPalette::Window, QColor(0, 128, 0));
        host.setPalette(palette);
        host.setGeometry(100, 100, 320, 200);
        host.show();
    }
    void TearDown() override {
        plat::SetAmbientUserMode(true);
        plat::SetMsgBoxHandler(nullptr);
        plat::SetTimerDriver(nullptr);
    }

  public:
    // A button loaded from stored properties, 89 x 33 at (10, 10) unless the bag says otherwise.
    void Load(XPButton& button, PropertyBag bag, QRect geometry = QRect(10, 10, 89, 33)) {
        button.setGeometry(geometry);
        button.ReadProperties(bag);
        button.show();
    }

    static void Mouse(QWidget& target, QEvent::Type type, QPoint at,
                      Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ? button
                                                                                    : Qt::NoButton;
        QMouseEvent event(type, at, target.mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QApplication::sendEvent(&target, &event);
    }
    static QPoint Centre(const QWidget& widget) { return widget.rect().center(); }
    static void Hover(XPButton& button) { Mouse(button, QEvent::MouseMove, Centre(button)); }
    static void Press(XPButton& button, Qt::MouseButton which = Qt::LeftButton) {
        Mouse(button, QEvent::MouseButtonPress, Centre(button), which);
    }
    static void Release(XPButton& button, Qt::MouseButton which = Qt::LeftButton) {
        Mouse(button, QEvent::MouseButtonRelease, Centre(button), which);
    }
    static void Key(QWidget& target, QEvent::Type type, int key, bool autoRepeat = false) {
        QKeyEvent event(type, key, Qt::NoModifier, key == Qt::Key_Space ? " " : "", autoRepeat);
        QApplication::sendEvent(&target, &event);
    }
    // The canvas pixel as a colour value 0x00BBGGRR.
    static plat::Colour At(const XPButton& button, int x, int y) {
        const QRgb pixel = button.Canvas().pixel(x, y);
        return plat::RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
    }

    plat::VirtualClock clock;
    QWidget host;
    std::vector<std::string> boxes;
};

// The stored properties of a button in one look and shape.
inline PropertyBag Stored(int style, int shape = 0, const std::string& caption = "投币(I)") {
    PropertyBag bag;
    bag.Set("Caption", caption);
    bag.Set("BackStyle", std::to_string(style));
    bag.Set("Shape", std::to_string(shape));
    bag.Set("cBack", "0x8000000F");
    bag.Set("Font", "宋体, 134, 700, 10.5, 0");
    return bag;
}
