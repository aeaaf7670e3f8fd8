// A soak: whole games back to back in one process, on the program's own
// window and the headless platform, with the heap measured by counting
// every byte the program holds through operator new. What the program
// holds after the first games is what it holds after the last: nothing
// grows with the number of games. The headless platform's sound log grows
// with every request by design and is cleared after each game.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/Application.h"
#include "game/Unit1.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/Player.h"

namespace {

std::atomic<int64_t> liveBytes{0};
std::atomic<int64_t> liveBlocks{0};

// Each block carries its size in front of it, so a release knows what it frees.
constexpr size_t kHeader = alignof(std::max_align_t);

void* Take(size_t n) {
    auto* p = static_cast<unsigned char*>(std::malloc(n + kHeader));
    if (!p) throw std::bad_alloc();
    *reinterpret_cast<size_t*>(p) = n;
    liveBytes += static_cast<int64_t>(n);
    ++liveBlocks;
    return p + kHeader;
}

void Give(void* q) noexcept {
    if (!q) return;
    auto* p = static_cast<unsigned char*>(q) - kHeader;
    liveBytes -= static_cast<int64_t>(*reinterpret_cast<size_t*>(p));
    --liveBlocks;
    std::free(p);
}

}  // namespace

// GCC takes the malloc/free pairs below for a mismatch with operator new;
// they are not one.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t n) { return Take(n); }
void* operator new[](std::size_t n) { return Take(n); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, std::size_t) noexcept { Give(p); }
void operator delete[](void* p, std::size_t) noexcept { Give(p); }

namespace skr {
namespace {

TEST(Soak, OneHundredWholeGamesInOneProcessHoldNoMoreMemoryAtTheEndThanAfterTheFirst) {
    constexpr int kGames = 100, kSettled = 5;
    platform::HeadlessPlatform p({.startTimeOfDayMs = 9 * 3600 * 1000 + 123});
    TApplication app(p);
    BuildForm1();
    TForm1* form = Form1;
    int64_t bytesSettled = 0, blocksSettled = 0;
    // Every third game the player strikes what rises; the others miss all.
    test::Player player(p, *form);
    player.strikeEvery = 3;
    player.gameOver = [&](const test::GameResult&) {
        if (player.Games() == kSettled) {
            bytesSettled = liveBytes.load();
            blocksSettled = liveBlocks.load();
        }
        return player.Games() < kGames;
    };
    form->DoCreate();
    player.Start(400);
    const int64_t bytesAtStart = liveBytes.load();
    app.Run();
    const int64_t bytesAtEnd = liveBytes.load(), blocksAtEnd = liveBlocks.load();

    std::printf("games %d; heap held: at the start %lld bytes, after game %d %lld bytes in %lld blocks, "
                "after game %d %lld bytes in %lld blocks\n",
                player.Games(), static_cast<long long>(bytesAtStart), kSettled, static_cast<long long>(bytesSettled),
                static_cast<long long>(blocksSettled), kGames, static_cast<long long>(bytesAtEnd),
                static_cast<long long>(blocksAtEnd));
    EXPECT_EQ(player.Games(), kGames);
    EXPECT_TRUE(p.ErrorBoxes().empty());
    EXPECT_LE(bytesAtEnd, bytesSettled);
    EXPECT_LE(blocksAtEnd, blocksSettled);
}

}  // namespace
}  // namespace skr
