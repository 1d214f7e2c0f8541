#pragma once
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <string>

#include "platform/colour.h"

namespace plat {

enum class Align { Left, Centre, Right };

QFont ToQFont(const Font& font);
// Registers the game's own serif faces (in the data folder's help/) and makes them the font of
// every text not given one (message boxes). A missing or broken file is reported on standard error
// and the desktop's fonts stand in.
void LoadFonts();
QColor ToQColor(Colour colour);

// A text label with a transparent background.
class Label : public QLabel {
  public:
    Label(QWidget* parent, int x, int y, int width, int height, const Font& font, Colour fore,
          Align align, const std::string& caption = {});

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    void SetForeColor(Colour colour);
    Colour ForeColor() const { return fore_; }
    // The label keeps its top-left corner and takes the size of its text.
    void SetAutoSize(bool autoSize);
    // Repaints at once.
    void Refresh();

  private:
    Colour fore_;
    bool autoSize_ = false;
};

// An image element: shows its picture at its top-left corner, transparent where the picture
// is, and nothing at all while it has none.
class Image : public QWidget {
  public:
    Image(QWidget* parent, int x, int y, int width, int height);
    const QImage& Picture() const { return picture_; }
    // A null image clears the picture.
    void SetPicture(const QImage& picture);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
};

// One radio button of a group of siblings: selecting one deselects the others.
class OptionButton : public QRadioButton {
  public:
    OptionButton(QWidget* parent, int x, int y, int width, int height, const Font& font,
                 Colour fore, Colour back, const std::string& caption);
    bool Value() const { return isChecked(); }
    void SetValue(bool value) { setChecked(value); }
};

}  // namespace plat
