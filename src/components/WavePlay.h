// Sound clips: TWaveData holds the bytes of one in-memory WAVE file image and
// stores them in a form definition as the binary property "Data";
// TWavePlayer owns one TWaveData, published as Wave, and hands it to the
// platform's sound voice without waiting for the sound to end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/Component.h"
#include "core/Events.h"
#include "core/Stream.h"

namespace skr {

class TWaveData : public TPersistent {
public:
    SKR_CLASS_INFO()

    TWaveData() = default;
    ~TWaveData() override;
    TWaveData(const TWaveData&) = delete;
    TWaveData& operator=(const TWaveData&) = delete;

    // From a TWaveData: copies its whole clip (the source keeps its bytes)
    // and calls OnChange. Anything else, or none, raises EConvertError.
    // Assigning a clip from itself keeps its bytes.
    void Assign(const TPersistent* source) override;
    // Declares "Data", stored only while the clip holds at least one byte.
    void DefineProperties(TFiler& filer) override;

    // Replaces the clip by every byte of the stream, first to last, then
    // calls OnChange with this object as sender. On a read failure the clip
    // keeps its bytes.
    void LoadFromStream(TStream& stream);
    // Writes the whole clip at the stream's current position.
    void SaveToStream(TStream& stream) const;

    // The clip's first byte, or null while the clip is empty.
    const uint8_t* Memory() const noexcept { return clip_.Size() ? clip_.Memory() : nullptr; }
    size_t Size() const noexcept { return clip_.Size(); }
    bool Empty() const noexcept { return clip_.Size() == 0; }

    TNotifyEvent OnChange;

private:
    friend class TWavePlayer;
    // Stops the sound voice if the last clip handed to it is this one, so the
    // voice never reads bytes that are about to be released or replaced.
    void ReleaseVoice() const noexcept;

    TMemoryStream clip_;
};

class TWavePlayer : public TComponent {
public:
    SKR_CLASS_INFO()

    explicit TWavePlayer(TComponent* owner);
    ~TWavePlayer() override;

    // The player's own clip data, never replaced; only its bytes change.
    TWaveData* Wave() const noexcept { return wave_.get(); }
    // Copies the given clip's bytes into the player's own clip data.
    void SetWave(const TWaveData* value) { wave_->Assign(value); }

    // Starts the clip on the platform's voice and returns at once; a clip
    // sounding there stops. An empty clip only stops what sounds. Copies
    // nothing and allocates nothing.
    void Play() const;

private:
    std::unique_ptr<TWaveData> wave_;
};

}  // namespace skr
