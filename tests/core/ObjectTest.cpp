#include <gtest/gtest.h>

#include <memory>

#include "core/Component.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "core/Text.h"

namespace skr {
namespace {

class TPart : public TComponent {
public:
    SKR_CLASS_INFO()
    using TComponent::TComponent;
    int64_t Size() const { return size_; }
    void SetSize(int64_t v) { if (v >= 0) size_ = v; }
    TNotifyEvent OnPoke;

private:
    int64_t size_ = 1;
};

class TOwnerForm : public TComponent {
public:
    SKR_CLASS_INFO()
    using TComponent::TComponent;
    TPart* Left = nullptr;
    TPart* Right = nullptr;
    int pokes = 0;
    void Poked(TObject*) { ++pokes; }
};

const TClassInfo& TPart::StaticClass() {
    static const TPropInfo props[] = {
        OrdProp<&TPart::Size, &TPart::SetSize>("Size"),
        EventProp<&TPart::OnPoke>("OnPoke"),
    };
    static const TClassInfo info{.name = "TPart", .parent = &TComponent::StaticClass(), .props = props,
                                 .create = [](TComponent* o) -> TComponent* { return new TPart(o); }};
    return info;
}

const TClassInfo& TOwnerForm::StaticClass() {
    static const TMethodEntry methods[] = {NotifyMethod<&TOwnerForm::Poked>("Poked")};
    static const TFieldEntry fields[] = {FieldRef<&TOwnerForm::Left>("Left"), FieldRef<&TOwnerForm::Right>("Right")};
    static const TClassInfo info{
        .name = "TOwnerForm", .parent = &TComponent::StaticClass(), .methods = methods, .fields = fields};
    return info;
}

TEST(Component, NamingSetsOwnersReferenceAndDestroyingClearsIt) {
    TOwnerForm form(nullptr);
    auto* a = new TPart(&form);
    a->SetName("left");  // names compare without case
    EXPECT_EQ(form.Left, a);
    auto* b = new TPart(&form);
    b->SetName("Right");
    EXPECT_EQ(form.Right, b);
    delete b;
    EXPECT_EQ(form.Right, nullptr);
    EXPECT_EQ(form.ComponentCount(), 1u);
}

TEST(Component, RejectsInvalidAndDuplicateNames) {
    TOwnerForm form(nullptr);
    auto* a = new TPart(&form);
    a->SetName("Part1");
    auto* b = new TPart(&form);
    try {
        b->SetName("1Part");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "コンポーネント名に ''1Part'' は使えません");
    }
    try {
        b->SetName("PART1");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "コンポーネント名 PART1 はすでに使われています");
    }
    EXPECT_EQ(b->Name(), "");
}

TEST(Component, PropertiesFoundWithoutCaseInTypeInformationOrder) {
    TOwnerForm form(nullptr);
    auto* p = new TPart(&form);
    const TPropInfo* size = p->ClassInfo().FindProp("SIZE");
    ASSERT_NE(size, nullptr);
    size->setOrd(*p, 7);
    EXPECT_EQ(p->Size(), 7);
    size->setOrd(*p, -1);  // the setter ignores it
    EXPECT_EQ(p->Size(), 7);
    std::vector<std::string_view> order;
    p->ClassInfo().ForEachProp([&](const TPropInfo& pi) { order.push_back(pi.name); });
    EXPECT_EQ(order, (std::vector<std::string_view>{"Name", "Tag", "Size", "OnPoke"}));
}

TEST(Component, EventsBindToTheRootsHandlerByName) {
    TOwnerForm form(nullptr);
    auto* p = new TPart(&form);
    const TPropInfo* ev = p->ClassInfo().FindProp("OnPoke");
    EXPECT_FALSE(ev->bindEvent(*p, form, "Missing"));
    EXPECT_TRUE(ev->bindEvent(*p, form, "poked"));
    EXPECT_EQ(p->OnPoke.name, "Poked");
    p->OnPoke(p);
    EXPECT_EQ(form.pokes, 1);
    // Bound from code, a name that binds nothing raises.
    EXPECT_THROW(BindEventByName(*p, "OnPoke", form, "Missing"), EComponentError);
    EXPECT_THROW(BindEventByName(*p, "OnPush", form, "Poked"), EComponentError);
    BindEventByName(*p, "onpoke", form, "");
    EXPECT_FALSE(p->OnPoke);
}

TEST(Persistent, AssignFromUnrelatedOrNilRaisesConvertError) {
    TPart a(nullptr), b(nullptr);
    try {
        a.Assign(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "nil を TPart に代入できません");
    }
    EXPECT_THROW(a.Assign(&b), EConvertError);
}

TEST(Stream, ShortReadsRaiseAndNeverReadPastTheEnd) {
    const uint8_t bytes[] = {1, 2, 3};
    TSpanStream s(bytes);
    EXPECT_EQ(s.ReadU16(), 0x0201);
    EXPECT_THROW(s.ReadU16(), EReadError);
    TMemoryStream m;
    m.WriteBuffer(bytes, 3);
    m.SetPosition(1);
    m.WriteBuffer(bytes, 3);
    EXPECT_EQ(m.Size(), 4u);
}

TEST(Text, ShiftJisRoundTripAndCaseInsensitiveNames) {
    const std::string sjis = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
    EXPECT_EQ(ShiftJisToUtf8(sjis), "ＭＳ Ｐゴシック");
    EXPECT_EQ(Utf8ToShiftJis("ＭＳ Ｐゴシック"), sjis);
    EXPECT_EQ(ShiftJisToUtf8("\x82"), "\xEF\xBF\xBD");  // a cut multibyte character
    EXPECT_TRUE(SameText("clblack", "clBlack"));
    EXPECT_FALSE(SameText("clBlack", "clBlac"));
    EXPECT_TRUE(IsValidIdent("_a1"));
    EXPECT_FALSE(IsValidIdent(""));
    EXPECT_FALSE(IsValidIdent("a-b"));
}

}  // namespace
}  // namespace skr
