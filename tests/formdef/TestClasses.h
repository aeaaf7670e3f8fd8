// Small component classes in the shape of the program's own (a window-like
// root with handlers and component references, a control-like widget with
// every property kind, a timer, a persistent with a Binary defined
// property) and a byte builder for hand-made streams. Shared by the tests,
// the fuzz target and the benchmark.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Component.h"
#include "core/Exception.h"
#include "core/Messages.h"
#include "core/Text.h"
#include "core/Filer.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"
#include "gfx/Color.h"
#include "gfx/Font.h"
#include "gfx/Picture.h"
#include "formdef/Messages.h"
#include "../support/LittleEndian.h"  // relative: bench_formdef builds with this header too

namespace skr::formdef_test {

inline std::vector<std::string>& LoadedLog() {
    static std::vector<std::string> log;
    return log;
}

inline constexpr TIdentMap kBoolNames[] = {{"False", 0}, {"True", 1}};
inline constexpr TIdentMap kKindNames[] = {{"wkNone", 0}, {"wkRound", 1}, {"wkSquare", 2}};
// woFar's ordinal lies beyond a 32-bit set: reading it sets no bit.
inline constexpr TIdentMap kOptionNames[] = {{"woBold", 0}, {"woItalic", 1}, {"woWide", 2}, {"woHigh", 31}, {"woFar", 40}};

// A persistent whose payload is a defined Binary property "Data".
class TBlob : public TPersistent {
public:
    SKR_CLASS_INFO()
    void DefineProperties(TFiler& filer) override {
        TPersistent::DefineProperties(filer);
        filer.DefineBinaryProperty(
            "Data",
            [this](TStream& s) {
                data.resize(s.Remaining());
                s.ReadBuffer(data.data(), data.size());
            },
            [this](TStream& s) { s.WriteBuffer(data.data(), data.size()); }, !data.empty());
    }
    std::vector<uint8_t> data;
};

inline const TClassInfo& TBlob::StaticClass() {
    static const TClassInfo info{.name = "TBlob", .parent = &TPersistent::StaticClass()};
    return info;
}

// An image kind of its own for pictures: its data is one size byte.
class TFakeGraphic : public TGraphic {
public:
    SKR_CLASS_INFO()
    bool Empty() const override { return size == 0; }
    int Width() const override { return size; }
    int Height() const override { return size; }
    void Draw(TCanvas&, const TRect&) override {}
    void ReadData(TStream& s) override { size = s.ReadU8(); }
    void WriteData(TStream& s) const override { s.WriteBuffer(&size, 1); }
    uint8_t size = 0;
};

inline const TClassInfo& TFakeGraphic::StaticClass() {
    static const TClassInfo info{.name = "TFakeGraphic", .parent = &TGraphic::StaticClass()};
    return info;
}

// A control-like component with a property of every kind.
class TWidget : public TComponent {
public:
    SKR_CLASS_INFO()
    using TComponent::TComponent;

    int64_t Color() const { return color; }
    void SetColor(int64_t v) { color = static_cast<TColor>(v); }
    int64_t Kind() const { return kind; }
    void SetKind(int64_t v) { if (v >= 0 && v <= 2) kind = static_cast<int>(v); }
    int64_t Visible() const { return visible; }
    void SetVisible(int64_t v) { visible = v != 0; }
    int64_t Options() const { return options; }
    void SetOptions(int64_t v) { options = static_cast<uint32_t>(v); }
    std::string Caption() const { return caption; }
    void SetCaption(std::string_view v) { caption = v; }
    double Ratio() const { return ratio; }
    void SetRatio(double v) { ratio = v; }
    int64_t Letter() const { return letter; }
    void SetLetter(int64_t v) { letter = static_cast<char>(v); }
    int64_t Big() const { return big; }
    void SetBig(int64_t v) { big = v; }
    int64_t Locked() const { return 7; }
    TFont* FontObj() { return &font; }
    TBlob* BlobObj() { return &blob; }
    TPicture* PictureObj() { return &picture; }
    TBitmap* BitmapObj() { return &bitmap; }

