// The shell's dispatch cost: one timer tick taken from the queue and handed
// to its handler, and one mouse press routed to the window's handler, on the
// headless platform.
#include <benchmark/benchmark.h>

#include "app/Application.h"
#include "app/Form.h"
#include "app/Timer.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

using namespace skr;

// A window of the game's size (the application takes it over).
TForm* MakeForm() {
    auto* form = new TForm(nullptr);
    form->SetClientWidth(385);
    form->SetClientHeight(289);
    return form;
}

void BM_DispatchTick(benchmark::State& state) {
    platform::HeadlessPlatform p;
    TApplication app(p);
    auto* timer = new TTimer(MakeForm());
    int ticks = 0;
    timer->SetInterval(1);
    timer->SetOnTimer(TNotifyEvent{[&](TObject*) { ++ticks; }, "Tick"});
    for (auto _ : state) {
        p.AdvanceTo(p.Now() + 1);
        app.HandleOne();
    }
    benchmark::DoNotOptimize(ticks);
}
BENCHMARK(BM_DispatchTick);

void BM_DispatchPress(benchmark::State& state) {
    platform::HeadlessPlatform p;
    TApplication app(p);
    TForm* form = MakeForm();
    int presses = 0;
    form->OnMouseDown = TMouseEvent{[&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; }, "Down"};
    uint64_t t = 0;
    for (auto _ : state) {
        state.PauseTiming();
        p.Press(++t, 10, 10, platform::Button::Right);
        p.AdvanceTo(t);
        state.ResumeTiming();
        app.HandleOne();
    }
    benchmark::DoNotOptimize(presses);
}
BENCHMARK(BM_DispatchPress);

}  // namespace

BENCHMARK_MAIN();
