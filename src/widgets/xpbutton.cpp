// Properties, their stored form and the button's life.
#include "widgets/xpbutton.h"

#include <QBuffer>
#include <QCursor>
#include <QEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "platform/bitmap.h"
#include "platform/controls.h"
#include "platform/desktop.h"
#include "widgets/modlvtimer.h"

namespace {

constexpr const char* kHandPointer = "hand";

// The screen's device pixel ratio as a whole factor: the control's pixel art scales evenly.
int WholeScale(const QWidget& widget) {
    return std::max(1, qRound(widget.devicePixelRatio()));
}

// Pictures are stored as PNG data in base64 after "png:".
QImage DecodePicture(const std::string& text) {
    if (text.rfind("png:", 0) != 0) return {};
    std::string error;
    return plat::DecodePicture(QByteArray::fromBase64(QByteArray::fromStdString(text.substr(4))),
                               error, "PNG");
}

std::string EncodePicture(const QImage& picture) {
    if (picture.isNull()) return {};
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return "png:" + data.toBase64().toStdString();
}

// An enumeration read from the store: out of its range it is the default.
int ReadEnum(const PropertyBag& bag, const char* key, int fallback, int min, int max) {
    const int value = bag.ReadInt16(key, static_cast<std::int16_t>(fallback));
    return value >= min && value <= max ? value : fallback;
}

Qt::CursorShape CursorOf(int pointer) {
    switch (pointer) {
        case 2:
            return Qt::CrossCursor;
        case 3:
            return Qt::IBeamCursor;
        case 5:
        case 15:
            return Qt::SizeAllCursor;
        case 6:
            return Qt::SizeBDiagCursor;
        case 7:
            return Qt::SizeVerCursor;
        case 8:
            return Qt::SizeFDiagCursor;
        case 9:
            return Qt::SizeHorCursor;
        case 10:
            return Qt::UpArrowCursor;
        case 11:
            return Qt::WaitCursor;
        case 12:
            return Qt::ForbiddenCursor;
        case 13:
            return Qt::BusyCursor;
        case 14:
            return Qt::WhatsThisCursor;
        default:
            return Qt::ArrowCursor;
    }
}

}  // namespace

XPButton::XPButton(QWidget* container)
    : QWidget(container),
      hoverTimer_("XPButton hover", kHoverInterval, plat::Timer::WhileModal::Run) {
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    plat::HandleOf(this);
    tag_ = std::to_string(plat::HandleOf(container));
    hoverTimer_.OnTimer = [this] { HoverTimerProc(*this); };
    containerColour_ = static_cast<std::int32_t>(ContainerColour());
    SyncFont();
    SyncColours();
}

XPButton::~XPButton() {
    // No option group may keep an entry naming a button that is gone.
    if (mode_ == OptionMode) OptionToggle(kLeave);
    hoverTimer_.SetEnabled(false);
    plat::RemoveProp(*this, "lv_ClassID");
    plat::RemoveProp(*this, "lv_TimerID");
}

QWidget* XPButton::Container() const {
    return plat::FromHandle(std::atoll(tag_.c_str()));
}

std::int32_t XPButton::Resolve(plat::Colour colour) const {
    return static_cast<std::int32_t>(plat::TranslateColor(colour));
}

plat::Colour XPButton::ContainerColour() const {
    const QWidget* container = parentWidget();
    if (!container) return plat::TranslateColor(plat::vbButtonFace);
    const QColor colour = container->palette().color(QPalette::Window);
    return plat::RGB(colour.red(), colour.green(), colour.blue());
}

void XPButton::InitProperties(const std::string& displayName) {
    tag_ = std::to_string(plat::HandleOf(parentWidget()));
    caption_ = displayName;
    captionAlign_ = 2;
    showFocusRect_ = true;
    hoverFore_ = plat::vbButtonText;
    hoverBack_ = plat::vbButtonFace;
    backColour_ = plat::vbButtonFace;
    containerColour_ = static_cast<std::int32_t>(ContainerColour());
    SyncFont();
    SyncColours();
    for (const char* key : {"Caption", "CapAlign", "Focus", "cFHover", "cBHover"}) Changed(key);
    Resize();
}

