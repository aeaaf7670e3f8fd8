#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "components/WavePlay.h"
#include "core/Exception.h"
#include "core/Filer.h"
#include "core/Stream.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/WaveImages.h"

namespace skr {
namespace {

using platform::HeadlessPlatform;

// A 22050 Hz mono 16-bit PCM image of `frames` samples of `value`, with a
// "fact" chunk between "fmt " and "data" when asked.
std::vector<uint8_t> Wave(uint32_t frames, int16_t value, bool fact = false) {
    return test::WaveImage(test::Pcm16(std::vector<int16_t>(frames, value)), {.fact = fact});
}

std::vector<uint8_t> Bytes(const TWaveData& w) {
    return w.Empty() ? std::vector<uint8_t>{} : std::vector<uint8_t>(w.Memory(), w.Memory() + w.Size());
}

void Load(TWaveData& w, const std::vector<uint8_t>& bytes) {
    TMemoryStream s(bytes);
    s.SetPosition(bytes.size());  // loading takes the whole stream, wherever it stands
    w.LoadFromStream(s);
}

// Records what an object declares in its persistence hook, as a form writer
// and reader would see it.
class RecordingFiler : public TFiler {
public:
    struct Binary {
        std::string name;
        StreamProc read, write;
        bool hasData;
    };
    std::vector<Binary> binaries;
    std::vector<std::string> plain;

    void DefineProperty(std::string_view name, const ReadProc&, const WriteProc&, bool) override {
        plain.emplace_back(name);
    }
    void DefineBinaryProperty(std::string_view name, const StreamProc& read, const StreamProc& write,
                              bool hasData) override {
        binaries.push_back({std::string(name), read, write, hasData});
    }
};

// Makes the headless platform the active one for a test's lifetime.
struct ActivePlatform {
    HeadlessPlatform platform;
    ActivePlatform() { platform::SetActive(&platform); }
    ~ActivePlatform() { platform::SetActive(nullptr); }
};

TEST(WaveData, EmptyClipHasNoAddressAndStoresNoData) {
    TWavePlayer player(nullptr);
    EXPECT_EQ(player.Wave()->Memory(), nullptr);
    EXPECT_EQ(player.Wave()->Size(), 0u);
    RecordingFiler filer;
    player.Wave()->DefineProperties(filer);
    ASSERT_EQ(filer.binaries.size(), 1u);
    EXPECT_EQ(filer.binaries[0].name, "Data");
    EXPECT_FALSE(filer.binaries[0].hasData);
    EXPECT_TRUE(filer.plain.empty());

    Load(*player.Wave(), Wave(1, 7));
    RecordingFiler after;
    player.Wave()->DefineProperties(after);
    EXPECT_TRUE(after.binaries.at(0).hasData);
}

TEST(WaveData, DataRoundTripKeepsEveryChunk) {
    const std::vector<uint8_t> image = Wave(45, -300, /*fact=*/true);
    TWaveData source;
    RecordingFiler filer;
    source.DefineProperties(filer);
    TMemoryStream payload(image);  // the reader hands a stream of exactly the payload
    filer.binaries.at(0).read(payload);
    EXPECT_EQ(Bytes(source), image);

    RecordingFiler writer;
    source.DefineProperties(writer);
    ASSERT_TRUE(writer.binaries.at(0).hasData);
    TMemoryStream out;
    out.WriteBuffer("xy", 2);  // saving writes at the current position
    writer.binaries.at(0).write(out);
    std::vector<uint8_t> expected{'x', 'y'};
    expected.insert(expected.end(), image.begin(), image.end());
    EXPECT_EQ(out.Bytes(), expected);

    TWaveData copy;
    TMemoryStream saved(std::vector<uint8_t>(out.Bytes().begin() + 2, out.Bytes().end()));
    copy.LoadFromStream(saved);
    EXPECT_EQ(Bytes(copy), image);
    EXPECT_EQ(std::memcmp(copy.Memory() + 36, "fact", 4), 0);
}

TEST(WaveData, LoadingReplacesAllBytesAndNotifies) {
    TWaveData w;
    std::vector<TObject*> senders;
    w.OnChange.handler = [&](TObject* s) { senders.push_back(s); };
    Load(w, Wave(100, 1));
    const std::vector<uint8_t> second = Wave(3, 2);
    Load(w, second);
    EXPECT_EQ(Bytes(w), second);
    EXPECT_EQ(senders, (std::vector<TObject*>{&w, &w}));
}

// A stream that claims more bytes than it delivers.
class ShortStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    size_t Size() const override { return TMemoryStream::Size() + 10; }
};

TEST(WaveData, FailedLoadKeepsTheClip) {
    TWaveData w;
    const std::vector<uint8_t> image = Wave(4, 9);
    Load(w, image);
    int changes = 0;
    w.OnChange.handler = [&](TObject*) { ++changes; };
    ShortStream bad(std::vector<uint8_t>(20, 0));
    EXPECT_THROW(w.LoadFromStream(bad), EReadError);
    EXPECT_EQ(Bytes(w), image);
    EXPECT_EQ(changes, 0);
}

TEST(WaveData, AssignCopiesAndStaysIndependent) {
    TWavePlayer a(nullptr), b(nullptr);
    const std::vector<uint8_t> first = Wave(10, 5);
    Load(*a.Wave(), first);
    TWaveData* own = b.Wave();
    b.SetWave(a.Wave());
    EXPECT_EQ(b.Wave(), own);  // the player keeps its own object
    EXPECT_EQ(Bytes(*b.Wave()), first);
    EXPECT_NE(b.Wave()->Memory(), a.Wave()->Memory());
    Load(*a.Wave(), Wave(2, 6));
    EXPECT_EQ(Bytes(*b.Wave()), first);

    b.Wave()->Assign(b.Wave());  // from itself: keeps its bytes
    EXPECT_EQ(Bytes(*b.Wave()), first);
}

TEST(WaveData, AssignFromNilOrOtherClassRaisesAndKeepsBytes) {
    TWavePlayer player(nullptr);
    const std::vector<uint8_t> image = Wave(3, 3);
    Load(*player.Wave(), image);
    try {
        player.SetWave(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "nil を TWaveData に代入できません");
    }
    try {
        player.Wave()->Assign(&player);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "TWavePlayer を TWaveData に代入できません");
    }
    EXPECT_EQ(Bytes(*player.Wave()), image);
}

