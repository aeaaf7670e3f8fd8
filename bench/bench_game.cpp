// The game on the headless backend: whole games per second (a player that
// never hits, so every game runs its full 100 figures and end sequence),
// the cost of one Playing tick and of a press, and allocations per tick.
#include <benchmark/benchmark.h>

#include "support/GameFixture.h"
#include "AllocationCounter.h"
#include "app/Timer.h"

namespace {

using namespace skr;
using skr::test::Game;

// Whole games back to back in one session, as a player who never hits
// plays them: start, 100 figures, the end sequence, a click on the result
// picture, the next start.
void BM_WholeGames(benchmark::State& state) {
    constexpr int kGames = 20;
    uint64_t ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            Game g({.startTimeOfDayMs = 43200000u + static_cast<uint32_t>(ticks % 1000)});
            int games = 0;
            g.platform.Click(300, 10, 10);
            g.afterTick = [&](uint64_t) {
                if (g.S().GameState != GameOver) return;
                const uint64_t now = g.platform.Now();
                if (++games == kGames) {
                    g.platform.Close(now);
                    return;
                }
                g.platform.Click(now + 1, 100, 100);   // the result picture: back to the prompt
                g.platform.Click(now + 10, 100, 100);  // the next game
            };
            state.ResumeTiming();
            g.Run();
            state.PauseTiming();
            ticks += g.ticks.size();
        }
        state.ResumeTiming();
    }
    state.counters["games/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kGames, benchmark::Counter::kIsRate);
    state.counters["ticks/game"] = static_cast<double>(ticks) / static_cast<double>(state.iterations() * kGames);
}
BENCHMARK(BM_WholeGames)->Unit(benchmark::kMillisecond);

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
        before = bench::Allocations();
        g->form->Timer1Timer(g->form->Timer1);
        state.counters["allocs/tick"] += static_cast<double>(bench::Allocations() - before);
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
    const uint64_t before = bench::Allocations();
    for (auto _ : state) g.form->FormMouseDown(g.form, TMouseButton::mbLeft, 0, 383, 300);
    state.counters["allocs"] = static_cast<double>(bench::Allocations() - before);
}
BENCHMARK(BM_Press);

}  // namespace

BENCHMARK_MAIN();
