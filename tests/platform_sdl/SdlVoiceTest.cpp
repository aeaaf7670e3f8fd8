#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/ByteOrder.h"
#include "platform/sdl/SdlVoice.h"
#include "support/Files.h"
#include "support/WaveImages.h"

namespace skr::platform {
namespace {

// WAVE images: "fmt " at offset 12 (its length field at 16), "data" at 36
// (length at 40, samples from 44).
using Format = test::WaveFormat;
using test::Pcm16;
using test::Put32At;
std::vector<uint8_t> Image(const std::vector<uint8_t>& samples, const Format& f = {}) { return test::WaveImage(samples, f); }

std::vector<int16_t> Constant(size_t n, int16_t value) { return std::vector<int16_t>(n, value); }

std::vector<int16_t> Ramp(size_t n, int16_t from) {
    std::vector<int16_t> s(n);
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<int16_t>(from + static_cast<int16_t>(i % 1000));
    return s;
}

// Exactly as many bytes as the image has, so a read past its end is caught.
struct Exact {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size;
    explicit Exact(const std::vector<uint8_t>& v) : bytes(new uint8_t[v.empty() ? 1 : v.size()]), size(v.size()) {
        if (size) std::memcpy(bytes.get(), v.data(), size);
    }
    const uint8_t* data() const { return bytes.get(); }
};

bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs the voice on SDL's file-writing audio driver: every mixed buffer ends
// up in a file, at a few times real speed.
class SdlVoiceDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/skr_voice_XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = name;
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "2", 1);
        ASSERT_TRUE(voice_.Open());
    }
    void TearDown() override {
        voice_.Close();
        std::remove(path_.c_str());
    }

    size_t FileSize() const {
        struct stat st{};
        return stat(path_.c_str(), &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
    }
    // Lets at least `bytes` more output reach the file.
    void LetRun(size_t bytes) {
        const size_t target = FileSize() + bytes;
        ASSERT_TRUE(WaitFor([&] { return FileSize() >= target; }));
    }
    void Start(const std::vector<uint8_t>& image) {
        const uint64_t before = voice_.ClipsStarted();
        voice_.Play(image.data(), image.size());
        ASSERT_TRUE(WaitFor([&] { return voice_.ClipsStarted() > before; }));
    }
    void WaitEnd() { ASSERT_TRUE(WaitFor([&] { return !voice_.Sounding(); })); }
    // Everything the device played, after closing it (which flushes the file).
    std::vector<int16_t> Output() {
        voice_.Close();
        const std::vector<uint8_t> bytes = test::TryReadFile(path_).value_or(std::vector<uint8_t>{});
        std::vector<int16_t> out(bytes.size() / 2);
        for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(LoadLE16(&bytes[2 * i]));
        return out;
    }

    std::string path_;
    SdlVoice voice_;
};

size_t Find(const std::vector<int16_t>& hay, const std::vector<int16_t>& needle) {
    auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end());
    return it == hay.end() ? std::string::npos : static_cast<size_t>(it - hay.begin());
}

size_t CountOf(const std::vector<int16_t>& s, int16_t v) {
    return static_cast<size_t>(std::count(s.begin(), s.end(), v));
}

TEST_F(SdlVoiceDisk, PlayedSamplesReachTheOutputWhole) {
    const std::vector<int16_t> samples = Ramp(3000, 100);
    const std::vector<uint8_t> image = Image(Pcm16(samples));
    Start(image);
    WaitEnd();
    LetRun(4096);
    const std::vector<int16_t> out = Output();
    const size_t at = Find(out, samples);
    ASSERT_NE(at, std::string::npos);
    // Silence before and after: the clip played once, and nothing else.
    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + at, [](int16_t s) { return s == 0; }));
    EXPECT_TRUE(std::all_of(out.begin() + at + samples.size(), out.end(), [](int16_t s) { return s == 0; }));
    EXPECT_GT(out.size(), at + samples.size());
}

TEST_F(SdlVoiceDisk, SecondRequestCutsTheFirst) {
    const std::vector<uint8_t> first = Image(Pcm16(Constant(22050 * 20, 1111)));
    const std::vector<int16_t> secondSamples = Ramp(2000, 3000);
    const std::vector<uint8_t> second = Image(Pcm16(secondSamples));
    Start(first);
    Start(second);
    WaitEnd();
    LetRun(4096);
    const std::vector<int16_t> out = Output();
    const size_t at = Find(out, secondSamples);
    ASSERT_NE(at, std::string::npos);
    const size_t firstCount = CountOf(out, 1111);
    EXPECT_GT(firstCount, 0u);
    EXPECT_LT(firstCount, 22050u * 20);
    // Nothing of the first clip after the second started.
    EXPECT_EQ(std::find(out.begin() + at, out.end(), 1111), out.end());
}

