#pragma once
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QWidget>

// Where a view of the given size (logical pixels, ratio device pixels each) shows a body of
// the given size (logical pixels): centred, as plat::FitToScreen fits their device pixels.
QRectF ShownPlace(QSize body, QSize view, qreal ratio);
// A point of the view, in the body's own pixels.
QPointF BodyPoint(QPointF viewPoint, QSize body, const QRectF& shown);

// Covers its window, which fills a screen, with the window's body (its own painting and its
// other children, in the body's size from the top left) enlarged to fit, centred on black.
// The pointer is passed on mapped into the body's pixels, so the window's children take it
// as if the window were shown at its own size. Hidden, it changes nothing.
class ScaledView : public QWidget {
  public:
    // Covers the window from the start, hidden.
    ScaledView(QWidget& window, QSize body);
    ~ScaledView() override;

    QRectF Shown() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Compose();
    void Relay(const QEvent& event);

    QWidget& window_;
    QSize body_;
    QImage frame_;
    bool smooth_ = false;
    bool relaying_ = false;
};
