#pragma once
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/controls.h"
#include "platform/picturebox.h"
#include "platform/timer.h"
#include "widgets/scaledview.h"
#include "widgets/xpbutton.h"

class QKeyEvent;
class QPainter;
class QMouseEvent;

// The main window: a borderless, skinned frame with its elements. It knows nothing of the
// game; it raises its events (key presses, unloading) and the program's start routine
// connects them, the buttons' clicks and the timers to the game's handlers.
class FrmMain : public QWidget {
  public:
    FrmMain();
    ~FrmMain() override;

    // The window's fixed size.
    static constexpr int kWidthTwips = 10455;
    static constexpr int kHeightTwips = 8340;
    static QSize SizePixels();

    // The window's start-up: pictures, size, remembered place, title and links; then shows
    // the window with its first layout pass.
    void Load();
    // Paints the frame from the skin, shapes and places the window. Each step is tried on
    // its own; one that cannot run (a missing picture, a minimised window) is skipped.
    void LayoutWindow();
    // Gives the window its rounded outline; full screen, it has none.
    void RMe();
    // The whole screen, black, with the window at its middle, enlarged as far as it fits
    // evenly. Going back puts the window where it was.
    void SetFullScreen(bool fullScreen);
    bool FullScreen() const { return fullScreen_; }
    // Raises OnUnload and closes the window; runs once, whatever the route.
    void Unload();
    // Asks before ending the program.
    void ConfirmClose();

    // The window's current place, in twips; full screen, where it goes back to.
    std::int32_t LeftTwips() const;
    std::int32_t TopTwips() const;
    // The help document opened by F1.
    const std::string& HelpFile() const { return helpFile_; }
    // A short note after the title in the title band (that the sound is off); empty for none.
    void SetTitleMark(const std::string& mark);
    // Shown in place of the version, when not empty (a replay's speed and time).
    void SetTitleStatus(const std::string& status);
    const std::string& TitleMark() const { return titleMark_; }

    // Playfield and off-screen surfaces.
    plat::PictureBox pctScreen;
    plat::PictureBox pctpicture;
    plat::PictureBox pctTiles;
    plat::PictureBox pctBack;
    plat::PictureBox pctStats;

    // Windowless elements: they lie under every child window.
    plat::Image IMBar;
    plat::Image Image1;
    plat::Label lblreadme;
    plat::Label Label3;
    plat::Label lblScore;
    plat::Label Label1;
    plat::Label lblHiscore;
    plat::Label lblCoins;
    plat::Label lblTitle;
    plat::Label lblSpeed;
    plat::Label LbBR;
    plat::Image Immin;
    plat::Image Imclose;

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
    plat::Label lblPaused;  // over the ready text, while a game is paused
    plat::Label lblPlayer;

    plat::Timer tmrKeyBoard;
    plat::Timer tmrFlash;
    plat::Timer tmrReady;

    // Picture stores: the skin, the title-band icon and the frame buttons' hover and
    // pressed art. A picture that could not be read is null.
    QImage Pmain;
    QImage Imico;
    QImage ImMin1;
    QImage ImMin2;
    QImage ImClose1;
    QImage ImClose2;

    // Round flow: phase of the idle flashing, steps of the current ready phase.
    std::int16_t FlashOn = 0;
    std::int32_t ReadyCount = 0;

    // Remembered window position in twips.
    std::int32_t WindowX = 0;
    std::int32_t WindowY = 0;

    // The widget that receives the window's key presses: the focused control, or the window.
    QWidget* KeyReceiver();

    // Events. Every key press but the arrows and F1, auto-repeats included (but those of P, M
    // and F11), with its virtual-key code.
    std::function<void(int keyCode)> OnKeyDown;
    // The window is unloading: the settings are to be stored.
    std::function<void()> OnUnload;
    // Runs after the window has unloaded (the simulator writes its end line there).
    std::function<void()> Unloaded;
    // A person's input the window is about to act on by itself.
    enum class OwnInput { Help, Link, CloseBox, Closed /* by the window system */ };
    std::function<void(OwnInput input)> BeforeInput;
    bool Unloading() const { return unloaded_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Minimise and close: the skin shows the plain button; the overlay puts up the hover and
    // pressed art. The hover flag records that the hover art is up.
    struct Overlay {
        plat::Image& element;
        const QImage& hover;
        const QImage& pressed;
        bool hoverFlag = false;
        bool down = false;
        bool leftPressed = false;
    };

    // Shows the window at its size or full screen, as chosen.
    void Present();
    bool TakeKey(const QKeyEvent& key);
    bool TakeMouse(QObject* watched, const QMouseEvent& mouse);
    bool StartsDrag(QObject* watched, const QMouseEvent& mouse) const;
    void OverlayMouse(Overlay& overlay, const QMouseEvent& mouse);
    void ClearHover();
    void PaintFrame(QPainter& painter);

    std::string helpFile_;
    std::string titleMark_;
    std::string titleStatus_;
    QRegion outline_;
    // The window moved by the mouse where the window system cannot move it itself.
    bool dragging_ = false;
    QPoint dragOffset_;
    bool linkPressed_ = false;
    bool unloaded_ = false;
    bool fullScreen_ = false;
    Overlay min_;
    Overlay close_;
    // Over every other element.
    ScaledView view_;
};

// The one main window; valid while it exists.
FrmMain& frmMain();
