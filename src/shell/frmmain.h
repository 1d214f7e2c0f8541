#pragma once
#include <QWidget>
#include <cstdint>
#include <functional>

#include "platform/controls.h"
#include "platform/picturebox.h"
#include "platform/timer.h"
#include "widgets/xpbutton.h"

// The main window and its elements. The game's modules and handlers reach the elements
// through frmMain(), as they would a form's controls.
class FrmMain : public QWidget {
  public:
    FrmMain();
    ~FrmMain() override;

    // The start-up sequence: settings, labels, showing the window, the game's start values.
    void Load();
    // Stores the settings and closes the window; runs once, whatever the route.
    void Unload();
    // Asks before ending the program.
    void ConfirmClose();
    // Writes the four stored settings: the window's place, the coins and the high score.
    void SaveSettings();

    // Playfield and off-screen surfaces.
    plat::PictureBox pctScreen;
    plat::PictureBox pctpicture;
    plat::PictureBox pctTiles;
    plat::PictureBox pctBack;
    plat::PictureBox pctStats;

    plat::Label lblreadme;
    plat::Label Label3;
    plat::Label lblScore;
    plat::Label Label1;
    plat::Label lblHiscore;
    plat::Label lblCoins;
    plat::Label lblTitle;
    plat::Label lblSpeed;

    XPButton XPButton1;
    XPButton XPButton2;
    XPButton XPButton3;
    XPButton XPButton4;
    XPButton XPButton5;
    XPButton XPButton6;
    XPButton XPButton7;
    XPButton XPButton8;
    plat::OptionButton Option1_0;
    plat::OptionButton Option1_1;
    plat::OptionButton& Option1(int index) { return index == 0 ? Option1_0 : Option1_1; }

    // Lie on the playfield, so they are created after it.
    plat::Label lblReady;
    plat::Label lblPlayer;

    plat::Timer tmrKeyBoard;
    plat::Timer tmrFlash;
    plat::Timer tmrReady;

    // Round flow: phase of the idle flashing, steps of the current ready phase.
    std::int16_t FlashOn = 0;
    std::int32_t ReadyCount = 0;

    // Remembered window position in twips.
    std::int32_t WindowX = 0;
    std::int32_t WindowY = 0;

    // The widget that receives the window's key presses: the focused control, or the window.
    QWidget* KeyReceiver();

    // Runs after the window has unloaded (the simulator writes its end line there).
    std::function<void()> Unloaded;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool unloaded_ = false;
};

// The one main window; valid while it exists.
FrmMain& frmMain();
