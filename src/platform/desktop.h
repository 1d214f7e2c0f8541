#pragma once
#include <QByteArray>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace plat {

// Message box styles and answers, with the values the game's code passes.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// A modal message box. While one is open no timer event is handled.
int MsgBox(const std::string& prompt, int style, const std::string& title);
bool ModalOpen();

// Asks the desktop to open a web page or document in its default program.
void ShellExecute(const std::string& target);

// Hands a left-button drag of the window to the window system's own move loop. False
// where the platform cannot (the caller then moves the window itself).
bool StartSystemMove(QWidget& window);

// What MsgBox and ShellExecute do without a replacement, for replacements that watch them.
int ShowMessageBox(const std::string& prompt, int style, const std::string& title);
void OpenInDesktop(const std::string& target);

// Where the window system, not the program, places top-level windows (Wayland).
bool WindowSystemPlacesWindows();

// The largest whole factor, not above the screen's device pixel ratio, at which a window of
// the given size (pixels) fits the available area (device pixels); never below 1. Fractional
// ratios take the whole factor below, so every pixel of art stays the same size.
int FittingScale(double ratio, QSize window, QSize available);

// The whole factor the primary screen is to draw a window of that size at, when the running
// application object was made with another one. None where a compositor scales the windows.
struct ScreenScale {
    QString screen;
    int factor;
};
std::optional<ScreenScale> RefitScale(QSize window);

// How a window of the given size (device pixels) is shown on a whole screen (device pixels):
// drawn at a whole factor, then shown at size. The largest whole factor that fits is shown as
// it is; where that is 1 on a screen at least half as large again, the window is drawn at 2
// and smoothed down to the largest size that fits, so its pixels stay even.
struct ScreenFit {
    int factor;
    QSize size;
    bool smooth;
};
ScreenFit FitToScreen(QSize window, QSize screen);

// While it lives, application objects made anew draw at the factor on that screen. The
// environment is restored afterwards, so that programs started from the game (the browser)
// see the desktop's own settings.
class ForcedScale {
  public:
    explicit ForcedScale(const ScreenScale& scale);
    ~ForcedScale();
    ForcedScale(const ForcedScale&) = delete;
    ForcedScale& operator=(const ForcedScale&) = delete;

  private:
    std::optional<QByteArray> screenFactors_;
    std::optional<QByteArray> scaleFactor_;
};

// Replacements for tests and the simulator; empty functions restore the real ones.
void SetSystemMoveHandler(std::function<bool(QWidget& window)> handler);
void SetMsgBoxHandler(
    std::function<int(const std::string& prompt, int style, const std::string& title)> handler);
void SetShellHandler(std::function<void(const std::string& target)> handler);

// The primary screen's size in twips (15 per pixel); the simulator fixes its own.
int ScreenWidthTwips();
int ScreenHeightTwips();
void SetScreenSizePixels(int width, int height);

}  // namespace plat
