#include "formdef/FormWriter.h"

#include <string>
#include <string_view>

#include "base/ByteOrder.h"
#include "core/Component.h"
#include "core/Exception.h"
#include "core/Filer.h"
#include "core/Messages.h"
#include "core/Stream.h"
#include "core/Text.h"
#include "formdef/ValueTags.h"

namespace skr {

namespace {

const TIdentMap* NameOf(std::span<const TIdentMap> names, int64_t value, bool low32) noexcept {
    for (const TIdentMap& m : names) {
        const bool same = low32 ? static_cast<uint32_t>(m.value) == static_cast<uint32_t>(value) : m.value == value;
        if (same) return &m;
    }
    return nullptr;
}

class Writer final : public TFiler, public TValueWriter {
public:
    explicit Writer(TComponent& root) : root_(root) {}
    std::vector<uint8_t> Take() { return std::move(out_); }

    void WriteRoot(TComponent& root) {
        Bytes("TPF0", 4);
        WriteComponent(root);
        for (size_t i = 0; i < root.ComponentCount(); ++i) WriteComponent(*root.Components(i));
        Byte(0);  // the root's child-list end
    }

    // --- TFiler ----------------------------------------------------------------
    void DefineProperty(std::string_view name, const ReadProc&, const WriteProc& write, bool hasData) override {
        if (!hasData || !write) return;
        ShortString(prefix_ + std::string(name));
        write(*this);
    }

    void DefineBinaryProperty(std::string_view name, const StreamProc&, const StreamProc& write,
                              bool hasData) override {
        if (!hasData || !write) return;
        ShortString(prefix_ + std::string(name));
        TMemoryStream payload;
        write(payload);
        if (payload.Size() > UINT32_MAX) throw EWriteError(msg::WriteError);
        Tag(TValueType::vaBinary);
        U32(static_cast<uint32_t>(payload.Size()));
        Bytes(payload.Memory(), payload.Size());
    }

    // --- TValueWriter ----------------------------------------------------------
    void WriteInteger(int64_t v) override {
        if (v >= INT8_MIN && v <= INT8_MAX) {
            Tag(TValueType::vaInt8);
            Byte(static_cast<uint8_t>(v));
        } else if (v >= INT16_MIN && v <= INT16_MAX) {
            Tag(TValueType::vaInt16);
            Fixed(static_cast<uint64_t>(v), 2);
        } else if (v >= INT32_MIN && v <= INT32_MAX) {
            Tag(TValueType::vaInt32);
            Fixed(static_cast<uint64_t>(v), 4);
        } else {
            Tag(TValueType::vaInt64);
            Fixed(static_cast<uint64_t>(v), 8);
        }
    }

    void WriteString(std::string_view s) override {
        if (s.size() < 256) {
            Tag(TValueType::vaString);
            ShortString(s);
        } else {
            if (s.size() > UINT32_MAX) throw EWriteError(msg::WriteError);
            Tag(TValueType::vaLString);
            U32(static_cast<uint32_t>(s.size()));
            Bytes(s.data(), s.size());
        }
    }

private:
    void Byte(uint8_t b) { out_.push_back(b); }
    void Tag(TValueType t) { Byte(static_cast<uint8_t>(t)); }
    void Bytes(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }
    // The low n bytes of v (1, 2, 4 or 8), least significant first.
    void Fixed(uint64_t v, int n) {
        uint8_t b[8];
        StoreLE64(b, v);
        Bytes(b, static_cast<size_t>(n));
    }
    void U32(uint32_t v) { Fixed(v, 4); }
    void ShortString(std::string_view s) {
        if (s.size() > 255) throw EWriteError(msg::WriteError);  // a name the format cannot hold
        Byte(static_cast<uint8_t>(s.size()));
        Bytes(s.data(), s.size());
    }
    // False, True, nil and Null have tags of their own.
    void Ident(std::string_view s) {
        if (SameText(s, "False")) Tag(TValueType::vaFalse);
        else if (SameText(s, "True")) Tag(TValueType::vaTrue);
        else if (SameText(s, "nil")) Tag(TValueType::vaNil);
        else if (SameText(s, "Null")) Tag(TValueType::vaNull);
        else {
            Tag(TValueType::vaIdent);
            ShortString(s);
        }
    }