    void SetParentComponent(TComponent* p) override { parent = p; }
    void Loaded() override {
        TComponent::Loaded();
        LoadedLog().push_back(Name());
    }

    TColor color = clBlack;
    int kind = 0;
    bool visible = true;
    uint32_t options = 0;
    std::string caption;
    double ratio = 0;
    char letter = 'a';
    int64_t big = 0;
    TFont font;
    TBlob blob;
    TPicture picture;
    TBitmap bitmap;
    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TComponent* parent = nullptr;
};

inline const TClassInfo& TWidget::StaticClass() {
    static const TPropInfo props[] = {
        OrdProp<&TWidget::Color, &TWidget::SetColor>("Color", TPropKind::Integer, ColorNames()),
        OrdProp<&TWidget::Kind, &TWidget::SetKind>("Kind", TPropKind::Enumeration, kKindNames),
        [] {
            TPropInfo p = OrdProp<&TWidget::Visible, &TWidget::SetVisible>("Visible", TPropKind::Enumeration, kBoolNames);
            p.hasDefault = true;
            p.defaultOrd = 1;
            return p;
        }(),
        OrdProp<&TWidget::Options, &TWidget::SetOptions>("Options", TPropKind::Set, kOptionNames),
        StrProp<&TWidget::Caption, &TWidget::SetCaption>("Caption"),
        [] {
            TPropInfo p{.name = "Ratio", .kind = TPropKind::Float};
            p.getFloat = [](const TObject& o) { return static_cast<const TWidget&>(o).ratio; };
            p.setFloat = [](TObject& o, double v) { static_cast<TWidget&>(o).ratio = v; };
            p.stored = [](const TObject& o) { return static_cast<const TWidget&>(o).ratio != 0; };
            return p;
        }(),
        OrdProp<&TWidget::Letter, &TWidget::SetLetter>("Letter", TPropKind::Char),
        [] {
            TPropInfo p = OrdProp<&TWidget::Big, &TWidget::SetBig>("Big", TPropKind::Int64);
            p.hasDefault = true;
            return p;
        }(),
        ObjProp<&TWidget::FontObj>("Font"),
        ObjProp<&TWidget::BlobObj>("Blob"),
        ObjProp<&TWidget::PictureObj>("Picture"),
        ObjProp<&TWidget::BitmapObj>("Bitmap"),
        OrdProp<&TWidget::Locked>("Locked"),
        EventProp<&TWidget::OnClick>("OnClick"),
        EventProp<&TWidget::OnMouseDown>("OnMouseDown"),
    };
    static const TClassInfo info{.name = "TWidget", .parent = &TComponent::StaticClass(), .props = props,
                                 .create = [](TComponent* o) -> TComponent* { return new TWidget(o); }};
    return info;
}

// A timer-like component: its handler arms it, after its interval.
class TTestTimer : public TComponent {
public:
    SKR_CLASS_INFO()
    using TComponent::TComponent;
    int64_t Enabled() const { return enabled; }
    void SetEnabled(int64_t v) { enabled = v != 0; }
    int64_t Interval() const { return interval; }
    void SetInterval(int64_t v) { if (v >= 0) interval = static_cast<uint32_t>(v); }
    void SetOnTimer(TNotifyEvent e) {
        OnTimer = std::move(e);
        armedWith = OnTimer ? static_cast<int64_t>(interval) : -1;
    }
    void Loaded() override {
        TComponent::Loaded();
        LoadedLog().push_back(Name());
    }