void XPButton::ReadProperties(const PropertyBag& bag) {
    tag_ = std::to_string(plat::HandleOf(parentWidget()));
    containerColour_ = static_cast<std::int32_t>(ContainerColour());
    delayed_ = true;
    caption_ = bag.ReadString("Caption", "");
    captionAlign_ = ReadEnum(bag, "CapAlign", 2, 0, 2);
    buttonStyle_ = ReadEnum(bag, "BackStyle", 0, 0, 7);
    shape_ = ReadEnum(bag, "Shape", 0, 0, 6);
    gradientMode_ = ReadEnum(bag, "Gradient", 0, 0, 4);
    gradientColour_ = bag.ReadColour("cGradient", plat::vbButtonFace);
    foreColour_ = bag.ReadColour("cFore", plat::vbButtonText);
    font_ = bag.ReadFont("Font", font_);
    showFocusRect_ = bag.ReadBool("Focus", true);
    mode_ = ReadEnum(bag, "Mode", 0, 0, 2);
    value_ = bag.ReadBool("Value", false) && mode_ != CommandMode;
    picture_ = DecodePicture(bag.ReadString("Image", ""));
    pictureSize_ = bag.ReadInt16("ImgSize", 16);
    if (pictureSize_ % 8 != 0 || pictureSize_ < 16 || pictureSize_ > 48) pictureSize_ = 16;
    pictureAlign_ = ReadEnum(bag, "ImgAlign", 0, 0, 5);
    hoverFore_ = bag.ReadColour("cFHover", plat::vbButtonText);
    setEnabled(bag.ReadBool("Enabled", true));
    backColour_ = bag.ReadColour("cBack", ContainerColour());
    hoverBack_ = bag.ReadColour("cBHover", backColour_);
    hoverLocks_ = bag.ReadInt16("LockHover", 0);
    captionStyle_ = ReadEnum(bag, "CapStyle", 0, 0, 2);
    const std::string icon = bag.ReadString("mIcon", "");
    if (icon == kHandPointer) {
        setCursor(Qt::PointingHandCursor);
        mouseIcon_ = {};
    } else {
        SetMouseIcon(DecodePicture(icon));
    }
    SetMousePointer(bag.ReadInt16("mPointer", icon.empty() ? 0 : 99));

    SyncPicture();
    SyncFont();
    SyncColours();
    SetCaption(caption_);
    if (mode_ == OptionMode) OptionToggle(kJoin);
    delayed_ = false;
    Resize();
}

void XPButton::WriteProperties(PropertyBag& bag) const {
    bag.WriteString("Caption", caption_, "");
    bag.WriteInt("CapAlign", captionAlign_, 2);
    bag.WriteInt("BackStyle", buttonStyle_, 0);
    bag.WriteInt("Shape", shape_, 0);
    bag.WriteFont("Font", font_);
    bag.WriteColour("cFore", foreColour_, plat::vbButtonText);
    bag.WriteColour("cFHover", hoverFore_, plat::vbButtonText);
    bag.WriteColour("cBHover", hoverBack_, backColour_);
    bag.WriteBool("Focus", showFocusRect_, true);
    bag.WriteInt("LockHover", hoverLocks_, 0);
    bag.WriteColour("cGradient", gradientColour_, plat::vbButtonFace);
    bag.WriteInt("Gradient", gradientMode_, 0);
    bag.WriteInt("CapStyle", captionStyle_, 0);
    bag.Set("Mode", std::to_string(mode_));
    bag.Set("Value", value_ ? "True" : "False");
    bag.WriteInt("ImgAlign", pictureAlign_, 0);
    bag.WriteString("Image", EncodePicture(picture_), "");
    bag.WriteInt("ImgSize", pictureSize_, 16);
    bag.WriteBool("Enabled", isEnabled(), true);
    bag.WriteColour("cBack", backColour_);
    bag.WriteInt("mPointer", mousePointer_, 0);
    if (mousePointer_ == 99 && mouseIcon_.isNull() && cursor().shape() == Qt::PointingHandCursor)
        bag.Set("mIcon", kHandPointer);
    else
        bag.WriteString("mIcon", EncodePicture(mouseIcon_), "");
}

void XPButton::SetButtonStyle(int style) {
    if (style < 0 || style > 7) return;
    buttonStyle_ = style;
    BuildRegion();
    LayoutContent(true);
    SyncColours();
    Redraw();
    Changed("BackStyle");
}

void XPButton::SetMode(int mode) {
    if (mode < 0 || mode > 2) return;
    if (mode_ == OptionMode && mode != OptionMode) OptionToggle(kLeave);
    if (mode == CommandMode && mode_ != CommandMode) value_ = false;
    const bool joins = mode_ != OptionMode && mode == OptionMode;
    mode_ = mode;
    if (joins) OptionToggle(kJoin);
    Redraw();
    Changed("Mode");
}

void XPButton::SetValue(bool value) {
    if (value && mode_ == CommandMode) {
        if (DesignMode())
            plat::MsgBox("This property is not applicable for command button modes.",
                         plat::vbInformation, "XPButton");
        return;
    }
    value_ = value;
    if (value && mode_ == OptionMode) OptionToggle(kTurnOthersOff);
    Redraw();
    Changed("Value");
}

