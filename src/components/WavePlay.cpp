#include "components/WavePlay.h"

#include <utility>
#include <vector>

#include "core/Filer.h"
#include "platform/Platform.h"

namespace skr {
namespace {
// The clip last handed to the voice by any player. Every sound of the
// program starts through TWavePlayer::Play, so while this names a clip, that
// clip may still be sounding, and no other clip can be.
const TWaveData* lastPlayed = nullptr;
}  // namespace

// --- TWaveData ---------------------------------------------------------------

const TClassInfo& TWaveData::StaticClass() {
    static const TClassInfo info{.name = "TWaveData", .parent = &TPersistent::StaticClass()};
    return info;
}

TWaveData::~TWaveData() { ReleaseVoice(); }

void TWaveData::ReleaseVoice() const noexcept {
    if (lastPlayed != this) return;
    lastPlayed = nullptr;
    if (platform::Platform* p = platform::Active()) p->PlayWave(nullptr, 0);
}

void TWaveData::Assign(const TPersistent* source) {
    if (const auto* wave = dynamic_cast<const TWaveData*>(source)) {
        if (wave == this) return;
        TSpanStream bytes(wave->clip_.Bytes());
        LoadFromStream(bytes);
        return;
    }
    TPersistent::Assign(source);
}

void TWaveData::LoadFromStream(TStream& stream) {
    stream.SetPosition(0);
    std::vector<uint8_t> bytes(stream.Size());
    stream.ReadBuffer(bytes.data(), bytes.size());
    ReleaseVoice();
    clip_ = TMemoryStream(std::move(bytes));
    OnChange(this);
}

void TWaveData::SaveToStream(TStream& stream) const {
    stream.WriteBuffer(clip_.Memory(), clip_.Size());
}

void TWaveData::DefineProperties(TFiler& filer) {
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { LoadFromStream(s); }, [this](TStream& s) { SaveToStream(s); },
        clip_.Size() > 0);
}

// --- TWavePlayer -------------------------------------------------------------

const TClassInfo& TWavePlayer::StaticClass() {
    static const TPropInfo props[] = {ObjProp<&TWavePlayer::Wave>("Wave")};
    static const TClassInfo info{.name = "TWavePlayer", .parent = &TComponent::StaticClass(), .props = props,
                                 .create = [](TComponent* owner) -> TComponent* { return new TWavePlayer(owner); }};
    return info;
}

TWavePlayer::TWavePlayer(TComponent* owner) : TComponent(owner), wave_(std::make_unique<TWaveData>()) {}

// The clip data goes first (stopping the voice if it plays this clip), then
// the component part.
TWavePlayer::~TWavePlayer() { wave_.reset(); }

void TWavePlayer::Play() const {
    platform::Platform* p = platform::Active();
    if (!p) return;
    p->PlayWave(wave_->Memory(), wave_->Size());
    lastPlayed = wave_->Empty() ? nullptr : wave_.get();
}

}  // namespace skr
