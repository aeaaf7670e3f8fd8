// The program as a player sees it, measured from outside: each run starts the
// real program (the Linux one, or skrundle.exe under Wine) in a private Xvfb
// display and reads its window's pixels back with Xlib.
//   - the prompt's blink period (250 ms), from the moments its pixels change;
//   - press to screen: from an XTest button press on the prompt to the first
//     read-back that shows the counter line the press draws;
//   - the game tick (90 ms), from the moments the board's pixels change while
//     figures rise (a figure keeps each frame for one or two ticks: a change
//     about 90 or 180 ms after the last gives one period);
//   - start-up: from starting the process to its window mapped, and to the
//     prompt on the screen (drawn by the first tick, 250 ms after start-up);
//   - peak resident memory of the program at the end of the run (native only:
//     under Wine the process started is Wine's loader).
// Prints medians and percentiles over all runs.
//   bench_window PROGRAM [runs] [seconds of blinking per run]
// PROGRAM ending in ".exe" runs under Wine with the prefix beside it.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/XSession.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point t) { return std::chrono::duration<double, std::milli>(t.time_since_epoch()).count(); }

uint64_t Digest(const std::vector<uint32_t>& p) {
    uint64_t h = 1469598103934665603ull;
    for (uint32_t v : p) h = (h ^ v) * 1099511628211ull;
    return h;
}

int Lit(const std::vector<uint32_t>& p) {
    return static_cast<int>(std::count_if(p.begin(), p.end(), [](uint32_t v) { return v != 0; }));
}

double Percentile(std::vector<double> v, double q) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size() - 1) + 0.5))];
}

void Report(const char* what, const std::vector<double>& v, double goal) {
    if (v.empty()) {
        std::printf("%-28s no samples\n", what);
        return;
    }
    double sum = 0, errSum = 0;
    std::vector<double> err;
    for (double x : v) {
        sum += x;
        err.push_back(std::fabs(x - goal));
        errSum += std::fabs(x - goal);
    }
    std::printf("%-28s n=%-4zu mean %7.2f  median %7.2f  p1 %7.2f  p99 %7.2f  | mean |error| %.2f, p99 |error| %.2f ms\n",
                what, v.size(), sum / static_cast<double>(v.size()), Percentile(v, 0.5), Percentile(v, 0.01),
                Percentile(v, 0.99), errSum / static_cast<double>(v.size()), Percentile(err, 0.99));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [runs] [seconds]\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    const int seconds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const bool wine = program.size() > 4 && program.substr(program.size() - 4) == ".exe";
    const std::string prefix = program.substr(0, program.find_last_of('/') + 1) + "wineprefix";

    std::vector<double> periods, pressToScreen, ticks, toWindow, toPrompt, peakRss;
    for (int run = 0; run < runs; ++run) {
        if (wine) [[maybe_unused]] int rc = std::system(("WINEPREFIX='" + prefix + "' wineserver -k 2>/dev/null").c_str());
        skr::e2e::XSession x;
        if (!x.Ready()) return 1;
        const auto launched = Clock::now();
        const bool started =
            wine ? x.Launch({"wine", program}, {"WINEPREFIX=" + prefix, "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml="})
                 : x.Launch(program);
        const Window w = started ? x.WaitForWindow("Skrundle ver.1.2.0", 60000) : 0;
        if (!w) {
            std::fprintf(stderr, "run %d: no window\n", run);
            continue;
        }
        toWindow.push_back(Ms(Clock::now()) - Ms(launched));
        // The blinking prompt (92, 200)-(292, 223).
        auto prompt = [&] { return x.CaptureArea(w, 92, 200, 200, 23); };
        while (Lit(prompt()) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        toPrompt.push_back(Ms(Clock::now()) - Ms(launched));
        uint64_t last = Digest(prompt());
        double lastChange = -1;
        for (const auto end = Clock::now() + std::chrono::seconds(seconds); Clock::now() < end;) {
            const uint64_t d = Digest(prompt());
            if (d != last) {
                const double now = Ms(Clock::now());
                if (lastChange >= 0) periods.push_back(now - lastChange);
                lastChange = now;
                last = d;
            }
        }
        // Press to screen: the counter line (136, 256)-(248, 288) appears.
        x.MovePointer(w, 200, 100);
        x.SetButton(1, true);
        x.Sync();  // the server has taken the press
        const auto pressed = Clock::now();
        while (Lit(x.CaptureArea(w, 136, 256, 112, 32)) == 0 && Clock::now() - pressed < std::chrono::seconds(5)) {
        }
        pressToScreen.push_back(Ms(Clock::now()) - Ms(pressed));
        x.SetButton(1, false);
        // The game tick, on the board (0, 0)-(384, 256), after the start's
        // one-second wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        auto board = [&] { return Digest(x.CaptureArea(w, 0, 0, 384, 256)); };
        uint64_t lastBoard = board();
        double lastBoardChange = -1;
        for (const auto end = Clock::now() + std::chrono::seconds(seconds); Clock::now() < end;) {
            const uint64_t d = board();
            if (d == lastBoard) continue;
            const double now = Ms(Clock::now());
            // A figure keeps each frame for two ticks: a change 180 ms after
            // the last is two periods.
            const double gap = now - lastBoardChange;
            const double periods = std::round(gap / 90.0);
            if (lastBoardChange >= 0 && periods >= 1 && periods <= 2 && std::fabs(gap - 90.0 * periods) < 45)
                ticks.push_back(gap / periods);
            lastBoardChange = now;
            lastBoard = d;
        }
        if (!wine) {
            // VmHWM: the peak resident set of the process so far.
            std::ifstream status("/proc/" + std::to_string(x.ProgramPid()) + "/status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind("VmHWM:", 0) == 0) peakRss.push_back(std::atof(line.c_str() + 6) / 1024.0);
        }
        x.RequestClose(w);
        x.WaitExit(20000);
    }
    std::printf("%s (%s), %d runs\n", program.c_str(), wine ? "under Wine" : "native", runs);
    Report("prompt period (goal 250 ms)", periods, 250.0);
    Report("press to screen (ms)", pressToScreen, 0.0);
    Report("game tick (goal 90 ms)", ticks, 90.0);
    Report("start to window mapped (ms)", toWindow, 0.0);
    Report("start to prompt shown (ms)", toPrompt, 0.0);
    Report("peak RSS (MB)", peakRss, 0.0);
    return 0;
}
