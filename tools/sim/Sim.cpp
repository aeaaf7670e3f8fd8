// The game simulator: plays whole games back to back on the headless
// platform, with the program's own window, art and sounds, and a scripted
// player who watches the screen and presses on what rises. Prints the
// distribution of hits, result pictures and game lengths; writes PNG
// snapshots of the screen at chosen moments.
//
//   skr_sim [--games N] [--player perfect|never|human] [--reaction MS]
//           [--miss RATE] [--seed S] [--snapshots DIR] [--snap-at MS,...]
//
// The player sees the screen after each tick. A cell that lights up is
// struck (pressed at the cell's centre) after the reaction time, and again
// after each tick while it stays lit (a tough figure takes two blows),
// unless the player misses that figure, which happens with the miss rate.
// "perfect" reacts in 3 ms and never misses; "never" presses only to start
// each game; "human" is the given reaction time and miss rate (by default
// 250 ms and 0.1), each reaction varying by up to a fifth.
//
// Snapshots of the first game (with --snapshots DIR): prompt.png before it
// starts, play.png when at least two figures are up after the tenth,
// result.png when its result picture shows, and at-MS.png for each
// --snap-at moment (virtual milliseconds after the start press).
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Image.h"
#include "game/Unit1.h"
#include "platform/headless/HeadlessPlatform.h"
#include "png/PngFile.h"
#include "support/Player.h"

namespace skr {
namespace {

struct Options {
    int games = 100;
    std::string player = "human";
    double reactionMs = 250;
    double miss = 0.1;
    uint32_t seed = 1;
    std::string snapshots;
    std::vector<uint64_t> snapAt;
};

[[noreturn]] void Usage(const char* why) {
    std::fprintf(stderr,
                 "skr_sim: %s\nusage: skr_sim [--games N] [--player perfect|never|human] [--reaction MS] "
                 "[--miss RATE] [--seed S] [--snapshots DIR] [--snap-at MS,...]\n",
                 why);
    std::exit(2);
}

double Number(const char* text, const char* what) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (!end || *end || end == text) Usage((std::string("not a number for ") + what).c_str());
    return v;
}

Options Parse(int argc, char** argv) {
    Options o;
    bool reactionGiven = false, missGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) Usage(("missing value for " + a).c_str());
            return argv[++i];
        };
        if (a == "--games") o.games = static_cast<int>(Number(value(), "--games"));
        else if (a == "--player") o.player = value();
        else if (a == "--reaction") o.reactionMs = Number(value(), "--reaction"), reactionGiven = true;
        else if (a == "--miss") o.miss = Number(value(), "--miss"), missGiven = true;
        else if (a == "--seed") o.seed = static_cast<uint32_t>(Number(value(), "--seed"));
        else if (a == "--snapshots") o.snapshots = value();
        else if (a == "--snap-at") {
            std::string list = value();
            for (size_t start = 0; start <= list.size();) {
                const size_t comma = std::min(list.find(',', start), list.size());
                o.snapAt.push_back(static_cast<uint64_t>(Number(list.substr(start, comma - start).c_str(), "--snap-at")));
                start = comma + 1;
            }
        } else Usage(("unknown option " + a).c_str());
    }
    if (o.games < 1 || o.games > 10000000) Usage("--games must be 1 to 10000000");
    if (o.player == "perfect") {
        if (!reactionGiven) o.reactionMs = 3;
        if (!missGiven) o.miss = 0;
    } else if (o.player != "never" && o.player != "human") {
        Usage("--player must be perfect, never or human");
    }
    if (o.reactionMs < 0 || o.reactionMs > 10000) Usage("--reaction must be 0 to 10000 ms");
    if (o.miss < 0 || o.miss > 1) Usage("--miss must be 0 to 1");
    return o;
}

// The board as the player sees it: a cell is lit when any of five points
// across its middle shows something.
std::array<bool, 24> LitCells(const platform::HeadlessPlatform& p) {
    std::array<bool, 24> lit{};
    constexpr int kPoints[5][2] = {{32, 32}, {20, 32}, {44, 32}, {32, 20}, {32, 44}};
    for (int c = 0; c < 24; ++c) {
        const int x0 = (c % 6) * 64, y0 = (c / 6) * 64;
        for (const auto& pt : kPoints) lit[c] = lit[c] || p.Pixel(x0 + pt[0], y0 + pt[1]) != 0;
    }
    return lit;
}

