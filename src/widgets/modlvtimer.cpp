#include "widgets/modlvtimer.h"

#include "platform/windowsys.h"
#include "widgets/xpbutton.h"

void HoverTimerProc(QWidget& window) {
    const auto classId = plat::GetProp(window, "lv_ClassID");
    const auto timerId = plat::GetProp(window, "lv_TimerID");
    if (!classId || !timerId) return;
    // A reference that is not owned: the button lives as long as its window.
    auto* button = qobject_cast<XPButton*>(plat::FromHandle(*classId));
    if (button) button->CheckHover(static_cast<int>(*timerId));
}
