#include <memory>

#include "platform/windowsys.h"
#include "widgets_button.h"

namespace {

// Counts what a button raises.
struct Events {
    explicit Events(XPButton& button) {
        QObject::connect(&button, &XPButton::Click, [this] { ++clicks; });
        QObject::connect(&button, &XPButton::MouseDown,
                         [this](short& b, short&, float&, float&) { downs.push_back(b); });
        QObject::connect(&button, &XPButton::MouseUp,
                         [this](short& b, short&, float&, float&) { ups.push_back(b); });
        QObject::connect(&button, &XPButton::MouseOnButton,
                         [this](bool& on) { onButton.push_back(on); });
        QObject::connect(&button, &XPButton::KeyDown,
                         [this](short& k, short&) { keyDowns.push_back(k); });
        QObject::connect(&button, &XPButton::KeyUp,
                         [this](short& k, short&) { keyUps.push_back(k); });
        QObject::connect(&button, &XPButton::DoubleClick, [this](short&) { ++doubleClicks; });
    }
    int clicks = 0;
    int doubleClicks = 0;
    std::vector<short> downs, ups, keyDowns, keyUps;
    std::vector<bool> onButton;
};

PropertyBag Option(const std::string& caption, bool on = false) {
    PropertyBag bag = Stored(XPButton::Classic, 0, caption);
    bag.Set("Mode", "2");
    bag.Set("Value", on ? "True" : "False");
    return bag;
}

TEST_F(ButtonTest, HoverEntersOnceAndLeavesThroughTheTimer) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed));
    Events events(button);
    Hover(button);
    Mouse(button, QEvent::MouseMove, QPoint(5, 5));
    Mouse(button, QEvent::MouseMove, QPoint(80, 20));
    EXPECT_EQ(events.onButton, std::vector<bool>{true});
    EXPECT_TRUE(button.StateFlags() & XPButton::kHover);
    EXPECT_EQ(plat::GetProp(button, "lv_TimerID"), XPButton::kHoverTimerId);
    EXPECT_EQ(plat::GetProp(button, "lv_ClassID"), button.hwnd());

    clock.RunUntil(200);  // the pointer is still over it
    EXPECT_EQ(events.onButton, std::vector<bool>{true});

    Mouse(host, QEvent::MouseMove, QPoint(250, 150));
    clock.RunUntil(249);
    EXPECT_EQ(events.onButton, std::vector<bool>{true});
    clock.RunUntil(250);
    EXPECT_EQ(events.onButton, (std::vector<bool>{true, false}));
    EXPECT_FALSE(button.HoverTimerRunning());
    EXPECT_FALSE(button.StateFlags() & XPButton::kHover);
    EXPECT_EQ(At(button, 1, 16), 0xF4FAFAu);  // the normal rows again
}

TEST_F(ButtonTest, DisablingAHoveredButtonEndsItsHover) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed));
    Events events(button);
    Hover(button);
    button.setEnabled(false);
    clock.RunUntil(50);
    EXPECT_EQ(events.onButton, (std::vector<bool>{true, false}));
    EXPECT_EQ(At(button, 44, 5), 0xDBE7E7u);  // the disabled face, not the hot one
}

TEST_F(ButtonTest, LeftClickRaisesDownUpClickInOrder) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed));
    std::vector<std::string> order;
    QObject::connect(&button, &XPButton::MouseDown,
                     [&](short&, short&, float&, float&) { order.push_back("down"); });
    QObject::connect(&button, &XPButton::MouseUp,
                     [&](short&, short&, float&, float&) { order.push_back("up"); });
    QObject::connect(&button, &XPButton::Click, [&] { order.push_back("click"); });
    Press(button);
    EXPECT_TRUE(button.StateFlags() & XPButton::kHeld);
    Release(button);
    EXPECT_EQ(order, (std::vector<std::string>{"down", "up", "click"}));
    EXPECT_FALSE(button.StateFlags() & XPButton::kHeld);
}

TEST_F(ButtonTest, RightClickRaisesNoClick) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed));
    Events events(button);
    Press(button, Qt::RightButton);
    Release(button, Qt::RightButton);
    EXPECT_EQ(events.downs, std::vector<short>{2});
    EXPECT_EQ(events.ups, std::vector<short>{2});
    EXPECT_EQ(events.clicks, 0);
    EXPECT_FALSE(button.StateFlags() & XPButton::kHeld);
}

TEST_F(ButtonTest, ReleaseAwayFromTheButtonIsNoClick) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed));
    Events events(button);
    Press(button);
    Mouse(button, QEvent::MouseButtonRelease, QPoint(150, 10));
    EXPECT_EQ(events.clicks, 0);
}

TEST_F(ButtonTest, DoubleClickPressesTheFaceAgainButClicksOnce) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic));
    Events events(button);
    Press(button);
    Release(button);
    Mouse(button, QEvent::MouseButtonDblClick, Centre(button));
    EXPECT_TRUE(button.StateFlags() & XPButton::kHeld);
    Release(button);
    EXPECT_EQ(events.doubleClicks, 1);
    EXPECT_EQ(events.downs, (std::vector<short>{1, 1}));
    EXPECT_EQ(events.clicks, 1);
}