int Run(const Options& o) {
    platform::HeadlessPlatform p({.startTimeOfDayMs = 10 * 3600 * 1000 + o.seed % 3600000});
    TApplication app(p);
    BuildForm1();
    TForm1* form = Form1;
    const TPixelView screen = p.Screen();

    std::vector<test::GameResult> results;
    results.reserve(static_cast<size_t>(o.games));
    uint32_t rng = o.seed * 2654435761u + 1u;
    auto uniform = [&rng] {
        rng = rng * 1664525u + 1013904223u;
        return static_cast<double>(rng >> 8) / 16777216.0;
    };
    std::array<bool, 24> wasLit{}, missed{};
    constexpr uint64_t kFirstStart = 1200;  // after a few blinks of the prompt
    bool snapPrompt = false, snapPlay = false, snapResult = false;
    size_t nextSnap = 0;
    std::vector<uint64_t> snapAt = o.snapAt;
    std::sort(snapAt.begin(), snapAt.end());
    bool failed = false;
    auto snapshot = [&](const std::string& name) {
        if (!o.snapshots.empty() && !tools::WritePng(o.snapshots + "/" + name, screen.pixels, screen.width, screen.height, false))
            failed = true;
    };

    test::Player player(p, *form);
    player.afterTick = [&] {
        const TGameRecord& s = form->State();
        const bool first = results.empty();
        if (first && s.GameState == Idle && !snapPrompt && s.PromptStep != 0) {
            snapshot("prompt.png");
            snapPrompt = true;
        }
        while (first && nextSnap < snapAt.size() && s.GameState != Idle && p.Now() >= kFirstStart + snapAt[nextSnap]) {
            snapshot("at-" + std::to_string(snapAt[nextSnap]) + ".png");
            ++nextSnap;
        }
        if (s.GameState != Playing) return;
        const std::array<bool, 24> lit = LitCells(p);
        if (first && !snapPlay && s.FiguresShown > 10 && std::count(lit.begin(), lit.end(), true) >= 2) {
            snapshot("play.png");
            snapPlay = true;
        }
        if (o.player == "never") return;
        for (int c = 0; c < 24; ++c) {
            if (lit[c] && !wasLit[c]) missed[c] = uniform() < o.miss;  // one roll per figure
            wasLit[c] = lit[c];
            if (!lit[c] || missed[c]) continue;
            const double reaction = o.player == "perfect" ? o.reactionMs : o.reactionMs * (0.8 + 0.4 * uniform());
            p.Click(p.Now() + static_cast<uint64_t>(reaction), (c % 6) * 64 + 32, (c / 6) * 64 + 32);
        }
    };
    player.gameOver = [&](const test::GameResult& r) {
        results.push_back(r);
        wasLit.fill(false);
        missed.fill(false);
        if (static_cast<int>(results.size()) < o.games) return true;
        p.Click(p.Now() + 5, 192, 144);  // the last picture is clicked too (its snapshot)
        return false;
    };
    // The result picture is drawn after the tick that shows it; it is on the
    // screen when the player clicks it.
    for (TImage* pic : {form->Iperfect, form->Inobody, form->Iwhy, form->Iwinner, form->Igoback}) {
        TNotifyEvent click = pic->OnClick;
        pic->OnClick = TNotifyEvent{[&, click](TObject* sender) {
                                        if (!snapResult) {
                                            snapshot("result.png");
                                            snapResult = true;
                                        }
                                        click(sender);
                                    },
                                    click.name};
    }
    form->DoCreate();
    player.Start(kFirstStart);

    const auto started = std::chrono::steady_clock::now();
    app.Run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    if (static_cast<int>(results.size()) != o.games) {
        std::fprintf(stderr, "skr_sim: the program ended after %zu of %d games\n", results.size(), o.games);
        return 1;
    }
    for (const auto& box : p.ErrorBoxes()) std::fprintf(stderr, "skr_sim: error box: %s\n", box.text.c_str());

    std::vector<int> hits;
    std::vector<uint64_t> lengths;
    std::map<std::string, int> pictures;
    for (const test::GameResult& r : results) {
        hits.push_back(r.hits);
        lengths.push_back(r.lengthMs);
        ++pictures[r.picture ? std::string(r.picture->Name()) : "(none)"];
    }
    std::sort(hits.begin(), hits.end());
    std::sort(lengths.begin(), lengths.end());
    double mean = 0;
    for (int h : hits) mean += h;
    mean /= static_cast<double>(hits.size());
    const size_t n = hits.size();
    std::printf("player %s (reaction %.0f ms, miss rate %.2f), seed %u: %d games in %.3f s, %.0f games/s\n",
                o.player.c_str(), o.player == "never" ? 0.0 : o.reactionMs, o.player == "never" ? 1.0 : o.miss, o.seed,
                o.games, seconds, o.games / seconds);
    std::printf("hits per game: min %d, median %d, mean %.2f, max %d\n", hits.front(), hits[n / 2], mean, hits.back());
    std::printf("hits    games\n");
    for (int lo = 0; lo <= 100; lo += 10) {
        const int hi = lo == 100 ? 100 : lo + 9;
        const auto count = std::count_if(hits.begin(), hits.end(), [&](int h) { return h >= lo && h <= hi; });
        if (lo == 100) std::printf("   100  %6td\n", count);
        else std::printf("%2d-%2d   %6td\n", lo, hi, count);
    }
    std::printf("result pictures:");
    for (const auto& [name, count] : pictures) std::printf(" %s %d", name.c_str(), count);
    std::printf("\ngame length (start press to result picture): min %.1f s, median %.1f s, max %.1f s\n",
                lengths.front() / 1000.0, lengths[n / 2] / 1000.0, lengths.back() / 1000.0);
    return failed || !p.ErrorBoxes().empty() ? 1 : 0;
}

}  // namespace
}  // namespace skr

int main(int argc, char** argv) { return skr::Run(skr::Parse(argc, argv)); }