    void WriteComponent(TComponent& c) {
        ShortString(c.ClassName());
        ShortString(c.Name());
        prefix_.clear();
        WriteProperties(c, 0);
        Byte(0);  // property-list end
        if (&c != &root_) Byte(0);  // only the root writes children
    }

    // Published properties, then the defined ones, under the current prefix.
    void WriteProperties(TPersistent& obj, int depth) {
        if (depth > kMaxNesting) throw EWriteError(msg::WriteError);  // an object that holds itself
        obj.ClassInfo().ForEachProp([&](const TPropInfo& p) { WriteProperty(obj, p, depth); });
        obj.DefineProperties(*this);
    }

    void Name(const TPropInfo& p) { ShortString(prefix_ + std::string(p.name)); }

    void WriteProperty(TPersistent& obj, const TPropInfo& p, int depth) {
        if (p.stored && !p.stored(obj)) return;
        switch (p.kind) {
            case TPropKind::Integer:
            case TPropKind::Char:
            case TPropKind::Enumeration:
            case TPropKind::Set:
            case TPropKind::Int64: {
                if (!p.getOrd || !p.setOrd) return;
                const int64_t v = p.getOrd(obj);
                if (p.hasDefault && v == p.defaultOrd) return;
                WriteOrdinal(p, v);
                return;
            }
            case TPropKind::Float:
                if (!p.getFloat || !p.setFloat) return;
                {
                    uint8_t ext[10];
                    DoubleToExtended(p.getFloat(obj), ext);
                    Name(p);
                    Tag(TValueType::vaExtended);
                    Bytes(ext, 10);
                }
                return;
            case TPropKind::String: {
                if (!p.getStr || !p.setStr) return;
                const std::string s = p.getStr(obj);
                if (s.empty()) return;
                Name(p);
                WriteString(s);
                return;
            }
            case TPropKind::Class: {
                TPersistent* inner = p.getObject ? p.getObject(obj) : nullptr;
                if (!inner) return;
                if (auto* c = dynamic_cast<TComponent*>(inner)) {
                    if (c->Name().empty()) return;
                    Name(p);
                    Ident(c->Name());  // a reference by component name
                    return;
                }
                const std::string saved = prefix_;
                prefix_ += std::string(p.name) + ".";
                WriteProperties(*inner, depth + 1);
                prefix_ = saved;
                return;
            }
            case TPropKind::Method: {
                if (!p.eventName || !p.bindEvent) return;
                const std::string handler = p.eventName(obj);
                if (handler.empty()) return;
                Name(p);
                Ident(handler);
                return;
            }
        }
    }

    void WriteOrdinal(const TPropInfo& p, int64_t v) {
        switch (p.kind) {
            case TPropKind::Integer:
                if (const TIdentMap* m = NameOf(p.names, v, true)) {
                    Name(p);
                    Ident(m->name);
                    return;
                }
                Name(p);
                WriteInteger(v);
                return;
            case TPropKind::Char: {
                Name(p);
                const char c = static_cast<char>(v);
                Tag(TValueType::vaString);
                ShortString(std::string_view(&c, 1));
                return;
            }
            case TPropKind::Enumeration: {
                const TIdentMap* m = NameOf(p.names.empty() ? BooleanNames() : p.names, v, false);
                if (!m) return;  // a value the enumeration has no name for cannot be stored
                Name(p);
                Ident(m->name);
                return;
            }
            case TPropKind::Set:
                Name(p);
                Tag(TValueType::vaSet);
                for (int bit = 0; bit < 32; ++bit)
                    if (v >> bit & 1)
                        if (const TIdentMap* m = NameOf(p.names, bit, false)) ShortString(m->name);
                Byte(0);
                return;
            default:
                Name(p);
                WriteInteger(v);
                return;
        }
    }

    TComponent& root_;
    std::vector<uint8_t> out_;
    std::string prefix_;
};

}  // namespace

std::vector<uint8_t> WriteRootComponent(TComponent& root) {
    Writer w(root);
    w.WriteRoot(root);
    return w.Take();
}

}  // namespace skr
