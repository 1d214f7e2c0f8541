#pragma once
#include <QImage>
#include <QWidget>
#include <string>

#include "platform/colour.h"

namespace plat {

// D is the destination, S the source and P the brush, combined bit by bit.
enum class RasterOp {
    SrcCopy,   // S
    SrcAnd,    // D & S
    SrcPaint,  // D | S
    DSna,      // D & ~S (0x00220326)
    PSDPxax,   // P ^ (S & (D ^ P)) (0x00B8074A): white source keeps D, black paints P
};
inline constexpr RasterOp SRCCOPY = RasterOp::SrcCopy;
inline constexpr RasterOp SRCAND = RasterOp::SrcAnd;
inline constexpr RasterOp SRCPAINT = RasterOp::SrcPaint;

// A picture box with a persistent image. Its own drawing methods (Cls, Print) show at once;
// block transfers into the image wait for Refresh.
class PictureBox : public QWidget {
  public:
    PictureBox(QWidget* parent, int x, int y, int width, int height, Colour back);

    QImage& Image();
    const QImage& Image() const;

    // Clears the image to the back colour.
    void Cls();
    // Shows the persistent image at the next paint.
    void Refresh();
    // Makes the bitmap file the picture when it is a complete bitmap of width x height (file
    // names match case-insensitively). False, with the reason on standard error, when it is
    // not; the picture is then unchanged.
    bool LoadPicture(const std::string& path, int width, int height);
    // The colour of one pixel of the picture.
    Colour Point(int x, int y) const;
    // Makes another box's picture this box's picture.
    void SetPicture(const PictureBox& other);
    // Prints text with its top-left corner at (x, y) pixels, transparent background.
    void Print(const std::string& text, int x, int y, Colour colour, const Font& font);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // Made cleared at first use: most boxes are not drawn on before a game starts.
    mutable QImage image_;
    QSize size_;
    Colour back_;
};

// Block transfer of w x h pixels from (sx, sy) of src to (x, y) of dst, clipped to both images.
void BitBlt(PictureBox& dst, int x, int y, int w, int h, const PictureBox& src, int sx, int sy,
            RasterOp op);
// brush is the P of the operations that use one.
void BitBlt(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy, RasterOp op,
            Colour brush = 0);

}  // namespace plat