TEST_F(SdlVoiceDisk, NullRequestSilences) {
    const std::vector<uint8_t> image = Image(Pcm16(Constant(22050 * 20, 777)));
    Start(image);
    voice_.Play(nullptr, 0);
    EXPECT_FALSE(voice_.Sounding());
    LetRun(8192);
    const std::vector<int16_t> out = Output();
    auto last = std::find(out.rbegin(), out.rend(), 777);
    ASSERT_NE(last, out.rend());
    EXPECT_LT(CountOf(out, 777), 22050u * 20);
    EXPECT_TRUE(std::all_of(out.rbegin(), last, [](int16_t s) { return s == 0; }));
    EXPECT_GE(static_cast<size_t>(last - out.rbegin()), 2048u);  // silence was written after the stop
}

TEST_F(SdlVoiceDisk, OtherPcmLayoutsAreConverted) {
    // Each lasts 0.2 s, at a quarter of full scale: 8-bit unsigned at 8000 Hz
    // (0xC0) and 16-bit stereo at 44100 Hz.
    const std::vector<uint8_t> narrow = Image(std::vector<uint8_t>(1600, 0xC0), Format{.rate = 8000, .bits = 8});
    const std::vector<uint8_t> wide = Image(Pcm16(Constant(2 * 8820, 8192)), Format{.channels = 2, .rate = 44100});
    for (const std::vector<uint8_t>* image : {&narrow, &wide}) {
        Start(*image);
        WaitEnd();
    }
    const std::vector<int16_t> out = Output();
    auto near = [&](int target) {
        return static_cast<size_t>(std::count_if(out.begin(), out.end(), [&](int16_t s) { return std::abs(s - target) < 300; }));
    };
    EXPECT_NEAR(static_cast<double>(near(16384)), 4410.0, 60.0);
    EXPECT_NEAR(static_cast<double>(near(8192)), 4410.0, 60.0);
}

TEST_F(SdlVoiceDisk, DataCutShortPlaysOnlyTheBytesPresent) {
    const std::vector<int16_t> samples = Ramp(1000, 5);
    std::vector<uint8_t> image = Image(Pcm16(samples));
    image.resize(44 + 1201);  // 600 whole frames and half of one; the header claims 1000
    const Exact exact(image);
    const uint64_t before = voice_.ClipsStarted();
    voice_.Play(exact.data(), exact.size);
    ASSERT_TRUE(WaitFor([&] { return voice_.ClipsStarted() > before && !voice_.Sounding(); }));
    const std::vector<int16_t> out = Output();
    const std::vector<int16_t> present(samples.begin(), samples.begin() + 600);
    const size_t at = Find(out, present);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(out[at + 600], 0);
}

TEST_F(SdlVoiceDisk, ImagesItCannotPlayGiveSilence) {
    const std::vector<uint8_t> good = Image(Pcm16(Ramp(400, 50)));
    std::vector<std::vector<uint8_t>> bad;
    for (size_t n : {0u, 1u, 4u, 11u, 12u, 20u, 35u, 36u, 43u, 44u}) bad.emplace_back(good.begin(), good.begin() + n);
    auto lie = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> v = good;
        Put32At(v, at, value);
        bad.push_back(v);
    };
    lie(4, 4);            // RIFF size ends before the first chunk
    lie(16, 0xFFFFFFF0);  // "fmt " runs far past the end
    lie(16, 8);           // "fmt " too short
    {
        std::vector<uint8_t> v = good;  // no data chunk: renamed
        std::memcpy(v.data() + 36, "dat4", 4);
        bad.push_back(v);
        std::vector<uint8_t> w(good.begin(), good.begin() + 36);  // ends after "fmt "
        bad.push_back(w);
        std::vector<uint8_t> x = good;  // "data" before "fmt "
        std::memcpy(x.data() + 12, "data", 4);
        std::memcpy(x.data() + 36, "fmt ", 4);
        bad.push_back(x);
    }
    bad.push_back(Image(Pcm16(Ramp(400, 50)), Format{.formatTag = 2}));  // ADPCM
    bad.push_back(Image(Pcm16(Ramp(400, 50)), Format{.formatTag = 7}));  // mu-law
    bad.push_back(Image(std::vector<uint8_t>(600, 1), Format{.bits = 24}));
    bad.push_back(Image(Pcm16(Ramp(400, 50)), Format{.channels = 0}));
    bad.push_back(Image(Pcm16(Ramp(400, 50)), Format{.rate = 0}));
    bad.push_back(Image(Pcm16(Ramp(400, 50)), Format{.bits = 12}));
    // One sample a second would grow to hours of output: refused, not allocated.
    bad.push_back(Image(Pcm16(Ramp(2000, 50)), Format{.rate = 1}));
    // Rates and channel counts outside what SDL's converter takes safely:
    // millions of samples a second (a negative allocation inside SDL), more
    // channels than SDL's 8 or than its 8-bit count holds.
    bad.push_back(Image(Pcm16(Ramp(4000, 50)), Format{.rate = 4270865}));
    bad.push_back(Image(Pcm16(Ramp(4000, 50)), Format{.rate = 192001}));
    bad.push_back(Image(Pcm16(Ramp(4000, 50)), Format{.rate = 999}));
    bad.push_back(Image(Pcm16(Ramp(900, 50)), Format{.channels = 9}));
    bad.push_back(Image(Pcm16(Ramp(3000, 50)), Format{.channels = 300}));
    {
        std::vector<uint8_t> v = good;  // block alignment that disagrees with the format
        v[32] = 3;
        bad.push_back(v);
    }

    const std::vector<uint8_t> sounding = Image(Pcm16(Constant(22050 * 20, 555)));
    Start(sounding);
    for (size_t i = 0; i < bad.size(); ++i) {
        const Exact exact(bad[i]);
        voice_.Play(exact.data(), exact.size);
        EXPECT_FALSE(voice_.Sounding()) << "image " << i;
    }
    LetRun(4096);
    const std::vector<int16_t> out = Output();
    auto last = std::find(out.rbegin(), out.rend(), 555);
    ASSERT_NE(last, out.rend());  // the good clip played until the first bad request
    EXPECT_TRUE(std::all_of(out.rbegin(), last, [](int16_t s) { return s == 0; }));
    EXPECT_EQ(voice_.ClipsStarted(), 1u);
}

