// The program as a player sees it, measured from outside: each run starts the
// real program (the Linux one, or skrundle.exe under Wine) in a private Xvfb
// display, presses with XTest and learns from the X server's damage reports
// when its window's pixels changed (the moment the server has applied a
// change, readable from then on), so nothing polls the screen while a
// period is being timed.
//   - the prompt's blink period (250 ms), from the frames drawn over it;
//   - press to screen: from an XTest button press on the prompt to the
//     first change to the counter line the press draws;
//   - the game tick (90 ms), from the frames of a game in play (each tick
//     redraws the counter line);
//   - start-up: from starting the process to its window mapped, and to the
//     prompt on the screen (drawn by the first tick, 250 ms after start-up);
//   - peak resident memory of the program at the end of the run, and its CPU
//     time (all its threads, from /proc/PID/task/*/schedstat) while the prompt
//     blinks with nothing sounding (from 4 s after start-up: the audio
//     device has been given up by then) and while a game is played (after
//     the start's one-second wait). Native only: under Wine the process
//     started is Wine's loader.
// Prints medians and percentiles over all runs.
//   bench_window [--startup-only | --prompt-only] [--scale K] [--wayland] PROGRAM [runs] [seconds of blinking per run]
// --startup-only measures only start-up (for a program that shows a first
// frame in the prompt's place and nothing more: sdl_window_baseline).
// --prompt-only times the prompt's periods from its first frame on, for
// the given seconds, and nothing more (a stall in the program's first
// seconds shows there: the audio device is given up 3 s after start-up).
// --scale K runs the program on a desktop of K times 96 pixels per inch
// (Xft.dpi, or for Wine a prefix of the benchmark's own), where it shows
// each client pixel as a K x K block.
// --wayland runs the program as a Wayland window of GNOME's compositor,
// mutter, nested in the display (its monitor at K times the classic scale):
// every frame the compositor shows is reported as a change to its window, so
// a change counts once the client's pixels show it; start-up is to the
// client first seen on the compositor's screen (looked for every few ms),
// and the compositor's own CPU time is reported beside the program's.
#include <X11/extensions/Xdamage.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/XSession.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point t) { return std::chrono::duration<double, std::milli>(t.time_since_epoch()).count(); }

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

// CPU time of each thread of a process so far, in ns, by thread id.
std::map<std::string, double> CpuNs(pid_t pid) {
    std::map<std::string, double> ns;
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream stat(task.path() / "schedstat");
        double onCpu = 0;
        if (stat >> onCpu) ns[task.path().filename().string()] = onCpu;
    }
    return ns;
}

// The share of one core a process used from (cpu0, t0) to now, in percent.
// A thread that ended meanwhile (the audio device's, given up when quiet)
// takes its time with it; a new one counts from its start.
double CpuShare(pid_t pid, const std::map<std::string, double>& cpu0, Clock::time_point t0) {
    const double wallNs = std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
    double used = 0;
    for (const auto& [tid, ns] : CpuNs(pid)) {
        const auto before = cpu0.find(tid);
        used += ns - (before == cpu0.end() ? 0 : before->second);
    }
    return wallNs > 0 ? 100.0 * used / wallNs : NAN;
}

struct Area {
    int left, top, right, bottom;
    bool Meets(const Area& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    Area Times(int k) const { return Area{left * k, top * k, right * k, bottom * k}; }
    Area Plus(int x, int y) const { return Area{left + x, top + y, right + x, bottom + y}; }
};

// The process of that name among a process's children (the compositor under
// its D-Bus session); 0 when there is none.
pid_t ChildNamed(pid_t parent, const std::string& name) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // pid (comm) state ppid ...
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        if (line.substr(open + 1, close - open - 1) == name && std::atoi(line.c_str() + close + 4) == parent)
            return std::atoi(line.c_str());
    }
    return 0;
}
constexpr Area kPrompt{92, 200, 292, 223}, kCounter{136, 256, 248, 288}, kClient{0, 0, 385, 289};

