#include "shell/frmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <cassert>
#include <iostream>

#include "platform/bitmap.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/keyboard.h"
#include "platform/settings.h"
#include "platform/singleinstance.h"
#include "shell/layoutdata.h"
#include "shell/links.h"
#include "shell/settings.h"
#include "shell/skin.h"

namespace {

FrmMain* instance = nullptr;

constexpr plat::Colour kGreen = plat::RGB(0, 128, 0);
constexpr plat::Colour kWhite = plat::RGB(255, 255, 255);
constexpr plat::Colour kYellow = plat::RGB(255, 255, 0);
constexpr plat::Colour kBlue = plat::RGB(0, 0, 192);
const plat::Colour kWindowText = plat::TranslateColor(plat::vbWindowText);

constexpr plat::Font kSong9{"宋体", 9};
constexpr plat::Font kSong10{"宋体", 10.5};
constexpr plat::Font kSong12Bold{"宋体", 12, true};
constexpr plat::Font kSong14Bold{"宋体", 14.25, true};
constexpr plat::Font kSong15Bold{"宋体", 15.75, true};
constexpr plat::Font kTahoma{"Tahoma", 15.75, true};

// Sizes in twips.
constexpr int kWindowWidth = FrmMain::kWidthTwips;
constexpr int kWindowHeight = FrmMain::kHeightTwips;
constexpr int kSkinWidth = 4065;
constexpr int kSkinHeight = 3270;

constexpr const char* kTitle = "Nibbly 1.0.3";
constexpr const char* kLinkText = "官方网站 nibbly.example.org";

int Px(int twips) {
    return TwipsToPixels(twips);
}

// A picture of the program's folder, or a null image when it cannot be read.
QImage LoadStore(const char* name) {
    const std::string path = plat::ResolveFile(plat::AppPath() + "/" + name);
    std::string error;
    QImage picture = plat::ReadPicture(path, error);
    if (picture.isNull()) {
        std::cerr << "nibbly: cannot use " << path << ": " << error << '\n';
        return picture;
    }
    // In place where it can: no second copy of the picture.
    picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    return picture;
}

bool IsMouse(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove;
}

bool IsPress(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
}

}  // namespace

FrmMain& frmMain() {
    assert(instance != nullptr);
    return *instance;
}

