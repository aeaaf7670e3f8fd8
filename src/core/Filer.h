// Defined (unpublished) stream properties: an object declares them in its
// DefineProperties hook; the form definition reader and writer implement
// TFiler and call back the procedures of the property they handle.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace skr {

class TStream;

// What a defined property's reading procedure may read of a plain value.
class TValueReader {
public:
    virtual ~TValueReader() = default;
    virtual int64_t ReadInteger() = 0;  // any integer tag; the caller narrows it
};

class TValueWriter {
public:
    virtual ~TValueWriter() = default;
    virtual void WriteInteger(int64_t value) = 0;  // smallest integer tag
    virtual void WriteString(std::string_view value) = 0;
};

class TFiler {
public:
    using ReadProc = std::function<void(TValueReader&)>;
    using WriteProc = std::function<void(TValueWriter&)>;
    using StreamProc = std::function<void(TStream&)>;

    virtual ~TFiler() = default;
    virtual void DefineProperty(std::string_view name, const ReadProc& read, const WriteProc& write,
                                bool hasData) = 0;
    // A Binary value: the read procedure gets a stream of exactly the
    // payload, positioned at its start; the write procedure writes the payload.
    virtual void DefineBinaryProperty(std::string_view name, const StreamProc& read, const StreamProc& write,
                                      bool hasData) = 0;
};

}  // namespace skr