    bool enabled = true;
    uint32_t interval = 1000;
    int64_t armedWith = -1;  // the interval in force when a handler was bound
    TNotifyEvent OnTimer;
};

inline const TClassInfo& TTestTimer::StaticClass() {
    static const TPropInfo props[] = {
        [] {
            TPropInfo p = OrdProp<&TTestTimer::Enabled, &TTestTimer::SetEnabled>("Enabled", TPropKind::Enumeration, kBoolNames);
            p.hasDefault = true;
            p.defaultOrd = 1;
            return p;
        }(),
        [] {
            TPropInfo p = OrdProp<&TTestTimer::Interval, &TTestTimer::SetInterval>("Interval");
            p.hasDefault = true;
            p.defaultOrd = 1000;
            return p;
        }(),
        EventProp<&TTestTimer::OnTimer, &TTestTimer::SetOnTimer>("OnTimer"),
    };
    static const TClassInfo info{.name = "TTimer", .parent = &TComponent::StaticClass(), .props = props,
                                 .create = [](TComponent* o) -> TComponent* { return new TTestTimer(o); }};
    return info;
}

// A window-like root: handler table, component references, a client width
// that is only stored while loading and applied by its after-load step.
class TTestRoot : public TComponent {
public:
    SKR_CLASS_INFO()
    TTestRoot() : TComponent(nullptr) {}

    std::string Caption() const { return caption; }
    void SetCaption(std::string_view v) { caption = v; }
    int64_t ClientWidth() const { return clientWidth; }
    void SetClientWidth(int64_t v) {
        if (ComponentState() & csLoading) pendingWidth = v;
        else clientWidth = v;
    }
    int64_t Scaled() const { return scaled; }
    void SetScaled(int64_t v) { scaled = v != 0; }
    TFont* FontObj() { return &font; }

    void DefineProperties(TFiler& filer) override {
        TComponent::DefineProperties(filer);
        filer.DefineProperty(
            "TextHeight", [this](TValueReader& r) { textHeight = r.ReadInteger(); },
            [this](TValueWriter& w) { w.WriteInteger(textHeight); }, textHeight != 0);
    }
    void Loaded() override {
        TComponent::Loaded();
        if (pendingWidth >= 0) clientWidth = pendingWidth;
        pendingWidth = -1;
        LoadedLog().push_back(Name());
    }

    void FormCreate(TObject*) { ++creates; }
    void Widget1Click(TObject*) { ++clicks; }
    void Timer1Timer(TObject*) { ++ticks; }
    void FormMouseDown(TObject*, TMouseButton, TShiftState, int x, int) { lastX = x; }

    std::string caption;
    int64_t clientWidth = 0;
    int64_t pendingWidth = -1;
    bool scaled = true;
    int64_t textHeight = 0;
    TFont font;
    TNotifyEvent OnCreate;
    TMouseEvent OnMouseDown;
    int creates = 0, clicks = 0, ticks = 0, lastX = 0;
    TWidget* Widget1 = nullptr;
    TWidget* Widget2 = nullptr;
    TTestTimer* Timer1 = nullptr;
};

inline const TClassInfo& TTestRoot::StaticClass() {
    static const TPropInfo props[] = {
        StrProp<&TTestRoot::Caption, &TTestRoot::SetCaption>("Caption"),
        [] {
            TPropInfo p = OrdProp<&TTestRoot::ClientWidth, &TTestRoot::SetClientWidth>("ClientWidth");
            p.hasDefault = true;
            return p;
        }(),
        [] {
            TPropInfo p = OrdProp<&TTestRoot::Scaled, &TTestRoot::SetScaled>("Scaled", TPropKind::Enumeration, kBoolNames);
            p.hasDefault = true;
            p.defaultOrd = 1;
            return p;
        }(),
        ObjProp<&TTestRoot::FontObj>("Font"),
        EventProp<&TTestRoot::OnCreate>("OnCreate"),
        EventProp<&TTestRoot::OnMouseDown>("OnMouseDown"),
    };
    static const TMethodEntry methods[] = {
        NotifyMethod<&TTestRoot::FormCreate>("FormCreate"),
        NotifyMethod<&TTestRoot::Widget1Click>("Widget1Click"),
        NotifyMethod<&TTestRoot::Timer1Timer>("Timer1Timer"),
        MouseMethod<&TTestRoot::FormMouseDown>("FormMouseDown"),
    };
    static const TFieldEntry fields[] = {
        FieldRef<&TTestRoot::Widget1>("Widget1"),
        FieldRef<&TTestRoot::Widget2>("Widget2"),
        FieldRef<&TTestRoot::Timer1>("Timer1"),
    };
    static const TClassInfo info{.name = "TTestRoot", .parent = &TComponent::StaticClass(), .props = props,
                                 .methods = methods, .fields = fields};
    return info;
}

// Found only through the program-wide registry (no reference of the root).
class TGadget : public TComponent {
public:
    SKR_CLASS_INFO()
    using TComponent::TComponent;
};

inline const TClassInfo& TGadget::StaticClass() {
    static const TClassInfo info{.name = "TGadget", .parent = &TComponent::StaticClass(),
                                 .create = [](TComponent* o) -> TComponent* { return new TGadget(o); }};
    return info;
}

// Registers the classes and image kinds the tests name in streams.
inline void RegisterTestClasses() {
    RegisterComponentClass(TGadget::StaticClass());
    RegisterComponentClass(TBlob::StaticClass());  // registered, but no component
    RegisterGraphicKind("TFakeGraphic", []() -> std::unique_ptr<TGraphic> { return std::make_unique<TFakeGraphic>(); });
}

// Builds stream bytes by hand.
struct StreamBuilder {
    std::vector<uint8_t> b;