// A quiet voice gives its device up (no audio thread waking while the
// game idles) and opens it again for the next clip, which plays whole.
TEST_F(SdlVoiceDisk, AQuietDeviceIsClosedAndOpenedAgainByTheNextClip) {
    const std::vector<uint8_t> shortClip = Image(Pcm16(Ramp(2205, 10)));  // 100 ms
    Start(shortClip);
    const uint32_t now = SDL_GetTicks();
    const uint32_t wait = voice_.CloseWhenQuiet(now);
    EXPECT_GT(wait, SdlVoice::kQuietCloseMs - 50);  // counted from the clip's end
    EXPECT_LE(wait, SdlVoice::kQuietCloseMs + 100);
    EXPECT_TRUE(voice_.IsOpen());
    WaitEnd();
    // The fast test driver has mixed the whole clip long before it would
    // have played: still not quiet, and the quiet counted from the clip's
    // end as played (however long this wait took on a loaded machine).
    const uint32_t later = SDL_GetTicks();
    EXPECT_GE(later + voice_.CloseWhenQuiet(later), now + 50 + SdlVoice::kQuietCloseMs);
    EXPECT_TRUE(voice_.IsOpen());
    EXPECT_GT(voice_.CloseWhenQuiet(now + 1000), 0u);
    EXPECT_TRUE(voice_.IsOpen());
    EXPECT_EQ(voice_.CloseWhenQuiet(now + 100 + SdlVoice::kQuietCloseMs + 50), SdlVoice::kNever);
    EXPECT_FALSE(voice_.IsOpen());
    EXPECT_TRUE(voice_.Available());
    EXPECT_EQ(voice_.CloseWhenQuiet(now + 10 * SdlVoice::kQuietCloseMs), SdlVoice::kNever);

    const std::vector<int16_t> samples = Ramp(3000, 2000);
    const std::vector<uint8_t> again = Image(Pcm16(samples));  // played from these bytes
    Start(again);
    EXPECT_TRUE(voice_.IsOpen());
    WaitEnd();
    LetRun(4096);
    EXPECT_NE(Find(Output(), samples), std::string::npos);  // the device's new file has it whole
}

TEST(SdlVoice, NoDeviceMeansSilenceNotAnError) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlVoice voice;
    EXPECT_FALSE(voice.Open());
    const std::vector<uint8_t> image = Image(Pcm16(Ramp(100, 1)));
    voice.Play(image.data(), image.size());
    EXPECT_FALSE(voice.Sounding());
    voice.Stop();
    EXPECT_EQ(voice.CloseWhenQuiet(0), SdlVoice::kNever);
    voice.Close();

    SdlVoice unopened;  // never opened: the same
    unopened.Play(image.data(), image.size());
    EXPECT_FALSE(unopened.Sounding());
}

}  // namespace
}  // namespace skr::platform
