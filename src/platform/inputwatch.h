#pragma once
#include <QObject>
#include <functional>

class QWidget;

namespace plat {

// Stands between a person and one window, ahead of the window's own handling: announces
// each key, mouse button and close request before the window acts on it, and takes the
// window's loss of focus to itself. While blocking, a person's keys and clicks do not reach
// the window (a replay plays there); Escape, closing the window and a left click on stopControl
// (the skinned close box) call OnStop instead, and other key presses go to OnBlockedKey.
// Input sent by the program itself passes untouched.
class InputWatch : public QObject {
  public:
    explicit InputWatch(QWidget& window);
    ~InputWatch() override;
    InputWatch(const InputWatch&) = delete;
    InputWatch& operator=(const InputWatch&) = delete;

    std::function<void()> BeforeInput;
    std::function<void()> OnFocusLost;
    std::function<void()> OnStop;
    // A key of watching (WatchingKeyOf), and whether the press is the key's own repeat.
    std::function<void(int vk, bool repeat)> OnBlockedKey;
    bool blocking = false;
    QWidget* stopControl = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& window_;
};

// Input as a person gives it, sent to a control of the program: a key press and release
// (by virtual-key code; keypad digits by their own codes), a left click at the centre. The
// release is left out once stillThere() says the window has gone with the press.
void SendKey(QWidget& receiver, int vk, const std::function<bool()>& stillThere);
void SendClick(QWidget& target, const std::function<bool()>& stillThere);

}  // namespace plat
