#include "platform/framestats.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <memory>

#include "platform/files.h"

namespace plat {

namespace {

long long Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Times the repaints of top-level windows. Widgets paint and flush their backing store while
// handling UpdateRequest, so the handler is run from here and the time taken when it returns.
class FrameWatcher : public QObject {
  public:
    explicit FrameWatcher(std::FILE* file) : file_(file) { qApp->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::UpdateRequest || !watched->isWidgetType() ||
            !static_cast<QWidget*>(watched)->isWindow()) {
            return false;
        }
        static_cast<QObject*>(watched)->event(event);
        std::fprintf(file_, "frame %lld\n", Now());
        // The benchmark stops the game with a signal: the record stays whole up to here.
        std::fflush(file_);
        return true;
    }

    std::FILE* File() const { return file_; }

  private:
    std::FILE* file_;
};

std::unique_ptr<FrameWatcher> watcher;

}  // namespace

std::string StartFrameStats(const std::string& path) {
    StopFrameStats();
    std::string error;
    std::FILE* file = OpenOutputFile(path, false, error);
    if (file) watcher = std::make_unique<FrameWatcher>(file);
    return error;
}

bool StopFrameStats() {
    if (!watcher) return true;
    std::FILE* file = watcher->File();
    watcher.reset();
    const bool written = !std::ferror(file);
    return std::fclose(file) == 0 && written;
}

void RecordTimer(const char* what, const std::string& name) {
    if (watcher) std::fprintf(watcher->File(), "%s %s %lld\n", what, name.c_str(), Now());
}

void RecordKey(const char* what, int vk) {
    if (watcher) std::fprintf(watcher->File(), "%s %d %lld\n", what, vk, Now());
}

}  // namespace plat