    StreamBuilder& Raw(std::initializer_list<uint8_t> bytes) { b.insert(b.end(), bytes); return *this; }
    StreamBuilder& Raw(const std::vector<uint8_t>& bytes) { b.insert(b.end(), bytes.begin(), bytes.end()); return *this; }
    StreamBuilder& Signature() { return Raw({'T', 'P', 'F', '0'}); }
    StreamBuilder& Short(std::string_view s) {
        b.push_back(static_cast<uint8_t>(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    StreamBuilder& Object(std::string_view cls, std::string_view name) { return Short(cls).Short(name); }
    StreamBuilder& Prop(std::string_view name) { return Short(name); }
    StreamBuilder& End() { return Raw({0}); }
    StreamBuilder& Int8(int8_t v) { return Raw({2, static_cast<uint8_t>(v)}); }
    StreamBuilder& Int16(int16_t v) { Raw({3}); test::Put16(b, static_cast<uint16_t>(v)); return *this; }
    StreamBuilder& U32(uint32_t v) { test::Put32(b, v); return *this; }
    StreamBuilder& Int32(int32_t v) { Raw({4}); return U32(static_cast<uint32_t>(v)); }
    StreamBuilder& Ident(std::string_view s) { Raw({7}); return Short(s); }
    StreamBuilder& Str(std::string_view s) { Raw({6}); return Short(s); }
    StreamBuilder& Set(std::initializer_list<std::string_view> names) {
        Raw({11});
        for (auto n : names) Short(n);
        return End();
    }
    StreamBuilder& Binary(const std::vector<uint8_t>& payload) {
        Raw({10});
        U32(static_cast<uint32_t>(payload.size()));
        return Raw(payload);
    }
};

// The Timer1 record exactly as the program's stream holds it (63 bytes).
inline const std::vector<uint8_t> kTimer1Record = {
    0x06, 0x54, 0x54, 0x69, 0x6D, 0x65, 0x72,                                      // "TTimer"
    0x06, 0x54, 0x69, 0x6D, 0x65, 0x72, 0x31,                                      // "Timer1"
    0x08, 0x49, 0x6E, 0x74, 0x65, 0x72, 0x76, 0x61, 0x6C, 0x03, 0xFA, 0x00,        // Interval Int16 250
    0x07, 0x4F, 0x6E, 0x54, 0x69, 0x6D, 0x65, 0x72,                                // OnTimer
    0x07, 0x0B, 0x54, 0x69, 0x6D, 0x65, 0x72, 0x31, 0x54, 0x69, 0x6D, 0x65, 0x72,  // Ident Timer1Timer
    0x04, 0x4C, 0x65, 0x66, 0x74, 0x02, 0x28,                                      // Left Int8 40
    0x03, 0x54, 0x6F, 0x70, 0x03, 0xB8, 0x00,                                      // Top Int16 184
    0x00, 0x00,                                                                    // ends
};

// The worked example's Timer1 (kTimer1Record): interval 250, its handler,
// designed at (40, 184).
inline TTestTimer* AddTimer1(TTestRoot& root) {
    auto* t = new TTestTimer(&root);
    t->SetName("Timer1");
    t->interval = 250;
    BindEventByName(*t, "OnTimer", root, "Timer1Timer");
    t->SetDesignPos(40, 184);
    return t;
}

// A window-like tree with every kind of value; blobSize sizes the payload
// of Widget1's Blob.Data (the benchmark makes it large).
inline void BuildRichTree(TTestRoot& root, size_t blobSize = 300) {
    root.SetName("Form1");
    root.caption = "Skrundle ver.1.2.0";
    root.SetClientWidth(385);
    root.scaled = false;
    root.font.SetCharset(128);
    root.font.SetHeight(-12);
    root.font.SetName("\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
    root.textHeight = 12;
    root.SetDesignPos(192, 107);
    BindEventByName(root, "OnCreate", root, "FormCreate");
    BindEventByName(root, "OnMouseDown", root, "FormMouseDown");

    auto* w1 = new TWidget(&root);
    w1->SetName("Widget1");
    w1->SetTag(8);
    w1->kind = 1;
    w1->visible = false;
    w1->options = 0b101;
    w1->caption = std::string(300, 'c');
    w1->ratio = 2.25;
    w1->letter = 'q';
    w1->big = int64_t{1} << 40;
    w1->blob.data.resize(blobSize);
    for (size_t i = 0; i < blobSize; ++i) w1->blob.data[i] = static_cast<uint8_t>(i * 7);
    auto g = std::make_unique<TFakeGraphic>();
    g->size = 7;
    w1->picture.SetGraphic(std::move(g));
    w1->SetDesignPos(40, 24);
    BindEventByName(*w1, "OnClick", root, "Widget1Click");

    AddTimer1(root);

    auto* w2 = new TWidget(&root);
    w2->SetName("Widget2");
    w2->SetTag(100000);
    w2->caption = std::string(255, 'd');
    w2->big = -5;
    w2->color = clWindowText;
}

// Whether a reading failure carries one of the texts the reader may raise:
// its own, core's naming errors, or the image kinds' payload errors.
inline bool IsKnownReaderError(std::string_view m) {
    static const std::string_view plain[] = {
        msg::InvalidStreamFormat, msg::ReadError,          msg::PropertyNotFound,
        msg::InvalidPropertyPath, msg::InvalidPropertyValue, msg::ReadOnlyProperty,
        "ビットマップイメージが不正です", "アイコンイメージが不正です",
    };
    for (std::string_view p : plain)
        if (m == p) return true;
    auto between = [&](std::string_view head, std::string_view tail) {
        return m.size() >= head.size() + tail.size() && m.substr(0, head.size()) == head &&
               m.substr(m.size() - tail.size()) == tail;
    };
    if (between("クラス ", " が見つかりません") || between("コンポーネント名に ''", "'' は使えません") ||
        between("コンポーネント名 ", " はすでに使われています") || between("", " に代入できません"))
        return true;
    const std::string_view jpeg = "JPEG エラー #";
    if (between(jpeg, "") && m.size() > jpeg.size() &&
        m.find_first_not_of("0123456789", jpeg.size()) == std::string_view::npos)
        return true;
    // A wrapped error; the stored property name may itself hold the separator.
    const std::string_view sep = " の読み込み中のエラー : ";
    for (size_t at = m.find(sep); at != std::string_view::npos; at = m.find(sep, at + 1))
        if (IsKnownReaderError(m.substr(at + sep.size()))) return true;
    return false;
}

}  // namespace skr::formdef_test
