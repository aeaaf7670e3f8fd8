#include "formdef/FormReader.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/Component.h"
#include "core/Exception.h"
#include "core/Filer.h"
#include "core/Stream.h"
#include "core/Text.h"
#include "formdef/Messages.h"
#include "formdef/ValueTags.h"

namespace skr {

namespace {

const TIdentMap* FindName(std::span<const TIdentMap> names, std::string_view name) noexcept {
    for (const TIdentMap& m : names)
        if (SameText(m.name, name)) return &m;
    return nullptr;
}

bool CanSet(const TPropInfo& p) noexcept {
    switch (p.kind) {
        case TPropKind::Integer:
        case TPropKind::Char:
        case TPropKind::Enumeration:
        case TPropKind::Set:
        case TPropKind::Int64: return p.setOrd != nullptr;
        case TPropKind::Float: return p.setFloat != nullptr;
        case TPropKind::String: return p.setStr != nullptr;
        case TPropKind::Class: return p.getObject != nullptr;
        case TPropKind::Method: return p.bindEvent != nullptr;
    }
    return false;
}

class Reader final : public TFiler, public TValueReader {
public:
    Reader(std::span<const uint8_t> bytes, TComponent& root) : in_(bytes), root_(root) {}

    size_t Consumed() const noexcept { return in_.Position(); }

    void ReadRoot(const TNameTakenFn& nameTaken) {
        static constexpr uint8_t kSignature[4] = {'T', 'P', 'F', '0'};
        const auto sig = in_.Take(4);
        if (!std::equal(sig.begin(), sig.end(), kSignature)) throw EReadError(msg::InvalidStreamFormat);
        ReadPrefix();
        in_.ShortString();  // the root's class name is not compared with the root's class
        std::string name(in_.ShortString());
        if (nameTaken && nameTaken(name)) {
            const std::string stored = name;
            for (int i = 1;; ++i) {
                name = Format("%s_%d", stored.c_str(), i);
                if (!nameTaken(name)) break;
            }
        }
        root_.SetName(name);
        root_.SetLoading(true);
        loaded_.push_back(&root_);
        ReadData(root_, 0);
        root_.ClearReading();

        ResolveReferences();
        // The loaded list is final here; an after-load step cannot add to it.
        const std::vector<TComponent*> loaded = std::move(loaded_);
        for (TComponent* c : loaded) c->Loaded();
    }

    // --- TFiler: defined properties claim the name being read -----------------
    void DefineProperty(std::string_view name, const ReadProc& read, const WriteProc&, bool) override {
        if (claimed_ || !SameText(name, claimName_)) return;
        claimed_ = true;
        const size_t before = in_.Position();
        if (read) read(*this);
        // A procedure that read nothing must not leave the value behind.
        if (in_.Position() == before) in_.SkipValue();
    }

    void DefineBinaryProperty(std::string_view name, const StreamProc& read, const StreamProc&, bool) override {
        if (claimed_ || !SameText(name, claimName_)) return;
        claimed_ = true;
        if (in_.ReadValue() != TValueType::vaBinary) ThrowInvalidValue();
        const uint32_t n = in_.U32();
        TSpanStream payload(in_.Take(n));  // checked against what remains; nothing is allocated
        if (read) read(payload);
    }

    // --- TValueReader: plain values of defined properties ---------------------
    int64_t ReadInteger() override { return in_.ReadInteger(true); }

private:
    struct Reference {
        TPersistent* target;
        std::string name;
    };

    void ReadPrefix() {
        const uint8_t b = in_.PeekByte();
        if ((b & 0xF0) != 0xF0) return;
        in_.U8();
        if (b & 0x02) in_.ReadInteger();  // child position: order is taken from the stream itself
    }

    void ReadData(TComponent& object, int depth) {
        while (in_.PeekByte() != 0) ReadProperty(object);
        in_.U8();
        while (in_.PeekByte() != 0) ReadChild(object, depth + 1);
        in_.U8();
    }