FrmMain::FrmMain()
    : pctScreen(this, 10, 32, 448, 496, kGreen),
      pctpicture(this, 816, 72, 448, 495, plat::RGB(0, 0, 128)),
      pctTiles(this, 792, 64, 256, 352, plat::RGB(0, 0, 0)),
      pctBack(this, 800, 336, 32, 192, plat::RGB(128, 64, 64)),
      pctStats(this, 464, 104, 224, 64, plat::RGB(0, 0, 0)),
      IMBar(this, Px(720), 0, Px(kWindowWidth - 675), Px(375)),
      Image1(this, 32, 56, 355, 136),
      lblreadme(this, 10, 232, 448, 356, kSong14Bold, kWindowText, plat::Align::Centre),
      Label3(this, 472, 40, 81, 23, kSong12Bold, kWhite, plat::Align::Right, "得分数："),
      lblScore(this, 560, 36, 129, 25, kTahoma, kBlue, plat::Align::Left, "0"),
      Label1(this, 472, 72, 81, 23, kSong12Bold, kWhite, plat::Align::Right, "最高分："),
      lblHiscore(this, 560, 68, 129, 25, kTahoma, plat::RGB(192, 0, 0), plat::Align::Left),
      lblCoins(this, 472, 192, 121, 25, kSong15Bold, kYellow, plat::Align::Centre, "0 个币"),
      lblTitle(this, 472, 240, 121, 25, kSong14Bold, kWhite, plat::Align::Centre, "默认模式"),
      lblSpeed(this, 472, 288, 121, 25, kSong14Bold, kWhite, plat::Align::Centre, "默认速度"),
      LbBR(this, 0, 0, 0, 0, kSong9, kWhite, plat::Align::Right),
      Immin(this, Px(kWindowWidth - 630), Px(75), Px(255), Px(240)),
      Imclose(this, Px(kWindowWidth - 315), Px(75), Px(255), Px(240)),
      XPButton1(this),
      XPButton2(this),
      XPButton3(this),
      XPButton4(this),
      XPButton5(this),
      XPButton6(this),
      XPButton7(this),
      XPButton8(this),
      Option1_0(this, 480, 336, 97, 25, kSong10, kWhite, kGreen, "单人游戏"),
      Option1_1(this, 584, 336, 97, 25, kSong10, kWhite, kGreen, "双人游戏"),
      lblReady(&pctScreen, 140, 268, 169, 30, {"宋体", 15, true}, kYellow, plat::Align::Centre),
      lblPaused(&pctScreen, 140, 268, 169, 30, {"宋体", 15, true}, kYellow, plat::Align::Centre,
                "暂停"),
      lblPlayer(&pctScreen, 217, 312, 15, 24, {"宋体", 18, true}, kYellow, plat::Align::Centre),
      tmrKeyBoard("tmrKeyBoard", 10),
      tmrFlash("tmrFlash", 500),
      tmrReady("tmrReady", 500),
      min_{Immin, ImMin1, ImMin2},
      close_{Imclose, ImClose1, ImClose2},
      view_(*this, SizePixels()) {
    assert(instance == nullptr);
    instance = this;
    setAttribute(Qt::WA_DeleteOnClose, false);
    // No system frame: the skin is the frame. Outside the outline the window is see-through,
    // also where the compositor ignores the window's shape.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    for (plat::PictureBox* hidden : {&pctScreen, &pctpicture, &pctTiles, &pctBack, &pctStats}) {
        hidden->setVisible(false);
    }
    lblPaused.setVisible(false);
    Option1_0.SetValue(true);
    lblPlayer.SetAutoSize(true);
    LbBR.SetAutoSize(true);

    // The buttons come from the layout data; the start routine connects their clicks.
    const struct {
        XPButton* button;
        const char* name;
    } buttons[] = {{&XPButton1, "XPButton1"}, {&XPButton2, "XPButton2"}, {&XPButton3, "XPButton3"},
                   {&XPButton4, "XPButton4"}, {&XPButton5, "XPButton5"}, {&XPButton6, "XPButton6"},
                   {&XPButton7, "XPButton7"}, {&XPButton8, "XPButton8"}};
    for (const auto& [button, name] : buttons) LoadButton(*button, name);

    // Labels and images are drawn on the window itself, under every child window: the
    // playfield covers the title artwork and the instructions while it is shown.
    for (QWidget* windowless : std::initializer_list<QWidget*>{
             &Imclose, &Immin, &LbBR, &lblSpeed, &lblTitle, &lblCoins, &lblHiscore, &Label1,
             &lblScore, &Label3, &lblreadme, &Image1, &IMBar}) {
        windowless->lower();
    }

    Immin.setToolTip(QStringLiteral("最小化"));
    Imclose.setToolTip(QStringLiteral("关闭"));
    for (QWidget* hand : std::initializer_list<QWidget*>{
             &LbBR, &Immin, &Imclose, &XPButton1, &XPButton2, &XPButton3, &XPButton4, &XPButton5,
             &XPButton6, &XPButton7, &XPButton8}) {
        hand->setCursor(Qt::PointingHandCursor);
    }
    // Moves without a button reach the overlays and the places that take their hover down.
    for (QWidget* tracked : std::initializer_list<QWidget*>{this, &IMBar, &Immin, &Imclose}) {
        tracked->setMouseTracking(true);
    }

    qApp->installEventFilter(this);
}

QSize FrmMain::SizePixels() {
    return {Px(kWindowWidth), Px(kWindowHeight)};
}

FrmMain::~FrmMain() {
    qApp->removeEventFilter(this);
    instance = nullptr;
}

