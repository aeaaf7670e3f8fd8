// The idle loop on the real SDL backend: runs a window with a 90 ms timer
// for a few seconds and reports the CPU time used and how far each tick was
// from its period. Needs a display (run under Xvfb); prints nothing useful
// without one.
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/Application.h"
#include "app/Form.h"
#include "app/Timer.h"
#include "platform/sdl/SdlPlatform.h"

int main(int argc, char** argv) {
    using namespace skr;
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    platform::SdlPlatform p;
    TApplication app(p);
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(bsSingle);
    form->SetClientWidth(385);
    form->SetClientHeight(289);
    form->SetColor(clBlack);
    auto* timer = new TTimer(form);
    std::vector<uint32_t> ticks;
    rusage before{}, after{};
    uint32_t start = 0;
    timer->SetInterval(90);
    timer->SetOnTimer(TNotifyEvent{[&](TObject*) {
                                       // Measure from the first tick: start-up is not idle time.
                                       if (ticks.empty()) {
                                           getrusage(RUSAGE_SELF, &before);
                                           start = p.TickCount();
                                       }
                                       ticks.push_back(p.TickCount());
                                       if (ticks.size() * 90 >= static_cast<size_t>(seconds) * 1000) app.PostQuit();
                                   },
                                   "Tick"});
    app.Run();
    getrusage(RUSAGE_SELF, &after);
    const double wall = (p.TickCount() - start) / 1000.0;
    auto secs = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    const double cpu = secs(after.ru_utime) - secs(before.ru_utime) + secs(after.ru_stime) - secs(before.ru_stime);
    double worst = 0, sum = 0;
    // The first period is left out: the first tick comes late when showing
    // the window takes a while, and the next keeps the timer's phase.
    for (size_t i = 2; i < ticks.size(); ++i) {
        const double err = std::fabs(double(ticks[i] - ticks[i - 1]) - 90.0);
        worst = std::max(worst, err);
        sum += err;
    }
    std::printf("ticks: %zu over %.2f s; CPU %.3f s (%.2f%%); period error mean %.2f ms, worst %.0f ms\n", ticks.size(),
                wall, cpu, 100.0 * cpu / wall, ticks.size() > 2 ? sum / double(ticks.size() - 2) : 0.0, worst);
    if (argc > 2) {
        for (size_t i = 1; i < ticks.size(); ++i) std::printf("%u ", ticks[i] - ticks[i - 1]);
        std::printf("\n");
    }
    return 0;
}
