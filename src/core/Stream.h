// Byte streams: the reader of form definitions, the binary payloads of
// bitmaps, pictures and sound clips all go through these. A short read
// raises EReadError; nothing reads outside the stream's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace skr {

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to n bytes; returns how many were read.
    virtual size_t Read(void* buffer, size_t n) = 0;
    virtual size_t Write(const void* buffer, size_t n) = 0;
    virtual size_t Size() const = 0;
    virtual size_t Position() const = 0;
    virtual void SetPosition(size_t pos) = 0;

    size_t Remaining() const { return Size() - Position(); }
    void ReadBuffer(void* buffer, size_t n);         // EReadError when short
    void WriteBuffer(const void* buffer, size_t n);  // EWriteError when short
    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    void WriteU32(uint32_t v);  // little-endian; EWriteError when short
};

// A growable in-memory stream that owns its bytes.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    size_t Read(void* buffer, size_t n) override;
    size_t Write(const void* buffer, size_t n) override;
    size_t Size() const override { return bytes_.size(); }
    size_t Position() const override { return pos_; }
    void SetPosition(size_t pos) override { pos_ = pos < bytes_.size() ? pos : bytes_.size(); }

    const uint8_t* Memory() const { return bytes_.data(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

// A read-only stream over bytes someone else keeps alive (an embedded
// resource, a test buffer). Writing fails.
class TSpanStream : public TStream {
public:
    explicit TSpanStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t Read(void* buffer, size_t n) override;
    size_t Write(const void*, size_t) override { return 0; }
    size_t Size() const override { return bytes_.size(); }
    size_t Position() const override { return pos_; }
    void SetPosition(size_t pos) override { pos_ = pos < bytes_.size() ? pos : bytes_.size(); }
    // The unread rest, without copying.
    std::span<const uint8_t> Rest() const { return bytes_.subspan(pos_); }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

}  // namespace skr
