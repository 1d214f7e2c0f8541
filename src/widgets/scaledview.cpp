#include "widgets/scaledview.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <memory>

#include "platform/desktop.h"

QRectF ShownPlace(QSize body, QSize view, qreal ratio) {
    const QSize device = view * ratio;
    const QSize shown = plat::FitToScreen(body * ratio, device).size;
    const QPointF corner((device.width() - shown.width()) / 2,
                         (device.height() - shown.height()) / 2);
    return {corner / ratio, QSizeF(shown) / ratio};
}

QPointF BodyPoint(QPointF viewPoint, QSize body, const QRectF& shown) {
    const QPointF inside = viewPoint - shown.topLeft();
    return {inside.x() * body.width() / shown.width(), inside.y() * body.height() / shown.height()};
}

ScaledView::ScaledView(QWidget& window, QSize body)
    : QWidget(&window), window_(window), body_(body) {
    setGeometry(window.rect());
    // Paints every pixel it covers; the children under it need not paint on the screen.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    // The window's own events and its platform window's, which carries the pointer.
    qApp->installEventFilter(this);
}

ScaledView::~ScaledView() {
    qApp->removeEventFilter(this);
}

QRectF ScaledView::Shown() const {
    return ShownPlace(body_, size(), devicePixelRatio());
}

void ScaledView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth_);
    painter.drawImage(Shown(), frame_);
}

void ScaledView::hideEvent(QHideEvent*) {
    frame_ = QImage();
}

bool ScaledView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == &window_ && type == QEvent::Resize) setGeometry(window_.rect());
    if (isHidden()) return false;
    if (watched == &window_) {
        // Something in the window is to be painted again.
        if (type == QEvent::UpdateRequest) {
            Compose();
            update(Shown().toAlignedRect());
        }
        return false;
    }
    if (watched != window_.windowHandle() || relaying_) return false;
    switch (type) {
        case QEvent::Enter:
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            Relay(*event);
            return true;
        default:
            return false;
    }
}

// Drawn at the whole factor with the text at that resolution, the pixel art without smoothing;
// a fit between factors is smoothed down from the factor above as it is shown.
void ScaledView::Compose() {
    const qreal ratio = devicePixelRatio();
    const plat::ScreenFit fit = plat::FitToScreen(body_ * ratio, size() * ratio);
    const QSize pixels = body_ * ratio * fit.factor;
    // Kept from frame to frame: a new picture each time costs more than drawing it.
    if (frame_.size() != pixels) frame_ = QImage(pixels, QImage::Format_RGB32);
    frame_.setDevicePixelRatio(ratio * fit.factor);
    // Where the window is see-through (its rounded corners) the black shows.
    frame_.fill(Qt::black);
    smooth_ = fit.smooth;
    QPainter painter(&frame_);
    window_.render(&painter, {}, QRegion(QRect(QPoint(), body_)), {});
    for (QObject* child : window_.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr || widget == this || widget->isHidden() || widget->isWindow())
            continue;
        widget->render(&painter, widget->pos(), QRegion(), QWidget::DrawChildren);
    }
}

void ScaledView::Relay(const QEvent& event) {
    const auto& pointer = static_cast<const QSinglePointEvent&>(event);
    const QPointF at = BodyPoint(pointer.position(), body_, Shown());
    const QPointF global = window_.mapToGlobal(at);
    std::unique_ptr<QSinglePointEvent> relayed;
    if (event.type() == QEvent::Enter) {
        relayed = std::make_unique<QEnterEvent>(at, at, global, pointer.pointingDevice());
    } else {
        relayed = std::make_unique<QMouseEvent>(event.type(), at, at, global, pointer.button(),
                                                pointer.buttons(), pointer.modifiers(),
                                                pointer.pointingDevice());
    }
    relayed->setTimestamp(pointer.timestamp());
    relaying_ = true;
    QCoreApplication::sendEvent(window_.windowHandle(), relayed.get());
    relaying_ = false;
}