void FrmMain::Load() {
    helpFile_ = plat::AppPath() + "/help/index.html";
    XPButton8.setEnabled(false);
    pctStats.resize(Px(3360), Px(960));
    setFixedSize(Px(kWindowWidth), Px(kWindowHeight));
    pctScreen.move(Px(150), Px(480));
    lblreadme.setGeometry(pctScreen.x(), Image1.y() + Image1.height() + Px(600), pctScreen.width(),
                          pctScreen.height() - Px(2100));

    WindowX = (plat::ScreenWidthTwips() - kWindowWidth) / 2;
    WindowY = (plat::ScreenHeightTwips() - kWindowHeight) / 2;
    const auto stored = [](const char* key, std::int32_t fallback) {
        const std::string text =
            plat::GetSetting(kAppTitle, "SetLog", key, std::to_string(fallback));
        return ParseSetting(text, INT32_MIN, INT32_MAX).value_or(fallback);
    };
    WindowX = stored("frmMainX", WindowX);
    WindowY = stored("frmMainY", WindowY);

    setWindowTitle(QString::fromUtf8(kTitle));
    LbBR.SetCaption(kLinkText);
    XPButton6.SetCaption("游戏官方网站");

    Pmain = LoadStore("skin.png");
    Imico = LoadStore("titleicon.png");
    ImMin1 = LoadStore("minhover.png");
    ImMin2 = LoadStore("minpressed.png");
    ImClose1 = LoadStore("closehover.png");
    ImClose2 = LoadStore("closepressed.png");
    Image1.SetPicture(LoadStore("title.png"));

    // Laid out before the first frame, so the window appears where and as it should.
    LayoutWindow();
    Present();
}

void FrmMain::SetFullScreen(bool fullScreen) {
    if (fullScreen == fullScreen_) return;
    // The place to go back to is the one it has now.
    if (fullScreen) {
        WindowX = LeftTwips();
        WindowY = TopTwips();
    }
    fullScreen_ = fullScreen;
    // Chosen before the window is loaded, it starts so.
    if (isVisible()) Present();
}

void FrmMain::Present() {
    view_.setVisible(fullScreen_);
    view_.raise();
    RMe();
    if (fullScreen_) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        showFullScreen();
    } else {
        // Resized and moved once the window system has it back: a full-screen window keeps
        // the screen's place and size.
        showNormal();
        setFixedSize(SizePixels());
        LayoutWindow();
    }
}

void FrmMain::LayoutWindow() {
    // The window's own size: full screen, it is shown enlarged.
    const QSize size = SizePixels();
    const int w = size.width() * kTwipsPerPixel;
    const int h = size.height() * kTwipsPerPixel;
    LbBR.move(size.width() - LbBR.width() - Px(120), size.height() - LbBR.height() - Px(75));
    LbBR.SetForeColor(kWhite);
    IMBar.resize(Px(w - 675), IMBar.height());
    Immin.move(Px(w - 630), Px(75));
    Imclose.move(Px(w - 315), Px(75));
    update();
    RMe();
    // Where the compositor places windows the remembered place is kept as it is.
    if (isMinimized() || plat::WindowSystemPlacesWindows()) return;
    const Placement place = ClampPlacement({WindowX, WindowY}, plat::ScreenWidthTwips(),
                                           plat::ScreenHeightTwips(), w, h);
    WindowX = place.x;
    WindowY = place.y;
    // Full screen, it is the place to go back to.
    if (!fullScreen_) move(Px(WindowX), Px(WindowY));
}

// Painted straight onto the window, at the screen's factor: the skin scales without
// smoothing, the title text is drawn at device resolution.
void FrmMain::PaintFrame(QPainter& painter) {
    if (!Pmain.isNull()) {
        for (const SkinPiece& piece :
             SkinPieces(kWindowWidth, kWindowHeight, kSkinWidth, kSkinHeight)) {
            painter.drawImage(piece.target, Pmain, piece.source);
        }
    }
    if (!Imico.isNull()) painter.drawImage(QRect(Px(100), Px(80), Px(240), Px(240)), Imico);
    painter.setFont(plat::ToQFont(kSong9));
    painter.setPen(Qt::white);
    const QString title = titleStatus_.empty()
                              ? QString::fromUtf8(kTitle)
                              : QString::fromUtf8(kAppTitle) + ' ' + QString::fromStdString(titleStatus_);
    const int baseline = Px(100) + painter.fontMetrics().ascent();
    painter.drawText(Px(420), baseline, title);
    if (titleMark_.empty()) return;
    // Set apart from the title by two spaces' width, in the skin's yellow.
    painter.setPen(plat::ToQColor(kYellow));
    painter.drawText(Px(420) + painter.fontMetrics().horizontalAdvance(title + "  "), baseline,
                     QString::fromStdString(titleMark_));
}