    const TClassInfo* FindComponentClass(std::string_view name) const noexcept {
        for (const TClassInfo* c = &root_.ClassInfo(); c; c = c->parent)
            for (const TFieldEntry& f : c->fields) {
                const TClassInfo& k = f.cls();
                if (SameText(k.name, name)) return &k;
            }
        return FindRegisteredClass(name);
    }

    void ReadChild(TComponent& parent, int depth) {
        if (depth > kMaxNesting) throw EReadError(msg::InvalidStreamFormat);
        ReadPrefix();
        const std::string className(in_.ShortString());
        const std::string_view name = in_.ShortString();
        const TClassInfo* cls = FindComponentClass(className);
        if (!cls || !cls->create || !cls->InheritsFrom(TComponent::StaticClass()))
            throw EClassNotFound(Format(msg::ClassNotFound, className.c_str()));
        TComponent* c = cls->create(&root_);
        if (!c) throw EClassNotFound(Format(msg::ClassNotFound, className.c_str()));
        try {
            c->SetParentComponent(&parent);
            c->SetName(name);
            c->SetLoading(true);
            ReadData(*c, depth);
            c->ClearReading();
            loaded_.push_back(c);
        } catch (...) {
            delete c;
            throw;
        }
    }

    void ReadProperty(TComponent& object) {
        const std::string_view path = in_.ShortString();
        try {
            TPersistent* current = &object;
            std::string_view rest = path;
            for (size_t dot; (dot = rest.find('.')) != std::string_view::npos;) {
                const TPropInfo* p = current->ClassInfo().FindProp(rest.substr(0, dot));
                if (!p) throw EReadError(msg::PropertyNotFound);
                TPersistent* inner = p->kind == TPropKind::Class && p->getObject ? p->getObject(*current) : nullptr;
                if (!inner) throw EReadError(msg::InvalidPropertyPath);
                current = inner;
                rest.remove_prefix(dot + 1);
            }
            if (const TPropInfo* p = current->ClassInfo().FindProp(rest)) ReadPropValue(*current, *p);
            else ReadDefined(*current, rest);
        } catch (const Exception& e) {
            const std::string who(object.Name().empty() ? object.ClassName() : std::string_view(object.Name()));
            e.ThrowWithMessage(
                Format(msg::PropertyException, who.c_str(), ".", std::string(path).c_str(), e.Message().c_str()));
        }
    }

    void ReadDefined(TPersistent& object, std::string_view name) {
        claimName_ = name;
        claimed_ = false;
        object.DefineProperties(*this);
        const bool found = claimed_;
        claimed_ = false;
        claimName_ = {};
        if (!found) throw EReadError(msg::PropertyNotFound);
    }

