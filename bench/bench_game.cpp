// The game on the headless backend: whole games per second (a player that
// never clicks, so every game runs its full 100 figures and end sequence),
// the cost of one Playing tick and of a press, and allocations per tick.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "../tests/game/GameFixture.h"
#include "app/Timer.h"

namespace {
std::atomic<uint64_t> allocations{0};
}

// Counts every allocation; GCC cannot see that new and delete below pair up.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t n) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

using namespace skr;
using skr::test::Game;

void BM_WholeGame(benchmark::State& state) {
    uint64_t ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            Game g({.startTimeOfDayMs = 43200000u + static_cast<uint32_t>(ticks % 1000)});
            g.platform.Click(300, 10, 10);
            g.afterTick = [&g](uint64_t) {
                if (g.S().GameState == GameOver) g.platform.Close(g.platform.Now());
            };
            state.ResumeTiming();
            g.Run();
            state.PauseTiming();
            ticks += g.ticks.size();
        }
        state.ResumeTiming();
    }
    state.counters["games/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ticks/game"] = static_cast<double>(ticks) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_WholeGame)->Unit(benchmark::kMillisecond);

// Ticks of a game in progress, called directly; a new game is set up
// (outside the timing) whenever one ends.
void BM_PlayingTick(benchmark::State& state) {
    std::unique_ptr<Game> g;
    auto start = [&] {
        g.reset();
        g = std::make_unique<Game>();
        g->form->DoCreate();
        g->platform.Click(0, 10, 10);
        while (g->S().GameState != Playing) g->app->HandleOne();
    };
    start();
    uint64_t before = 0, ticks = 0;
    for (auto _ : state) {
        if (g->S().FiguresShown >= 99) {
            state.PauseTiming();
            start();
            state.ResumeTiming();
        }
        g->platform.AdvanceTo(g->platform.Now() + 90);
        before = allocations.load();
        g->form->Timer1Timer(g->form->Timer1);
        state.counters["allocs/tick"] += static_cast<double>(allocations.load() - before);
        ++ticks;
    }
    state.counters["allocs/tick"] /= static_cast<double>(ticks);
}
BENCHMARK(BM_PlayingTick);

void BM_Press(benchmark::State& state) {
    Game g;
    g.form->DoCreate();
    g.platform.Click(0, 10, 10);
    while (g.S().GameState != Playing) g.app->HandleOne();
    const uint64_t before = allocations.load();
    for (auto _ : state) g.form->FormMouseDown(g.form, TMouseButton::mbLeft, 0, 383, 300);
    state.counters["allocs"] = static_cast<double>(allocations.load() - before);
}
BENCHMARK(BM_Press);

}  // namespace

BENCHMARK_MAIN();
