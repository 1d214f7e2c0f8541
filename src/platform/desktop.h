#pragma once
#include <functional>
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