void FrmMain::SetTitleStatus(const std::string& status) {
    if (status == titleStatus_) return;
    titleStatus_ = status;
    update();
}

void FrmMain::SetTitleMark(const std::string& mark) {
    if (mark == titleMark_) return;
    titleMark_ = mark;
    update();
}

void FrmMain::RMe() {
    const QSize size = SizePixels();
    outline_ = WindowOutline(size.width(), size.height());
    // The outline still shapes the window's painting; the screen around it is the view's.
    const QRegion shape = fullScreen_ ? QRegion() : outline_;
    if (mask() != shape) setMask(shape);
}

// A compositor that places windows does not tell the program where: the remembered place
// stands for the actual one. Full screen, the place to go back to does, in the whole pixels
// the window goes back to.
std::int32_t FrmMain::LeftTwips() const {
    if (plat::WindowSystemPlacesWindows()) return WindowX;
    return (fullScreen_ ? Px(WindowX) : x()) * kTwipsPerPixel;
}

std::int32_t FrmMain::TopTwips() const {
    if (plat::WindowSystemPlacesWindows()) return WindowY;
    return (fullScreen_ ? Px(WindowY) : y()) * kTwipsPerPixel;
}

void FrmMain::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    tmrKeyBoard.SetEnabled(false);
    tmrFlash.SetEnabled(false);
    tmrReady.SetEnabled(false);
    if (OnUnload) OnUnload();
    if (Unloaded) Unloaded();
    close();
}

void FrmMain::ConfirmClose() {
    const int answer =
        plat::MsgBox("你确定要关闭并结束程序吗？",
                     plat::vbYesNo | plat::vbQuestion | plat::vbDefaultButton2, kAppTitle);
    if (answer == plat::vbYes) Unload();
}

QWidget* FrmMain::KeyReceiver() {
    QWidget* focused = QApplication::focusWidget();
    return focused != nullptr && focused->window() == this ? focused : this;
}

void FrmMain::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setClipRegion(outline_.isEmpty() ? QRegion(rect()) : outline_);
    painter.fillRect(rect(), plat::ToQColor(kGreen));
    PaintFrame(painter);
}

void FrmMain::changeEvent(QEvent* event) {
    // Minimise and restore: a restored window goes back to the remembered place.
    if (event->type() == QEvent::WindowStateChange) LayoutWindow();
    QWidget::changeEvent(event);
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // A close request from the window system unloads without asking.
    if (!unloaded_ && BeforeInput) BeforeInput(OwnInput::Closed);
    Unload();
    event->accept();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowDeactivate && watched == this) {
        // No stuck keys when the window loses the focus.
        plat::ReleaseAllKeys();
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) return false;
    if (type == QEvent::ToolTip && fullScreen_) {
        // Where the pointer is on the screen, not where the window's own pixels put it.
        QToolTip::showText(QCursor::pos(), widget->toolTip(), widget);
        return true;
    }
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        return TakeKey(static_cast<const QKeyEvent&>(*event));
    }
    if (IsMouse(type)) return TakeMouse(watched, static_cast<const QMouseEvent&>(*event));
    return false;
}

// The first widget that a key event reaches takes it whole, so the event never travels on
// to the window and is taken twice, whatever a handler did to the focus meanwhile.
bool FrmMain::TakeKey(const QKeyEvent& key) {
    const int vk = plat::VirtualKeyOf(key);
    if (vk == 0) return false;
    const bool arrow = vk >= plat::vbKeyLeft && vk <= plat::vbKeyDown;
    const bool help = vk == plat::vbKeyF1;
    // Help, pause, mute and full screen act once per press; the other keys repeat, as they
    // always have.
    const bool once = help || vk == plat::vbKeyP || vk == plat::vbKeyM || vk == plat::vbKeyF11;
    if (!arrow && !once) {
        if (key.type() == QEvent::KeyPress && OnKeyDown) OnKeyDown(vk);
        return true;
    }
    if (key.type() == QEvent::KeyRelease) {
        // An auto-repeat sends releases too; the key is still down.
        if (!key.isAutoRepeat()) plat::KeyReleased(vk);
        return true;
    }
    // A press of a key that is down already is a repeat, flagged as one or not: a repeat
    // only matters for a key held since before the window had the focus.
    if (plat::KeyHeld(vk)) return true;
    plat::KeyPressed(vk);
    if (arrow || key.isAutoRepeat()) return true;
    if (help) {
        if (BeforeInput) BeforeInput(OwnInput::Help);
        plat::ShellExecute(helpFile_);
    } else if (OnKeyDown) {
        OnKeyDown(vk);
    }
    return true;
}