void XPButton::SetCaption(const std::string& caption) {
    caption_ = caption;
    FindAccessKey();
    LayoutContent(true);
    Redraw();
    Changed("Caption");
}

void XPButton::SetCaptionAlign(int align) {
    if (align < 0 || align > 2) return;
    if (align != 2 && pictureAlign_ >= 4 && !picture_.isNull()) {
        if (DesignMode())
            plat::MsgBox(
                "When button images are aligned top/bottom center, \r\nbutton captions can "
                "only be center aligned",
                plat::vbInformation, "XPButton");
        return;
    }
    captionAlign_ = align;
    LayoutContent(true);
    Redraw();
    Changed("CapAlign");
}

void XPButton::SetCaptionStyle(int style) {
    if (style < 0 || style > 2) return;
    captionStyle_ = style;
    Changed("CapStyle");
    if (caption_.empty()) return;
    LayoutContent(true);
    Redraw();
}

void XPButton::SetButtonShape(int shape) {
    if (shape < 0 || shape > 6) return;
    shape_ = shape;
    if (shape == 3) captionAlign_ = 2;
    delayed_ = false;
    Resize();
    Changed("Shape");
}

void XPButton::SetPicture(const QImage& picture) {
    picture_ = picture;
    if (pictureSize_ == 0) pictureSize_ = 16;
    SyncPicture();
    LayoutContent(true);
    Redraw();
    Changed("Image");
}

void XPButton::SetPictureAlign(int align) {
    if (align < 0 || align > 5) return;
    pictureAlign_ = align;
    if (align >= 4) captionAlign_ = 2;
    LayoutContent(true);
    Redraw();
    Changed("ImgAlign");
}

void XPButton::SetPictureSize(int size) {
    if (size < 0 || size > 4) return;
    pictureSize_ = (size + 2) * 8;
    LayoutContent(true);
    Redraw();
    Changed("ImgSize");
}

void XPButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        // The container's colour shows around the ovals and under the toolbar look.
        containerColour_ = static_cast<std::int32_t>(ContainerColour());
        if (Oval() || buttonStyle_ == Toolbar) Redraw();
        return;
    }
    if (event->type() != QEvent::EnabledChange) return;
    // The flat look cuts its corners only while enabled.
    if (buttonStyle_ == Flat && mode_ == CommandMode) {
        delayed_ = true;
        BuildRegion();
        LayoutContent(true);
        DelayDrawing(false);
    } else {
        Redraw();
    }
    Changed("Enabled");
}

void XPButton::SetShowFocusRect(bool show) {
    showFocusRect_ = show;
    if (state_ & kDefault) {
        if (DesignMode()) {
            plat::MsgBox(
                "The focus rectangle may appear on default buttons ONLY while in design "
                "mode, \r\nbut will not appear when the form is running.",
                plat::vbInformation, "XPButton");
        } else {
            state_ &= ~kDefault;
            Redraw();
        }
    } else {
        Redraw();
    }
    Changed("Focus");
}

void XPButton::SetMousePointer(int pointer) {
    mousePointer_ = pointer;
    if (pointer == 99) {
        if (!mouseIcon_.isNull()) setCursor(QCursor(QPixmap::fromImage(mouseIcon_)));
    } else {
        setCursor(CursorOf(pointer));
    }
    Changed("mPointer");
}

void XPButton::SetMouseIcon(const QImage& icon) {
    // Pointers are small pictures; anything else the window refuses.
    constexpr int kLargestPointer = 256;
    if (icon.width() > kLargestPointer || icon.height() > kLargestPointer) {
        if (DesignMode())
            plat::MsgBox("A pointer picture may be at most 256 x 256 pixels.", plat::vbInformation,
                         "Select .ico Or .cur Files Only");
        return;
    }
    mouseIcon_ = icon;
    if (icon.isNull()) return;
    mousePointer_ = 99;
    setCursor(QCursor(QPixmap::fromImage(icon)));
    Changed("mIcon");
}

void XPButton::SetFont(const StoredFont& font) {
    font_ = font;
    SyncFont();
    LayoutContent(true);
    Redraw();
    Changed("Font");
}

int XPButton::FontStyle() const {
    return (font_.weight >= 600 ? 2 : 0) + (font_.style & 1 ? 4 : 0) + (font_.style & 2 ? 8 : 0);
}

