#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/WaveImage.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/WaveImages.h"

namespace skr::platform {
namespace {

// A mono 16-bit image at 1000 samples per second: `ms` milliseconds long.
std::vector<uint8_t> Clip(uint32_t ms, uint16_t formatTag = 1) {
    return test::WaveImage(std::vector<uint8_t>(size_t(ms) * 2, 0x11), {.formatTag = formatTag, .rate = 1000});
}

TEST(HeadlessSound, LogsEachRequestAtItsVirtualTime) {
    HeadlessPlatform p;
    const std::vector<uint8_t> a = Clip(300);
    p.AdvanceTo(10);
    p.PlayWave(a.data(), a.size());
    p.AdvanceTo(20);
    p.PlayWave(nullptr, 0);
    p.PlayWave(a.data(), 0);  // size 0 is a stop as well
    ASSERT_EQ(p.Sounds().size(), 3u);
    EXPECT_EQ(p.Sounds()[0].time, 10u);
    EXPECT_EQ(p.Sounds()[0].image, a.data());
    EXPECT_EQ(p.Sounds()[0].size, a.size());
    EXPECT_EQ(p.Sounds()[0].durationMs, 300u);
    EXPECT_EQ(p.Sounds()[1].time, 20u);
    EXPECT_EQ(p.Sounds()[1].image, nullptr);
    EXPECT_EQ(p.Sounds()[2].image, nullptr);
    EXPECT_EQ(p.Now(), 20u);  // playing takes no virtual time
}

TEST(HeadlessSound, SoundingAtFollowsTheLastRequest) {
    HeadlessPlatform p;
    const std::vector<uint8_t> a = Clip(300), b = Clip(50);
    p.AdvanceTo(100);
    p.PlayWave(a.data(), a.size());
    EXPECT_EQ(p.SoundingAt(99), nullptr);
    EXPECT_EQ(p.SoundingAt(100)->image, a.data());
    EXPECT_EQ(p.SoundingAt(399)->image, a.data());
    EXPECT_EQ(p.SoundingAt(400), nullptr);  // ended

    p.AdvanceTo(200);
    p.PlayWave(b.data(), b.size());  // cuts a
    EXPECT_EQ(p.SoundingAt(150)->image, a.data());
    EXPECT_EQ(p.SoundingAt(249)->image, b.data());
    EXPECT_EQ(p.SoundingAt(260), nullptr);  // a does not resume after b

    p.AdvanceTo(500);
    p.PlayWave(a.data(), a.size());
    p.PlayWave(nullptr, 0);  // same instant: the stop wins
    EXPECT_EQ(p.SoundingAt(500), nullptr);
    EXPECT_EQ(p.SoundingAt(600), nullptr);
}

TEST(HeadlessSound, UnplayableImagesSoundNothingButStillStop) {
    HeadlessPlatform p;
    const std::vector<uint8_t> good = Clip(1000);
    std::vector<uint8_t> adpcm = Clip(1000, 2);
    std::vector<uint8_t> truncated = Clip(1000);
    truncated.resize(30);  // inside the "fmt " chunk
    std::vector<uint8_t> noise(64, 0x5A);
    for (const auto* bad : {&adpcm, &truncated, &noise}) {
        p.PlayWave(good.data(), good.size());
        p.PlayWave(bad->data(), bad->size());
        EXPECT_EQ(p.Sounds().back().durationMs, 0u);
        EXPECT_EQ(p.SoundingAt(p.Now()), nullptr);
        p.AdvanceTo(p.Now() + 1);
    }
}

TEST(HeadlessSound, DataChunkCutShortCountsOnlyTheBytesPresent) {
    HeadlessPlatform p;
    std::vector<uint8_t> cut = Clip(1000);
    cut.resize(44 + 200);  // the header still claims 1000 ms
    p.PlayWave(cut.data(), cut.size());
    EXPECT_EQ(p.Sounds().back().durationMs, 100u);
    EXPECT_NE(p.SoundingAt(99), nullptr);
    EXPECT_EQ(p.SoundingAt(100), nullptr);
}

// The samples as the page's buffers take them: planar floats in [-1, 1].
TEST(WaveSamples, PcmAndFloatBecomePlanarFloatsOtherLayoutsNothing) {
    std::vector<float> out;
    auto convert = [&](const std::vector<uint8_t>& image, size_t most = 100) {
        return ToPlanarFloat(*ParseWave(image.data(), image.size()), out, most);
    };
    // Stereo 16-bit: left, right, left, right (and half a frame cut off).
    std::vector<uint8_t> stereo = test::Pcm16({-32768, 16384, 0, -16384});
    stereo.push_back(7);
    ASSERT_EQ(convert(test::WaveImage(stereo, {.channels = 2})), 2u);
    EXPECT_EQ(out, (std::vector<float>{-1.0f, 0.0f, 0.5f, -0.5f}));
    ASSERT_EQ(convert(test::WaveImage({0, 128, 255}, {.bits = 8})), 3u);
    EXPECT_EQ(out, (std::vector<float>{-1.0f, 0.0f, 127.0f / 128}));
    std::vector<uint8_t> floats;
    for (const float f : {2.0f, -0.25f, -3.0f, std::nanf("")}) {
        uint32_t w;
        std::memcpy(&w, &f, 4);
        test::Put32(floats, w);
    }
    ASSERT_EQ(convert(test::WaveImage(floats, {.formatTag = 3, .bits = 32})), 4u);
    EXPECT_EQ(out, (std::vector<float>{1.0f, -0.25f, -1.0f, 0.0f}));

    out.assign(1, 9.0f);
    EXPECT_EQ(convert(test::WaveImage(std::vector<uint8_t>(6, 0), {.bits = 24})), 0u) << "24-bit";
    EXPECT_EQ(convert(test::WaveImage(std::vector<uint8_t>(6, 0), {.formatTag = 2})), 0u) << "ADPCM";
    EXPECT_EQ(convert(test::WaveImage({1}, {})), 0u) << "no whole frame";
    EXPECT_EQ(convert(test::WaveImage(std::vector<uint8_t>(8, 0)), 3), 0u) << "more frames than allowed";
    EXPECT_EQ(out, std::vector<float>{9.0f}) << "a refused layout changed the output";
}

}  // namespace
}  // namespace skr::platform