// The X server's reports of changes to a window's pixels, on a connection
// of its own, each stamped when it arrives (the watcher sleeps in poll()
// until then).
class DamageWatch {
public:
    DamageWatch(const std::string& display, Window w) : d_(XOpenDisplay(display.c_str())) {
        int error = 0;
        if (!d_ || !XDamageQueryExtension(d_, &event_, &error)) return;
        damage_ = XDamageCreate(d_, w, XDamageReportRawRectangles);
        XSync(d_, False);
    }
    ~DamageWatch() {
        if (damage_) XDamageDestroy(d_, damage_);
        if (d_) XCloseDisplay(d_);
    }
    DamageWatch(const DamageWatch&) = delete;
    DamageWatch& operator=(const DamageWatch&) = delete;
    bool Ready() const { return damage_ != 0; }

    // The moment of the next change that meets `area`, within timeoutMs.
    std::optional<double> Next(const Area& area, double timeoutMs) {
        const double deadline = Ms(Clock::now()) + timeoutMs;
        for (;;) {
            while (XPending(d_)) {
                XEvent e;
                XNextEvent(d_, &e);
                if (e.type != event_ + XDamageNotify) continue;
                const auto& n = reinterpret_cast<const XDamageNotifyEvent&>(e);
                if (Area{n.area.x, n.area.y, n.area.x + n.area.width, n.area.y + n.area.height}.Meets(area))
                    return Ms(Clock::now());
            }
            const double left = deadline - Ms(Clock::now());
            if (left <= 0) return std::nullopt;
            pollfd p{ConnectionNumber(d_), POLLIN, 0};
            poll(&p, 1, static_cast<int>(std::ceil(left)));
        }
    }
    // The starts of the frames drawn over `area` for `ms`: changes less than
    // 20 ms after a frame's first belong to it.
    std::vector<double> Frames(const Area& area, double ms) {
        std::vector<double> starts;
        const double end = Ms(Clock::now()) + ms;
        for (double now; (now = Ms(Clock::now())) < end;) {
            const std::optional<double> at = Next(area, end - now);
            if (at && (starts.empty() || *at - starts.back() >= 20)) starts.push_back(*at);
        }
        return starts;
    }
    // Forgets the reports so far.
    void Drain() {
        XSync(d_, False);
        while (XPending(d_)) {
            XEvent e;
            XNextEvent(d_, &e);
        }
    }

private:
    Display* d_;
    int event_ = 0;
    Damage damage_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const char* self = argv[0];
    bool startupOnly = false, promptOnly = false, wayland = false;
    int scale = 1;
    for (; argc > 1 && std::string(argv[1]).rfind("--", 0) == 0; --argc, ++argv) {
        if (std::string(argv[1]) == "--startup-only") startupOnly = true;
        else if (std::string(argv[1]) == "--prompt-only") promptOnly = true;
        else if (std::string(argv[1]) == "--wayland") wayland = true;
        else if (std::string(argv[1]) == "--scale" && argc > 2) scale = std::clamp(std::atoi(argv[2]), 1, 4), --argc, ++argv;
        else argc = 0;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s [--startup-only | --prompt-only] [--scale K] [--wayland] PROGRAM [runs] [seconds]\n",
                     self);
        return 2;
    }
    const std::string program = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    const int seconds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const bool wine = program.size() > 4 && program.substr(program.size() - 4) == ".exe";
    std::optional<skr::e2e::WinePrefix> winePrefix;
    if (wine) winePrefix.emplace(program, 96 * scale);

    std::vector<double> periods, pressToScreen, ticks, toWindow, toPrompt, peakRss, idleCpu, playCpu, compositorCpu;
    for (int run = 0; run < runs; ++run) {
        if (wine) winePrefix->StopServer();
        skr::e2e::XSession x(scale);
        if (!x.Ready()) return 1;
        const Window compositor = wayland ? x.StartMutter() : 0;
        if (wayland && !compositor) {
            std::fprintf(stderr, "mutter did not start\n");
            return 1;
        }
        const auto launched = Clock::now();
        const bool started = wine ? x.Launch({"wine", program}, winePrefix->Env()) : x.Launch(program);
        int left = 0, top = 0;
        const Window w = !started ? 0
                         : wayland ? (x.FindWaylandClient(385, 289, 60000, left, top, 2) ? compositor : 0)
                                   : x.WaitForWindow("Skrundle ver.1.2.0", 60000, 1);
        if (!w) {
            std::fprintf(stderr, "run %d: no window\n", run);
            continue;
        }
        while (!x.Viewable(w)) std::this_thread::sleep_for(std::chrono::microseconds(250));
        toWindow.push_back(Ms(Clock::now()) - Ms(launched));
        // (On the compositor, every area is in its window, from the client's corner.)
        const Area prompt = kPrompt.Times(scale).Plus(left, top), counter = kCounter.Times(scale).Plus(left, top),
                   client = kClient.Times(scale).Plus(left, top);
        // The blinking prompt (92, 200)-(292, 223).
        while (Lit(x.CaptureArea(w, 92, 200, 200, 23)) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        toPrompt.push_back(Ms(Clock::now()) - Ms(launched));
        if (startupOnly) {
            x.RequestClose(w);
            x.WaitExit(20000);
            continue;
        }
        DamageWatch damage(x.DisplayName(), w);
        if (!damage.Ready()) {
            std::fprintf(stderr, "the X server reports no damage\n");
            return 1;
        }
        if (promptOnly) {
            const std::vector<double> blinks = damage.Frames(prompt, seconds * 1000.0);
            for (size_t i = 1; i < blinks.size(); ++i) periods.push_back(blinks[i] - blinks[i - 1]);
            x.RequestClose(w);
            x.WaitExit(20000);
            continue;
        }
        std::this_thread::sleep_until(launched + std::chrono::seconds(4));
        const pid_t pid = x.ProgramPid(), mutter = wayland ? ChildNamed(x.CompositorPid(), "mutter") : 0;
        auto cpu0 = CpuNs(pid), mutter0 = CpuNs(mutter);
        auto t0 = Clock::now();
        damage.Drain();
        const std::vector<double> blinks = damage.Frames(prompt, seconds * 1000.0);
        for (size_t i = 1; i < blinks.size(); ++i) periods.push_back(blinks[i] - blinks[i - 1]);
        if (!wine) idleCpu.push_back(CpuShare(pid, cpu0, t0));
        if (mutter) compositorCpu.push_back(CpuShare(mutter, mutter0, t0));
        // Press to screen: the counter line appears.
        x.MovePointer(w, 200, 100);
        x.Sync();
        damage.Drain();
        // (From the press sent: the program may have drawn before a round
        // trip to the server would return.)
        const double pressed = Ms(Clock::now());
        x.SetButton(1, true);
        // (A compositor's frame may be another's: the first that shows the
        // counter line counts.)
        for (std::optional<double> drawn; (drawn = damage.Next(counter, 5000));)
            if (!wayland || Lit(x.CaptureArea(w, 136, 256, 112, 32)) > 0) {
                pressToScreen.push_back(*drawn - pressed);
                break;
            }
        x.SetButton(1, false);
        // The game tick, after the start's one-second wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        cpu0 = CpuNs(pid);
        t0 = Clock::now();
        damage.Drain();
        const std::vector<double> frames = damage.Frames(client, seconds * 1000.0);
        // (The first frame may be the start's own, drawn as its wait ends.)
        for (size_t i = 2; i < frames.size(); ++i) ticks.push_back(frames[i] - frames[i - 1]);
        if (!wine) {
            playCpu.push_back(CpuShare(pid, cpu0, t0));
            // VmHWM: the peak resident set of the process so far.
            std::ifstream status("/proc/" + std::to_string(pid) + "/status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind("VmHWM:", 0) == 0) peakRss.push_back(std::atof(line.c_str() + 6) / 1024.0);
        }
        x.RequestClose(w);
        x.WaitExit(20000);
    }
    std::printf("%s (%s, %dx), %d runs\n", program.c_str(), wine ? "under Wine" : wayland ? "Wayland, on mutter" : "native",
                scale, runs);
    Report("prompt period (goal 250 ms)", periods, 250.0);
    Report("press to screen (ms)", pressToScreen, 0.0);
    Report("game tick (goal 90 ms)", ticks, 90.0);
    Report(wayland ? "start to window shown (ms)" : "start to window mapped (ms)", toWindow, 0.0);
    Report("start to prompt shown (ms)", toPrompt, 0.0);
    Report("peak RSS (MB)", peakRss, 0.0);
    Report("CPU, prompt idle (% core)", idleCpu, 0.0);
    Report("CPU, game in play (% core)", playCpu, 0.0);
    if (wayland) Report("mutter's CPU, prompt (% core)", compositorCpu, 0.0);
    return 0;
}
