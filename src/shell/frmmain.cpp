#include "shell/frmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <cassert>
#include <string>

#include "flow/controls.h"
#include "flow/gamestate.h"
#include "flow/roundflow.h"
#include "flow/tick.h"
#include "platform/desktop.h"
#include "platform/keyboard.h"
#include "platform/settings.h"
#include "shell/layoutdata.h"
#include "shell/links.h"
#include "shell/settings.h"

namespace {

FrmMain* instance = nullptr;

constexpr plat::Colour kGreen = plat::RGB(0, 128, 0);
constexpr plat::Colour kWhite = plat::RGB(255, 255, 255);
constexpr plat::Colour kYellow = plat::RGB(255, 255, 0);
constexpr plat::Colour kBlue = plat::RGB(0, 0, 192);
const plat::Colour kWindowText = plat::TranslateColor(plat::vbWindowText);

constexpr plat::Font kSong10{"宋体", 10.5};
constexpr plat::Font kSong12Bold{"宋体", 12, true};
constexpr plat::Font kSong14Bold{"宋体", 14.25, true};
constexpr plat::Font kSong15Bold{"宋体", 15.75, true};
constexpr plat::Font kTahoma{"Tahoma", 15.75, true};

constexpr int kTwipsPerPixel = 15;
constexpr int kWindowWidth = 10455;  // twips
constexpr int kWindowHeight = 8340;

constexpr const char* kSection = "SetLog";

// Whole pixels from twips, halves to even, as the window system places windows.
int ToPixels(std::int32_t twips) {
    return CInt(twips / static_cast<double>(kTwipsPerPixel));
}

std::int32_t ReadSetting(const char* key, std::int32_t fallback, std::int32_t min,
                         std::int32_t max) {
    const std::string text = plat::GetSetting(kAppTitle, kSection, key, std::to_string(fallback));
    return ParseSetting(text, min, max).value_or(fallback);
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
      lblreadme(this, 10, 232, 448, 356, kSong14Bold, kWindowText, plat::Align::Centre),
      Label3(this, 472, 40, 81, 23, kSong12Bold, kWhite, plat::Align::Right, "得分数："),
      lblScore(this, 560, 36, 129, 25, kTahoma, kBlue, plat::Align::Left, "0"),
      Label1(this, 472, 72, 81, 23, kSong12Bold, kWhite, plat::Align::Right, "最高分："),
      lblHiscore(this, 560, 68, 129, 25, kTahoma, plat::RGB(192, 0, 0), plat::Align::Left),
      lblCoins(this, 472, 192, 121, 25, kSong15Bold, kYellow, plat::Align::Centre, "0 个币"),
      lblTitle(this, 472, 240, 121, 25, kSong14Bold, kWhite, plat::Align::Centre, "默认模式"),
      lblSpeed(this, 472, 288, 121, 25, kSong14Bold, kWhite, plat::Align::Centre, "默认速度"),
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
      lblPlayer(&pctScreen, 217, 312, 15, 24, {"宋体", 18, true}, kYellow, plat::Align::Centre),
      tmrKeyBoard("tmrKeyBoard", 10),
      tmrFlash("tmrFlash", 500),
      tmrReady("tmrReady", 500) {
    assert(instance == nullptr);
    instance = this;
    setAttribute(Qt::WA_DeleteOnClose, false);

    for (plat::PictureBox* hidden : {&pctScreen, &pctpicture, &pctTiles, &pctBack, &pctStats}) {
        hidden->setVisible(false);
    }
    Option1_0.SetValue(true);
    lblPlayer.SetAutoSize(true);
    // The playfield covers the instructions while a game runs.
    pctScreen.raise();

    // The buttons come from the layout data; every command runs through their Click.
    const struct {
        XPButton* button;
        const char* name;
        void (*handler)();
    } buttons[] = {
        {&XPButton1, "XPButton1", XPButton1_Click}, {&XPButton2, "XPButton2", XPButton2_Click},
        {&XPButton3, "XPButton3", XPButton3_Click}, {&XPButton4, "XPButton4", XPButton4_Click},
        {&XPButton5, "XPButton5", XPButton5_Click}, {&XPButton6, "XPButton6", XPButton6_Click},
        {&XPButton7, "XPButton7", XPButton7_Click}, {&XPButton8, "XPButton8", XPButton8_Click}};
    for (const auto& [button, name, handler] : buttons) {
        LoadButton(*button, name);
        connect(button, &XPButton::Click, this, handler);
    }
    tmrKeyBoard.OnTimer = tmrKeyBoard_Timer;
    tmrFlash.OnTimer = tmrFlash_Timer;
    tmrReady.OnTimer = tmrReady_Timer;

    qApp->installEventFilter(this);
}

FrmMain::~FrmMain() {
    qApp->removeEventFilter(this);
    instance = nullptr;
}

void FrmMain::Load() {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, plat::ToQColor(kGreen));
    setPalette(palette);
    setAutoFillBackground(true);
    XPButton8.setEnabled(false);
    setFixedSize(ToPixels(kWindowWidth), ToPixels(kWindowHeight));
    lblreadme.SetCaption(InstructionsText());

    WindowX = (plat::ScreenWidthTwips() - kWindowWidth) / 2;
    WindowY = (plat::ScreenHeightTwips() - kWindowHeight) / 2;
    WindowX = ReadSetting("frmMainX", WindowX, INT32_MIN, INT32_MAX);
    WindowY = ReadSetting("frmMainY", WindowY, INT32_MIN, INT32_MAX);
    Coins = static_cast<std::int16_t>(ReadSetting("GameCoins", 9, 0, 99));
    ShowCoins();
    HiScore = ReadSetting("GameHiScore", 1000, 0, INT32_MAX);
    lblHiscore.SetCaption(std::to_string(HiScore));
    setWindowTitle(QString::fromUtf8(kAppTitle) + " 1.0.3");

    // Kept on screen: a stored place off the left or top edge, or past the right or bottom.
    if (WindowX < 0) WindowX = 0;
    if (WindowY < 0) WindowY = 0;
    const std::int32_t maxX = plat::ScreenWidthTwips() - kWindowWidth;
    const std::int32_t maxY = plat::ScreenHeightTwips() - kWindowHeight;
    if (maxX < WindowX) WindowX = maxX;
    if (maxY < WindowY) WindowY = maxY;
    move(ToPixels(WindowX), ToPixels(WindowY));
    show();

    InitGameState();
    tmrFlash.SetEnabled(true);
}

void FrmMain::SaveSettings() {
    plat::SaveSetting(kAppTitle, kSection, "frmMainX", std::to_string(x() * kTwipsPerPixel));
    plat::SaveSetting(kAppTitle, kSection, "frmMainY", std::to_string(y() * kTwipsPerPixel));
    plat::SaveSetting(kAppTitle, kSection, "GameCoins", std::to_string(Coins));
    plat::SaveSetting(kAppTitle, kSection, "GameHiScore", std::to_string(HiScore));
}

void FrmMain::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    tmrKeyBoard.SetEnabled(false);
    tmrFlash.SetEnabled(false);
    tmrReady.SetEnabled(false);
    SaveSettings();
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

void FrmMain::closeEvent(QCloseEvent* event) {
    // A close request from the window system unloads without asking.
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
    // A key event passes up from the focused control to its parents: take it once.
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || watched != KeyReceiver()) {
        return false;
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const int vk = plat::VirtualKeyOf(key);
    // Arrows steer; they must not move the focus between the buttons.
    const bool arrow = vk >= plat::vbKeyLeft && vk <= plat::vbKeyDown;
    if (vk == 0 || key.isAutoRepeat()) return arrow;
    if (type == QEvent::KeyRelease) {
        plat::KeyReleased(vk);
    } else if (arrow) {
        plat::KeyPressed(vk);
    } else {
        Form_KeyDown(vk);
    }
    return arrow;
}