TEST(WavePlayer, PublishesWaveAndRegistersByName) {
    RegisterComponentClass(TWavePlayer::StaticClass());
    const TClassInfo* cls = FindRegisteredClass("twaveplayer");
    ASSERT_EQ(cls, &TWavePlayer::StaticClass());
    TComponent owner(nullptr);
    TComponent* made = cls->create(&owner);
    auto* player = dynamic_cast<TWavePlayer*>(made);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(owner.ComponentCount(), 1u);
    const TPropInfo* wave = cls->FindProp("Wave");
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(wave->kind, TPropKind::Class);
    EXPECT_EQ(wave->getObject(*player), player->Wave());
    std::vector<std::string_view> order;
    cls->ForEachProp([&](const TPropInfo& p) { order.push_back(p.name); });
    EXPECT_EQ(order, (std::vector<std::string_view>{"Name", "Tag", "Wave"}));
}

TEST(WavePlayer, EmptyClipOnlyStopsWhatSounds) {
    ActivePlatform env;
    TWavePlayer sounding(nullptr), empty(nullptr);
    Load(*sounding.Wave(), Wave(22050, 100));
    sounding.Play();
    ASSERT_NE(env.platform.SoundingAt(0), nullptr);
    empty.Play();
    const auto& log = env.platform.Sounds();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].image, nullptr);
    EXPECT_EQ(log[1].size, 0u);
    EXPECT_EQ(env.platform.SoundingAt(0), nullptr);
}

TEST(WavePlayer, QuickSecondPlayLeavesOnlyTheSecondSounding) {
    ActivePlatform env;
    TWavePlayer a(nullptr), b(nullptr);
    Load(*a.Wave(), Wave(22050, 1));
    Load(*b.Wave(), Wave(11025, 2));
    a.Play();
    b.Play();  // another player
    const auto* now = env.platform.SoundingAt(0);
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->image, b.Wave()->Memory());
    EXPECT_EQ(env.platform.SoundingAt(600), nullptr);  // b ended; a does not come back

    env.platform.AdvanceTo(1000);
    b.Play();
    b.Play();  // the same player again restarts it
    EXPECT_EQ(env.platform.Sounds().size(), 4u);
    EXPECT_EQ(env.platform.SoundingAt(1400)->time, 1000u);
}

TEST(WavePlayer, PlayReturnsAtOnceAndTheClipGoesOnSounding) {
    ActivePlatform env;
    TWavePlayer longClip(nullptr), shortClip(nullptr);
    Load(*longClip.Wave(), Wave(2 * 22050, 1));  // two seconds
    Load(*shortClip.Wave(), Wave(2205, 1));      // a tenth
    env.platform.AdvanceTo(50);
    longClip.Play();
    EXPECT_EQ(env.platform.Now(), 50u);
    ASSERT_NE(env.platform.SoundingAt(2049), nullptr);
    EXPECT_EQ(env.platform.SoundingAt(2050), nullptr);
    shortClip.Play();
    EXPECT_EQ(env.platform.Now(), 50u);
    EXPECT_NE(env.platform.SoundingAt(149), nullptr);
    EXPECT_EQ(env.platform.SoundingAt(150), nullptr);
    // The voice got the clip's own bytes, not a copy.
    EXPECT_EQ(env.platform.Sounds().back().image, shortClip.Wave()->Memory());
    EXPECT_EQ(env.platform.Sounds().back().size, shortClip.Wave()->Size());
}

TEST(WavePlayer, ReleasingOrReplacingASoundingClipStopsItFirst) {
    ActivePlatform env;
    const auto& log = env.platform.Sounds();
    auto player = std::make_unique<TWavePlayer>(nullptr);
    TWavePlayer other(nullptr);
    Load(*player->Wave(), Wave(22050, 1));
    Load(*other.Wave(), Wave(22050, 2));

    player->Play();
    Load(*player->Wave(), Wave(22050, 3));  // replaced while sounding
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].image, nullptr);

    player->Play();
    other.Wave()->Assign(player->Wave());  // other's clip is not sounding: no stop
    EXPECT_EQ(log.size(), 3u);
    player.reset();  // destroyed while sounding
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[3].image, nullptr);

    other.Play();
    TWavePlayer idle(nullptr);
    Load(*idle.Wave(), Wave(5, 5));
    Load(*idle.Wave(), Wave(6, 6));  // not the sounding clip: it goes on
    EXPECT_EQ(log.size(), 5u);
    EXPECT_EQ(env.platform.SoundingAt(env.platform.Now())->image, other.Wave()->Memory());
}

}  // namespace
}  // namespace skr
