#include <benchmark/benchmark.h>

#include <QMouseEvent>
#include <QWidget>

#include "platform/timer.h"
#include "widgets/xpbutton.h"

namespace {

// One 89 x 33 button with the window's caption and font, repainted in one look; hovered
// looks run the hot painter.
void PaintOneButton(benchmark::State& state) {
    plat::VirtualClock clock;
    plat::SetTimerDriver(&clock);
    {
        QWidget host;
        host.resize(200, 100);
        host.show();
        XPButton button(&host);
        button.setGeometry(10, 10, 89, 33);
        PropertyBag bag;
        bag.Set("Caption", "投币(I)");
        bag.Set("BackStyle", std::to_string(state.range(0)));
        bag.Set("cBack", "0x8000000F");
        bag.Set("Font", "宋体, 134, 700, 10.5, 0");
        button.ReadProperties(bag);
        button.show();
        for (auto _ : state) {
            button.Refresh();
            benchmark::DoNotOptimize(button.Canvas().constBits());
        }
    }
    plat::SetTimerDriver(nullptr);
}

BENCHMARK(PaintOneButton)->DenseRange(0, 7)->ArgName("style")->Unit(benchmark::kMicrosecond);

}  // namespace