void XPButton::SetFontStyle(int style) {
    font_.weight = style & 2 ? 700 : 400;
    font_.style = (font_.style & 4) | (style & 4 ? 1 : 0) | (style & 8 ? 2 : 0);
    SyncFont();
    LayoutContent(true);
    Changed("Font");
    Redraw();
}

void XPButton::SetForeColor(plat::Colour colour) {
    if (colour == foreColour_) return;
    foreColour_ = colour;
    if (!(hoverLocks_ & 2)) hoverFore_ = colour;
    delayed_ = false;
    Redraw();
    Changed("cFore");
}

void XPButton::SetBackColor(plat::Colour colour) {
    backColour_ = plat::TranslateColor(colour);
    if (!(hoverLocks_ & 1)) hoverBack_ = gradientMode_ ? gradientColour_ : backColour_;
    SyncColours();
    Redraw();
    Changed("cBack");
}

void XPButton::SetGradientColor(plat::Colour colour) {
    if (!(hoverLocks_ & 1) && gradientMode_) hoverBack_ = colour;
    gradientColour_ = colour;
    SyncColours();
    if (gradientMode_) Redraw();
    Changed("cGradient");
}

void XPButton::SetGradientMode(int mode) {
    if (mode < 0 || mode > 4) return;
    gradientMode_ = mode;
    if (!(hoverLocks_ & 1)) {
        hoverBack_ = mode == 0 ? backColour_ : gradientColour_;
        SyncColours();
    }
    Redraw();
    Changed("Gradient");
}

void XPButton::ResetDefaultColors(bool reset) {
    if (!reset || !DesignMode()) return;
    delayed_ = true;
    backColour_ = plat::vbButtonFace;
    SetForeColor(plat::vbButtonText);
    SetGradientColor(plat::vbButtonFace);
    SetGradientMode(0);
    SetHoverColorLocks(0);
    SyncColours();
    DelayDrawing(false);
    Changed("cGradient");
    Changed("cBack");
}

void XPButton::SetHoverColorLocks(int locks) {
    hoverLocks_ = locks;
    if (!(locks & 1)) {
        hoverBack_ = gradientMode_ ? gradientColour_ : backColour_;
        Changed("cBHover");
    }
    if (!(locks & 2)) {
        hoverFore_ = foreColour_;
        Changed("cFHover");
    }
    SyncColours();
    Changed("LockHover");
}

void XPButton::SetHoverForeColor(plat::Colour colour) {
    if (colour == hoverFore_) return;
    hoverFore_ = colour;
    Changed("cFHover");
    if (colour != foreColour_ && (hoverLocks_ == 0 || hoverLocks_ == 1)) hoverLocks_ += 2;
    Changed("cFHover");
}

void XPButton::SetHoverBackColor(plat::Colour colour) {
    if (colour == hoverBack_) return;
    hoverBack_ = colour;
    if (colour != backColour_ && (hoverLocks_ == 0 || hoverLocks_ == 2)) hoverLocks_ += 1;
    SyncColours();
    Changed("cBHover");
}

void XPButton::DelayDrawing(bool delay) {
    delayed_ = delay;
    if (!delay) Redraw();
}

void XPButton::AmbientDisplayAsDefault(bool displayAsDefault) {
    if (showFocusRect_ && displayAsDefault)
        state_ |= kDefault;
    else
        state_ &= ~kDefault;
    Redraw();
}

void XPButton::Resize() {
    Resize(WholeScale(*this));
}

void XPButton::Resize(int scale) {
    if (delayed_) return;
    BuildRegion();
    canvas_ = QImage(size() * scale, QImage::Format_RGB32);
    canvas_.setDevicePixelRatio(scale);
    LayoutContent(true);
    Redraw();
}

void XPButton::resizeEvent(QResizeEvent*) {
    Resize();
}

void XPButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Moved to a screen of another factor, or drawn enlarged (the window shown full screen):
    // the caption stays at the resolution it is shown at.
    const int scale = std::max(1, qRound(painter.paintEngine()->paintDevice()->devicePixelRatio()));
    if (CanvasScale() != scale) Resize(scale);
    painter.drawImage(0, 0, canvas_);
}

void XPButton::SyncFont() {
    canvasFont_ = plat::ToQFont({font_.face.c_str(), font_.points, font_.weight >= 600});
    canvasFont_.setItalic(font_.style & 1);
    canvasFont_.setUnderline(font_.style & 2);
    canvasFont_.setStrikeOut(font_.style & 4);
}

void XPButton::SyncPicture() {
    // Pictures with their own transparency are icons; others are bitmaps.
    pictureKind_ = picture_.hasAlphaChannel() ? 1 : 0;
    pictureWidth_ = picture_.width();
    pictureHeight_ = picture_.height();
}
