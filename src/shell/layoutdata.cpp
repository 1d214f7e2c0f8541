#include "shell/layoutdata.h"

#include <QFile>
#include <cmath>

#include "widgets/xpbutton.h"

namespace {

constexpr double kTwipsPerPixel = 15;

const Layout& FormLayoutData() {
    static const Layout layout = [] {
        QFile file(QStringLiteral(":/frmmain.layout"));
        file.open(QIODevice::ReadOnly);
        return ParseLayout(file.readAll().toStdString());
    }();
    return layout;
}

// Whole pixels, halves to even, as the window system places windows.
int Pixels(const PropertyBag& bag, const char* key) {
    return static_cast<int>(std::lrint(bag.ReadInt16(key, 0) / kTwipsPerPixel));
}

}  // namespace

PropertyBag FormLayout(const char* control) {
    return LayoutBlock(FormLayoutData(), control);
}

void LoadButton(XPButton& button, const char* name) {
    const PropertyBag bag = FormLayout(name);
    button.setGeometry(Pixels(bag, "Left"), Pixels(bag, "Top"), Pixels(bag, "Width"),
                       Pixels(bag, "Height"));
    button.ReadProperties(bag);
}
