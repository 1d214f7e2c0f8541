// bare-window [--frame-stats FILE]: the yardstick for the game's pacing, start-up time and
// memory. It only opens a window and repaints a 448 x 496 image at 100 Hz, recording in the
// game's frame-stats format (its timer is named "bare").
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace {

std::FILE* stats = nullptr;

long long Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class Picture : public QWidget {
  public:
    Picture() : image_(448, 496, QImage::Format_RGB32) {
        image_.fill(Qt::darkBlue);
        setFixedSize(image_.size());
        setAttribute(Qt::WA_OpaquePaintEvent);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, &Picture::Tick);
        timer_.start(10);
        if (stats) std::fprintf(stats, "start bare %lld\n", Now());
    }

  protected:
    bool event(QEvent* e) override {
        const bool handled = QWidget::event(e);
        if (e->type() == QEvent::UpdateRequest && stats) {
            std::fprintf(stats, "frame %lld\n", Now());
            std::fflush(stats);
        }
        return handled;
    }
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, image_); }

  private:
    // A block walks across the picture, so every frame differs as the game's do.
    void Tick() {
        if (stats) std::fprintf(stats, "tick bare %lld\n", Now());
        image_.fill(Qt::darkBlue);
        QPainter(&image_).fillRect((step_++ * 2) % 432, 240, 16, 16, Qt::yellow);
        update();
    }

    QImage image_;
    QTimer timer_;
    int step_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (const qsizetype at = args.indexOf("--frame-stats"); at > 0) {
        stats = std::fopen(args.value(at + 1).toLocal8Bit().constData(), "w");
        if (!stats) {
            std::fprintf(stderr, "bare-window: --frame-stats needs a file it can write\n");
            return 2;
        }
    }
    int status = 0;
    {
        Picture picture;
        picture.setWindowTitle("bare-window");
        picture.show();
        status = app.exec();
    }
    if (stats) std::fclose(stats);
    return status;
}