bool FrmMain::StartsDrag(QObject* watched, const QMouseEvent& mouse) const {
    if (fullScreen_) return false;
    if (watched == this) return childAt(mouse.position().toPoint()) == nullptr;
    for (const QObject* source : std::initializer_list<const QObject*>{
             &IMBar, &Image1, &Label1, &Label3, &lblScore, &lblHiscore, &lblCoins, &lblTitle,
             &lblSpeed, &lblreadme, &pctStats}) {
        if (watched == source) return true;
    }
    return false;
}

bool FrmMain::TakeMouse(QObject* watched, const QMouseEvent& mouse) {
    const QEvent::Type type = mouse.type();
    if (dragging_) {
        if (type == QEvent::MouseMove) move(mouse.globalPosition().toPoint() - dragOffset_);
        if (type == QEvent::MouseButtonRelease && mouse.button() == Qt::LeftButton) {
            dragging_ = false;
        }
        return true;
    }
    if (watched == &Immin || watched == &Imclose) {
        OverlayMouse(watched == &Immin ? min_ : close_, mouse);
        return true;
    }
    if (watched == &LbBR) {
        const bool left = mouse.button() == Qt::LeftButton;
        // The second press of a double click is no new click.
        if (type == QEvent::MouseButtonPress && left) linkPressed_ = true;
        if (type == QEvent::MouseButtonRelease && left) {
            if (linkPressed_ && LbBR.rect().contains(mouse.position().toPoint())) {
                if (BeforeInput) BeforeInput(OwnInput::Link);
                plat::ShellExecute(kSiteUrl);
            }
            linkPressed_ = false;
        }
        return true;
    }
    if (type == QEvent::MouseMove &&
        (watched == &IMBar ||
         (watched == this && childAt(mouse.position().toPoint()) == nullptr))) {
        ClearHover();
        return false;
    }
    if (IsPress(type) && mouse.button() == Qt::LeftButton && StartsDrag(watched, mouse)) {
        if (!plat::StartSystemMove(*this)) {
            dragging_ = true;
            dragOffset_ = mouse.globalPosition().toPoint() - pos();
        }
        return true;
    }
    return false;
}

void FrmMain::OverlayMouse(Overlay& overlay, const QMouseEvent& mouse) {
    const QEvent::Type type = mouse.type();
    if (type == QEvent::MouseMove) {
        if (overlay.down || overlay.hoverFlag) return;
        overlay.element.SetPicture(overlay.hover);
        overlay.hoverFlag = true;
    } else if (IsPress(type)) {
        overlay.element.SetPicture(overlay.pressed);
        overlay.down = true;
        overlay.leftPressed = mouse.button() == Qt::LeftButton;
    } else if (type == QEvent::MouseButtonRelease && overlay.down) {
        // The release comes to the overlay that took the press, wherever the mouse is now.
        overlay.element.SetPicture(QImage());
        overlay.hoverFlag = false;
        overlay.down = false;
        const bool click = overlay.leftPressed && mouse.button() == Qt::LeftButton &&
                           overlay.element.rect().contains(mouse.position().toPoint());
        if (!click) return;
        if (&overlay == &min_) {
            WindowX = LeftTwips();
            WindowY = TopTwips();
            plat::Minimise(*this);
        } else {
            if (BeforeInput) BeforeInput(OwnInput::CloseBox);
            ConfirmClose();
        }
    }
}

void FrmMain::ClearHover() {
    for (Overlay* overlay : {&close_, &min_}) {
        if (!overlay->hoverFlag) continue;
        overlay->element.SetPicture(QImage());
        overlay->hoverFlag = false;
    }
}