    void ReadPropValue(TPersistent& obj, const TPropInfo& p) {
        if (!CanSet(p)) throw EReadError(msg::ReadOnlyProperty);
        switch (p.kind) {
            case TPropKind::Integer: {
                const TValueType t = in_.ReadValue();
                if (t == TValueType::vaIdent) {
                    const TIdentMap* m = FindName(p.names, in_.ShortString());
                    if (!m) ThrowInvalidValue();
                    p.setOrd(obj, m->value);
                } else {
                    p.setOrd(obj, in_.IntegerOf(t, false));
                }
                return;
            }
            case TPropKind::Char: {
                if (in_.ReadValue() != TValueType::vaString) ThrowInvalidValue();
                const std::string_view s = in_.ShortString();
                if (s.size() != 1) ThrowInvalidValue();
                p.setOrd(obj, static_cast<uint8_t>(s[0]));
                return;
            }
            case TPropKind::Enumeration: {
                const std::span<const TIdentMap> names = p.names.empty() ? BooleanNames() : p.names;
                const TIdentMap* m = FindName(names, in_.ReadIdent());
                if (!m) ThrowInvalidValue();
                p.setOrd(obj, m->value);
                return;
            }
            case TPropKind::Float: p.setFloat(obj, in_.FloatOf(in_.ReadValue())); return;
            case TPropKind::String: {
                const TValueType t = in_.ReadValue();
                if (t != TValueType::vaString && t != TValueType::vaLString && t != TValueType::vaWString)
                    ThrowInvalidValue();
                p.setStr(obj, in_.StringOf(t));
                return;
            }
            case TPropKind::Set: {
                if (in_.ReadValue() != TValueType::vaSet) ThrowInvalidValue();
                int64_t bits = 0;
                for (std::string_view e; !(e = in_.ShortString()).empty();) {
                    const TIdentMap* m = FindName(p.names, e);
                    if (!m) ThrowInvalidValue();
                    if (m->value >= 0 && m->value <= 31) bits |= int64_t{1} << m->value;
                }
                p.setOrd(obj, bits);
                return;
            }
            case TPropKind::Class: {
                const TValueType t = in_.ReadValue();
                TPersistent* held = p.getObject(obj);
                if (t == TValueType::vaNil) {
                    if (held) held->Assign(nullptr);
                } else if (t == TValueType::vaIdent) {
                    const std::string_view name = in_.ShortString();
                    if (held) references_.push_back({held, std::string(name)});
                } else {
                    ThrowInvalidValue();  // collections: no object of this model holds one
                }
                return;
            }
            case TPropKind::Method: {
                const TValueType t = in_.ReadValue();
                const std::string_view handler = t == TValueType::vaNil ? std::string_view{} : in_.IdentOf(t);
                if (!p.bindEvent(obj, root_, handler)) ThrowInvalidValue();
                return;
            }
            case TPropKind::Int64: ReadInt64(obj, p); return;
        }
    }

    void ReadInt64(TPersistent& obj, const TPropInfo& p) {
        const TValueType t = in_.ReadValue();
        switch (t) {
            case TValueType::vaInt8:
            case TValueType::vaInt16:
            case TValueType::vaInt32:
            case TValueType::vaInt64:
                if (p.setOrd) return p.setOrd(obj, in_.IntegerOf(t, true));
                break;
            default: break;
        }
        ThrowInvalidValue();
    }

    // Object properties stored as a component name copy that component's
    // content once every component exists; a name that no component bears
    // is left unresolved, as when it names a component of another window.
    void ResolveReferences() {
        for (const Reference& r : references_) {
            TComponent* c = SameText(root_.Name(), r.name) ? &root_ : root_.FindComponent(r.name);
            if (c) r.target->Assign(c);
        }
        references_.clear();
    }

    TTagCursor in_;
    TComponent& root_;
    std::vector<TComponent*> loaded_;
    std::vector<Reference> references_;
    std::string_view claimName_;
    bool claimed_ = false;
};

}  // namespace

void ReadRootComponent(std::span<const uint8_t> bytes, TComponent& root, const TNameTakenFn& nameTaken) {
    Reader reader(bytes, root);
    reader.ReadRoot(nameTaken);
}

void ReadRootComponent(TStream& stream, TComponent& root, const TNameTakenFn& nameTaken) {
    const size_t start = stream.Position();
    std::span<const uint8_t> bytes;
    std::vector<uint8_t> copy;
    if (auto* s = dynamic_cast<TSpanStream*>(&stream)) {
        bytes = s->Rest();
    } else if (auto* m = dynamic_cast<TMemoryStream*>(&stream)) {
        bytes = std::span<const uint8_t>(m->Memory() + start, m->Size() - start);
    } else {
        // Any other stream is read once into a buffer the reader walks.
        copy.resize(stream.Remaining());
        stream.ReadBuffer(copy.data(), copy.size());
        bytes = copy;
    }
    Reader reader(bytes, root);
    reader.ReadRoot(nameTaken);
    stream.SetPosition(start + reader.Consumed());
}

}  // namespace skr
