#pragma once
#include <QFont>
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "platform/colour.h"
#include "platform/picturebox.h"
#include "platform/timer.h"
#include "platform/windowsys.h"
#include "widgets/propertybag.h"

class QMimeData;
class QPainter;

// The owner-drawn push button: eight looks, seven shapes, command, check box or option mode.
// Every repaint is composed in its own canvas and shown in one copy; its shape is its mask.
class XPButton : public QWidget {
    Q_OBJECT

  public:
    enum Style { Classic, Framed, Themed, Flat, Thin, Toolbar, Soft, Rounded };
    enum Mode { CommandMode, CheckMode, OptionMode };
    // Bits of StateFlags().
    enum StateFlag : std::uint16_t { kDefault = 1, kHeld = 2, kHover = 4 };
    static constexpr int kHoverTimerId = 237;
    static constexpr int kHoverInterval = 50;

    explicit XPButton(QWidget* container);
    ~XPButton() override;

    // A newly placed control: the caption is the host's name for it.
    void InitProperties(const std::string& displayName);
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    int ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(int style);
    int GetMode() const { return mode_; }
    void SetMode(int mode);
    bool Value() const { return value_; }
    void SetValue(bool value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    int CaptionAlign() const { return captionAlign_; }
    void SetCaptionAlign(int align);
    int CaptionStyle() const { return captionStyle_; }
    void SetCaptionStyle(int style);
    int ButtonShape() const { return shape_; }
    void SetButtonShape(int shape);
    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);
    int PictureAlign() const { return pictureAlign_; }
    void SetPictureAlign(int align);
    int PictureSize() const { return pictureSize_ / 8 - 2; }
    void SetPictureSize(int size);
    // Enabled is the window's own state: setEnabled, with its effects run on the change.
    void SetEnabled(bool enabled) { setEnabled(enabled); }
    bool ShowFocusRect() const { return showFocusRect_; }
    void SetShowFocusRect(bool show);
    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int pointer);
    const QImage& MouseIcon() const { return mouseIcon_; }
    void SetMouseIcon(const QImage& icon);
    const StoredFont& Font() const { return font_; }
    void SetFont(const StoredFont& font);
    int FontStyle() const;
    void SetFontStyle(int style);
    plat::Colour ForeColor() const { return foreColour_; }
    void SetForeColor(plat::Colour colour);
    plat::Colour BackColor() const { return backColour_; }
    void SetBackColor(plat::Colour colour);
    plat::Colour GradientColor() const { return gradientColour_; }
    void SetGradientColor(plat::Colour colour);
    int GradientMode() const { return gradientMode_; }
    void SetGradientMode(int mode);
    void ResetDefaultColors(bool reset);
    int HoverColorLocks() const { return hoverLocks_; }
    void SetHoverColorLocks(int locks);
    plat::Colour HoverForeColor() const { return hoverFore_; }
    void SetHoverForeColor(plat::Colour colour);
    plat::Colour HoverBackColor() const { return hoverBack_; }
    void SetHoverBackColor(plat::Colour colour);
    plat::Handle hwnd() { return plat::HandleOf(this); }
    void Refresh() { Redraw(); }
    void DelayDrawing(bool delay);
    // The host's display-as-default ambient changed.
    void AmbientDisplayAsDefault(bool displayAsDefault);

    // What the drawing and input read; tests look at them too.
    std::uint16_t StateFlags() const { return state_; }
    bool HoverTimerRunning() const { return hoverTimer_.Enabled(); }
    const QImage& Canvas() const { return canvas_; }
    const QRect& CaptionRect() const { return captionRect_; }
    const QRect& PictureRect() const { return pictureRect_; }
    QString AccessKey() const { return accessKey_; }
    // The window's shape for a size, shape and look: what BuildRegion gives the window.
    static QRegion ShapeRegion(int width, int height, int shape, int style, bool enabled);
    static plat::Colour ShadeColor(plat::Colour colour, int amount, bool blueScaled = false);

    // Runs the hover check the timer runs (modLvTimer calls it).
    void CheckHover(int timerId);
    // Actions of OptionToggle.
    enum OptionAction { kLeave = -1, kTurnOthersOff = 0, kJoin = 1, kAnyOn = 2 };
    bool OptionToggle(int action);

  signals:
    void MouseDown(short& Button, short& Shift, float& X, float& Y);
    void MouseUp(short& Button, short& Shift, float& X, float& Y);
    void MouseMove(short& Button, short& Shift, float& X, float& Y);
    void KeyDown(short& KeyCode, short& Shift);
    void KeyPress(short& KeyAscii);
    void KeyUp(short& KeyCode, short& Shift);
    void MouseOnButton(bool& OnButton);
    void Click();
    void DoubleClick(short& Button);
    // Drag-source events: the button never starts a drag, so these are never raised.
    void OLECompleteDrag(int& Effect);
    void OLEDragDrop(const QMimeData* Data, int& Effect, short& Button, short& Shift, float& X,
                     float& Y);
    void OLEDragOver(const QMimeData* Data, int& Effect, short& Button, short& Shift, float& X,
                     float& Y, short& State);
    void OLEGiveFeedback(int& Effect, bool& DefaultCursors);
    void OLESetData(const QMimeData* Data, short& DataFormat);
    void OLEStartDrag(const QMimeData* Data, int& AllowedEffects);
    // A stored property changed and must be saved.
    void PropertyChanged(const std::string& key);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    struct Extent {
        int r, p, R;  // content left, content width, right limit
    };

    bool DesignMode() const { return !plat::AmbientUserMode(); }
    void Changed(const char* key) { emit PropertyChanged(key); }
    QWidget* Container() const;
    std::int32_t Resolve(plat::Colour colour) const;
    plat::Colour ContainerColour() const;

    // Drawing engine.
    void Redraw();
    void Resize();
    // At a whole factor of its own: the one it is painted at.
    void Resize(int scale);
    void BuildRegion();
    Extent LayoutContent(bool full);
    void SyncFont();
    void SyncPicture();
    void SyncColours();
    int PaintBackground(std::int32_t face, std::int32_t gradient, std::int32_t hoverFace);
    void GradientFill(std::int32_t first, std::int32_t last, int mode);
    void DrawBevelRings(const std::array<std::int32_t, 12>& table, int outerPenStyle = -1);
    void DrawFocusMark(std::int32_t colour, bool solid, bool aroundCaption);
    void DrawCaption(std::int32_t face, std::int32_t alternate, bool shifted, bool keepPlain);
    void DrawPicture(QRect rect, int p, int r);
    void TransparentBlit(QRect target, const QImage& bitmap);
    void BlitToCanvas(QPoint at, const QImage& source, plat::RasterOp op, plat::Colour brush = 0);
    int CanvasScale() const;
    void FillBox(int left, int top, int right, int bottom, std::int32_t colour);
    void Line(QPoint from, QPoint to, std::int32_t colour, bool dotted = false);
    void Outline(QRect rect, std::int32_t colour);
    void DottedFocusRect(QRect rect);
    void Ellipse(QRect rect, std::int32_t colour, int width = 1, bool dotted = false);
    void Pixel(int x, int y, std::int32_t colour);
    void SetClipped(bool clipped);
    void PaintClassic();
    void PaintFramed();
    void PaintThemed();
    void PaintFlat();
    void PaintThin();
    void PaintToolbar();
    void PaintSoft();
    void PaintRounded();

    // Input.
    void MousePress(short button, short shift, float x, float y);
    void RunClick();
    void AccessKeyPressed(int keyAscii);
    void FindAccessKey();
    void RaiseKeyUp(short keyCode, short shift);

    bool HeldHovered() const { return (state_ & kHeld) && (state_ & kHover); }
    bool Slanted() const { return shape_ >= 1 && shape_ <= 3; }
    bool Oval() const { return shape_ >= 4; }
    bool Checked() const { return value_ || (pressedLook_ && mode_ != CommandMode); }
    std::int32_t CommonFill() const;
    std::int32_t MarkColour(std::int32_t fill) const;

    std::string tag_;  // the container's handle, as decimal text
    std::string caption_;
    int captionAlign_ = 2;
    int captionStyle_ = 0;
    int buttonStyle_ = 0;
    std::uint16_t state_ = 0;
    int shape_ = 0;
    int left_ = 0;
    int faceWidth_ = 0;
    QRect captionRect_;
    bool showFocusRect_ = true;
    plat::Colour hoverBack_ = plat::vbButtonFace;
    plat::Colour hoverFore_ = plat::vbButtonText;
    int hoverLocks_ = 0;
    int gradientMode_ = 0;
    plat::Colour gradientColour_ = plat::vbButtonFace;
    int mode_ = CommandMode;
    bool value_ = false;
    QImage picture_;
    int pictureAlign_ = 0;
    int pictureSize_ = 16;
    QRect pictureRect_;
    int pictureKind_ = 0;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    bool delayed_ = false;
    plat::Colour backColour_ = plat::vbButtonFace;
    std::int32_t face_ = 0, edge_ = 0, hoverFace_ = 0, highlight_ = 0;
    short lastButton_ = 0;
    std::int32_t containerColour_ = 0;
    bool pressedLook_ = false;
    plat::Colour foreColour_ = plat::vbButtonText;
    StoredFont font_;
    int mousePointer_ = 0;
    QImage mouseIcon_;
    QString accessKey_;
    int shortcutId_ = 0;
    bool endsDoubleClick_ = false;

    // At the screen's whole factor: the caption is drawn at device resolution, the rest is
    // composed in the control's pixels and scaled up without smoothing.
    QImage canvas_;
    QFont canvasFont_;
    QRegion clip_;
    QPainter* painter_ = nullptr;  // while composing
    std::int32_t penColour_ = 0;   // the canvas's current pen, as FillBox and the rings leave it
    bool penDotted_ = false;
    plat::Timer hoverTimer_;
};