TEST_F(ButtonTest, SpaceHeldWithAutoRepeatClicksOnce) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed));
    Events events(button);
    Key(button, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(button.StateFlags() & XPButton::kHeld);
    // Not hovered: the face shows pressed without the hot look.
    EXPECT_FALSE(button.StateFlags() & XPButton::kHover);
    for (int i = 0; i < 3; ++i) {
        Key(button, QEvent::KeyRelease, Qt::Key_Space, true);
        Key(button, QEvent::KeyPress, Qt::Key_Space, true);
    }
    EXPECT_EQ(events.clicks, 0);
    Key(button, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(events.clicks, 1);
    EXPECT_FALSE(button.StateFlags() & XPButton::kHeld);
    EXPECT_EQ(events.keyUps, std::vector<short>{32});
}

// Records the key-down messages a window receives.
class KeyLog : public QObject {
  public:
    std::vector<std::pair<int, quint32>> keys;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            keys.emplace_back(key->key(), key->nativeScanCode());
        }
        return false;
    }
};

TEST_F(ButtonTest, ArrowsGoToTheContainerNotToTheButtonsEvents) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed));
    Events events(button);
    KeyLog log;
    host.installEventFilter(&log);
    Key(button, QEvent::KeyPress, Qt::Key_Left);
    Key(button, QEvent::KeyRelease, Qt::Key_Left);
    Key(button, QEvent::KeyPress, Qt::Key_Down);
    Key(button, QEvent::KeyRelease, Qt::Key_Down);
    QCoreApplication::sendPostedEvents(&host, QEvent::KeyPress);
    host.removeEventFilter(&log);
    EXPECT_TRUE(events.keyDowns.empty());
    EXPECT_TRUE(events.keyUps.empty());
    EXPECT_EQ(log.keys,
              (std::vector<std::pair<int, quint32>>{{Qt::Key_Left, 0x4B}, {Qt::Key_Down, 0x50}}));
}

TEST_F(ButtonTest, OtherKeysRaiseKeyEvents) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Themed));
    Events events(button);
    Key(button, QEvent::KeyPress, Qt::Key_E);
    Key(button, QEvent::KeyRelease, Qt::Key_E);
    Key(button, QEvent::KeyPress, Qt::Key_Shift);
    Key(button, QEvent::KeyRelease, Qt::Key_Shift);
    EXPECT_EQ(events.keyDowns, (std::vector<short>{'E', 16}));
    EXPECT_EQ(events.keyUps, std::vector<short>{'E'});
}

TEST_F(ButtonTest, CheckBoxTogglesOnEachClick) {
    XPButton box(&host);
    PropertyBag bag = Stored(XPButton::Classic);
    bag.Set("Mode", "1");
    Load(box, bag);
    Events events(box);
    Press(box);
    Release(box);
    EXPECT_TRUE(box.Value());
    Press(box);
    Release(box);
    EXPECT_FALSE(box.Value());
    EXPECT_EQ(events.clicks, 2);
}

TEST_F(ButtonTest, OptionGroupIsExclusiveAndAnOptionOnRaisesNoClick) {
    XPButton a(&host), b(&host), c(&host);
    Load(a, Option("a", true));
    Load(b, Option("b"), QRect(10, 50, 89, 33));
    Load(c, Option("c"), QRect(10, 90, 89, 33));
    EXPECT_EQ(plat::GetProp(host, "lv_OptCount"), 3);
    Events onA(a);
    Press(a);
    Release(a);
    EXPECT_EQ(onA.clicks, 0);
    EXPECT_TRUE(a.Value());

    Press(b);
    Release(b);
    EXPECT_FALSE(a.Value());
    EXPECT_TRUE(b.Value());
    EXPECT_FALSE(c.Value());
    c.SetValue(true);
    EXPECT_FALSE(b.Value());
}

TEST_F(ButtonTest, LeavingTheGroupRemovesTheEntry) {
    XPButton a(&host);
    Load(a, Option("a"));
    auto b = std::make_unique<XPButton>(&host);
    Load(*b, Option("b"), QRect(10, 50, 89, 33));
    XPButton c(&host);
    Load(c, Option("c"), QRect(10, 90, 89, 33));
    const plat::Handle cHandle = c.hwnd();

    b.reset();  // destroyed while listed
    EXPECT_EQ(plat::GetProp(host, "lv_OptCount"), 2);
    EXPECT_EQ(plat::GetProp(host, "2lv_Obj"), cHandle);
    EXPECT_FALSE(plat::GetProp(host, "3lv_Obj"));
    c.SetValue(true);
    a.SetValue(true);
    EXPECT_FALSE(c.Value());

    c.SetMode(XPButton::CommandMode);
    EXPECT_FALSE(c.Value());
    a.SetMode(XPButton::CheckMode);
    EXPECT_FALSE(plat::GetProp(host, "lv_OptCount"));
    EXPECT_FALSE(plat::GetProp(host, "1lv_Obj"));
}

TEST_F(ButtonTest, FocusTurnsOnAnOptionOnlyWhenNoneIsOn) {
    XPButton a(&host), b(&host);
    Load(a, Option("a"));
    Load(b, Option("b"), QRect(10, 50, 89, 33));
    Events onB(b);
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&b, &focus);
    EXPECT_TRUE(b.Value());
    EXPECT_EQ(onB.clicks, 1);
    Events onA(a);
    QApplication::sendEvent(&a, &focus);
    EXPECT_FALSE(a.Value());
    EXPECT_EQ(onA.clicks, 0);
}

TEST_F(ButtonTest, CaptionAccessKeys) {
    XPButton button(&host);
    Load(button, Stored(XPButton::Classic, 0, "&Save && Go"));
    EXPECT_EQ(button.AccessKey(), "S");
    button.SetCaption("Fish &&& Chips");
    EXPECT_EQ(button.AccessKey(), " ");
    button.SetCaption("A&&B");  // no marker: the key stays
    EXPECT_EQ(button.AccessKey(), " ");
    button.SetCaption("End&");
    EXPECT_EQ(button.AccessKey(), "");
}

}  // namespace
