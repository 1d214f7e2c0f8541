#include "platform/controls.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPalette>
#include <cmath>
#include <iostream>
#include <utility>

#include "platform/files.h"

namespace plat {

namespace {

const QString kSerif = QStringLiteral("Noto Serif CJK SC");

Qt::Alignment ToQtAlignment(Align align) {
    switch (align) {
        case Align::Left:
            return Qt::AlignLeft;
        case Align::Centre:
            return Qt::AlignHCenter;
        case Align::Right:
            return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

void SetColour(QWidget& widget, QPalette::ColorRole role, Colour colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, ToQColor(colour));
    widget.setPalette(palette);
}

void Place(QWidget& widget, int x, int y, int width, int height, const Font& font) {
    widget.setGeometry(x, y, width, height);
    widget.setFont(ToQFont(font));
}

}  // namespace

QFont ToQFont(const Font& font) {
    const QString face = QString::fromUtf8(font.face);
    QFont result;
    bool bold = font.bold;
    if (face == QStringLiteral("宋体")) {
        result.setFamily(kSerif);
    } else if (face == QStringLiteral("Tahoma") || face == QStringLiteral("Arial Black")) {
        result.setFamily(QStringLiteral("DejaVu Sans"));
        bold = true;
    } else {
        result.setFamily(face);
    }
    // Pixels at 96 DPI, so the layout looks the same whatever the screen's DPI.
    result.setPixelSize(static_cast<int>(std::lround(font.points * 4 / 3)));
    result.setBold(bold);
    return result;
}

void LoadFonts() {
    constexpr std::size_t kLimit = 16 << 20;
    // Qt reads each face from its bytes, uncopied, for as long as the program runs.
    static std::string regular;
    static std::string bold;
    for (const auto& [name, bytes] :
         {std::pair{"noto-serif-sc.otf", &regular}, std::pair{"noto-serif-sc-bold.otf", &bold}}) {
        const std::string path = AppPath() + "/help/" + name;
        std::string error;
        if (!ReadRegularFile(path, kLimit, *bytes, error)) {
            std::cerr << "nibbly: cannot use " << path << ": " << error << '\n';
        } else if (QFontDatabase::addApplicationFontFromData(QByteArray::fromRawData(
                       bytes->data(), static_cast<qsizetype>(bytes->size()))) < 0) {
            std::cerr << "nibbly: cannot use " << path << ": not a font Qt can read\n";
        }
    }
    QFont font = QApplication::font();
    font.setFamily(kSerif);
    QApplication::setFont(font);
}

QColor ToQColor(Colour colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

Label::Label(QWidget* parent, int x, int y, int width, int height, const Font& font, Colour fore,
             Align align, const std::string& caption)
    : QLabel(parent), fore_(fore) {
    Place(*this, x, y, width, height, font);
    setAutoFillBackground(false);
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(ToQtAlignment(align) | Qt::AlignTop);
    SetColour(*this, QPalette::WindowText, fore);
    SetCaption(caption);
}

std::string Label::Caption() const {
    return text().toStdString();
}

void Label::SetCaption(const std::string& caption) {
    setText(QString::fromStdString(caption));
    if (autoSize_) adjustSize();
}

void Label::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    setWordWrap(!autoSize);
    if (autoSize) adjustSize();
}

void Label::SetForeColor(Colour colour) {
    fore_ = colour;
    SetColour(*this, QPalette::WindowText, colour);
}

void Label::Refresh() {
    repaint();
}

Image::Image(QWidget* parent, int x, int y, int width, int height) : QWidget(parent) {
    setGeometry(x, y, width, height);
}

void Image::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void Image::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

OptionButton::OptionButton(QWidget* parent, int x, int y, int width, int height, const Font& font,
                           Colour fore, Colour back, const std::string& caption)
    : QRadioButton(QString::fromStdString(caption), parent) {
    Place(*this, x, y, width, height, font);
    setAutoExclusive(true);
    SetColour(*this, QPalette::WindowText, fore);
    // Buttons fill with the Button role, not Window.
    SetColour(*this, QPalette::Button, back);
    setAutoFillBackground(true);
}

}  // namespace plat
