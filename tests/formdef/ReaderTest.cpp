#include <gtest/gtest.h>

#include "core/Exception.h"
#include "core/Messages.h"
#include "core/Text.h"
#include "formdef/FormReader.h"
#include "formdef/Messages.h"
#include "TestClasses.h"

namespace skr::formdef_test {
namespace {

class Reader : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        LoadedLog().clear();
    }

    // A root record "Form1" with the given properties and children.
    static StreamBuilder Root(const StreamBuilder& props, const StreamBuilder& children = {}) {
        StreamBuilder s;
        s.Signature().Object("TForm1", "Form1").Raw(props.b).End().Raw(children.b).End();
        return s;
    }
    // One childless widget "Widget1" with the given properties.
    static StreamBuilder Widget(const StreamBuilder& props, std::string_view name = "Widget1") {
        StreamBuilder s;
        s.Object("TWidget", name).Raw(props.b).End().End();
        return s;
    }
    // Reads bytes that must fail; returns the message.
    static std::string Failure(const std::vector<uint8_t>& bytes, TTestRoot& root) {
        try {
            ReadRootComponent(bytes, root);
        } catch (const Exception& e) {
            return e.Message();
        }
        ADD_FAILURE() << "the stream was accepted";
        return {};
    }
    static std::string Wrapped(const char* object, const char* prop, const char* inner) {
        return Format(msg::PropertyException, object, ".", prop, inner);
    }
};

TEST_F(Reader, DecodesTheTimer1RecordOfTheWorkedExample) {
    ASSERT_EQ(kTimer1Record.size(), 63u);
    StreamBuilder s;
    s.Signature().Object("TForm1", "Form1").End().Raw(kTimer1Record).End();
    TTestRoot root;
    TSpanStream stream(s.b);
    ReadRootComponent(stream, root);

    EXPECT_EQ(stream.Position(), s.b.size());  // consumed to the last byte
    EXPECT_EQ(root.Name(), "Form1");
    ASSERT_NE(root.Timer1, nullptr);
    EXPECT_EQ(root.Timer1->Owner(), &root);
    EXPECT_EQ(root.Timer1->interval, 250u);
    EXPECT_EQ(root.Timer1->OnTimer.name, "Timer1Timer");
    EXPECT_EQ(root.Timer1->armedWith, 250);  // the handler came after the interval
    EXPECT_EQ(root.Timer1->DesignLeft(), 40);
    EXPECT_EQ(root.Timer1->DesignTop(), 184);
    root.Timer1->OnTimer(root.Timer1);
    EXPECT_EQ(root.ticks, 1);
    EXPECT_EQ(LoadedLog(), (std::vector<std::string>{"Form1", "Timer1"}));
    EXPECT_EQ(root.ComponentState() & (csLoading | csReading), 0u);
    EXPECT_EQ(root.Timer1->ComponentState() & (csLoading | csReading), 0u);
}

TEST_F(Reader, ReadsEveryPropertyKindByItsTags) {
    StreamBuilder p;
    p.Prop("color").Ident("clwindowtext")  // names and idents without case
        .Prop("KIND").Ident("WKSQUARE")
        .Prop("visible").Raw({8})  // False
        .Prop("Options").Set({"woBold", "WOWIDE", "woHigh", "woFar"})
        .Prop("Caption").Str("\x82\x6C\x82\x72")
        .Prop("Letter").Str("x")
        .Prop("Tag").Int16(0x00FA)
        .Prop("Font.Height").Int8(static_cast<int8_t>(0xF4))
        .Prop("Font.Charset").Ident("SHIFTJIS_CHARSET")
        .Prop("Font.Style").Raw({11, 0})  // the empty set
        .Prop("Ratio").Raw({5, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F})  // Extended 1.5
        .Prop("Big").Raw({19, 1, 0, 0, 0, 0, 0, 0, 0x80})
        .Prop("Left").Int32(-70000)
        .Prop("OnClick").Ident("widget1click")
        .Prop("OnMouseDown").Ident("FormMouseDown");
    TTestRoot root;
    root.font.SetStyle(0);
    ReadRootComponent(Root({}, Widget(p)).b, root);
    TWidget* w = root.Widget1;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->color, clWindowText);
    EXPECT_EQ(w->kind, 2);
    EXPECT_FALSE(w->visible);
    EXPECT_EQ(w->options, (1u << 0) | (1u << 2) | (1u << 31));
    EXPECT_EQ(w->caption, "\x82\x6C\x82\x72");
    EXPECT_EQ(w->letter, 'x');
    EXPECT_EQ(w->Tag(), 250);
    EXPECT_EQ(w->font.Height(), -12);
    EXPECT_EQ(w->font.Charset(), 128);
    EXPECT_EQ(w->font.Style(), 0u);
    EXPECT_DOUBLE_EQ(w->ratio, 1.5);
    EXPECT_EQ(w->big, static_cast<int64_t>(0x8000000000000001ull));
    EXPECT_EQ(w->DesignLeft(), static_cast<int16_t>(-70000));
    EXPECT_EQ(w->parent, &root);
    w->OnClick(w);
    w->OnMouseDown(w, TMouseButton::mbLeft, 0, 17, 3);
    EXPECT_EQ(root.clicks, 1);
    EXPECT_EQ(root.lastX, 17);
}

TEST_F(Reader, EmptyListsRootOfAnotherClassAndDefinedRootProperties) {
    StreamBuilder s;
    s.Signature().Object("TSomethingElse", "Main").End().End();  // empty property and child lists
    TTestRoot root;
    ReadRootComponent(s.b, root);
    EXPECT_EQ(root.Name(), "Main");
    EXPECT_EQ(root.ComponentCount(), 0u);

    TTestRoot root2;
    root2.font.SetStyle(5);
    ReadRootComponent(Root(StreamBuilder().Prop("Font.Style").Set({}).Prop("TextHeight").Int8(12)
                               .Prop("Top").Int8(107).Prop("Left").Int16(192)).b,
                      root2);
    EXPECT_EQ(root2.font.Style(), 0u);
    EXPECT_EQ(root2.textHeight, 12);
    EXPECT_EQ(root2.DesignLeft(), 192);
    EXPECT_EQ(root2.DesignTop(), 107);
}

TEST_F(Reader, ClientWidthStoredWhileLoadingIsAppliedAfterTheWholeStream) {
    StreamBuilder children;
    children.Raw(Widget({}, "Widget2").b).Raw(Widget({}, "Widget1").b);
    TTestRoot root;
    ReadRootComponent(Root(StreamBuilder().Prop("ClientWidth").Int16(385), children).b, root);
    EXPECT_EQ(root.clientWidth, 385);
    EXPECT_EQ(root.pendingWidth, -1);
    EXPECT_EQ(LoadedLog(), (std::vector<std::string>{"Form1", "Widget2", "Widget1"}));
    EXPECT_EQ(root.Components(0), root.Widget2);
}

TEST_F(Reader, RootTakesTheFirstFreeNumberedNameWhenAnotherWindowBearsIt) {
    const std::vector<std::string> taken = {"FORM1", "form1_1"};
    auto isTaken = [&](std::string_view n) {
        for (const auto& t : taken)
            if (SameText(t, n)) return true;
        return false;
    };
    TTestRoot root;
    ReadRootComponent(Root({}).b, root, isTaken);
    EXPECT_EQ(root.Name(), "Form1_2");
}

TEST_F(Reader, ClassesComeFromTheRootsReferencesThenTheRegistry) {
    StreamBuilder children;
    children.Object("tgadget", "Gadget1").End().End().Object("twidget", "Widget1").End().End();
    TTestRoot root;
    ReadRootComponent(Root({}, children).b, root);
    ASSERT_EQ(root.ComponentCount(), 2u);
    EXPECT_EQ(root.Components(0)->ClassName(), "TGadget");
    EXPECT_NE(root.Widget1, nullptr);
}

TEST_F(Reader, NestedChildRecordsAreOwnedByTheRootAndParentedToTheirRecord) {
    StreamBuilder children;
    children.Object("TWidget", "Widget1").End().Raw(Widget({}, "Widget2").b).End().End();
    TTestRoot root;
    ReadRootComponent(Root({}, children).b, root);
    ASSERT_NE(root.Widget2, nullptr);
    EXPECT_EQ(root.Widget2->Owner(), &root);
    EXPECT_EQ(root.Widget2->parent, root.Widget1);
    EXPECT_EQ(LoadedLog(), (std::vector<std::string>{"Form1", "Widget2", "Widget1"}));
}

TEST_F(Reader, FlagsPrefixAndNilEventAreRead) {
    StreamBuilder children;
    children.Raw({0xF2, 2, 3}).Object("TWidget", "Widget1").Prop("OnClick").Ident("Widget1Click")
        .Prop("OnClick").Raw({13}).End().End();
    TTestRoot root;
    ReadRootComponent(Root({}, children).b, root);
    ASSERT_NE(root.Widget1, nullptr);
    EXPECT_FALSE(root.Widget1->OnClick);
}

TEST_F(Reader, PayloadsReachTheirObjects) {
    std::vector<uint8_t> pictureOfFake = {12, 'T', 'F', 'a', 'k', 'e', 'G', 'r', 'a', 'p', 'h', 'i', 'c', 9};
    std::vector<uint8_t> unregistered = {10, 't', 'j', 'p', 'e', 'g', 'i', 'm', 'a', 'g', 'e', 1, 2, 3};
    TTestRoot root;
    ReadRootComponent(Root({}, Widget(StreamBuilder()
                                          .Prop("Blob.Data").Binary({1, 2, 3})
                                          .Prop("Picture.Data").Binary(pictureOfFake)
                                          .Prop("Bitmap.Data").Binary({0, 0, 0, 0})))
                          .b,
                      root);
    TWidget* w = root.Widget1;
    EXPECT_EQ(w->blob.data, (std::vector<uint8_t>{1, 2, 3}));
    ASSERT_NE(w->picture.Graphic(), nullptr);
    EXPECT_EQ(w->picture.Width(), 9);
    EXPECT_TRUE(w->bitmap.Empty());

    // An unregistered kind (the name compares with case) leaves the picture empty, without error.
    TTestRoot root2;
    ReadRootComponent(Root({}, Widget(StreamBuilder().Prop("Picture.Data").Binary(pictureOfFake)
                                          .Prop("Picture.Data").Binary(unregistered)
                                          .Prop("Caption").Str("after")))
                          .b,
                      root2);
    EXPECT_EQ(root2.Widget1->picture.Graphic(), nullptr);
    EXPECT_EQ(root2.Widget1->caption, "after");
}

TEST_F(Reader, EachFailureCarriesItsMessage) {
    struct Case {
        StreamBuilder stream;
        std::string message;
    };
    const std::vector<Case> cases = {
        {StreamBuilder().Raw({'T', 'P', 'F', '1', 0, 0, 0, 0}), msg::InvalidStreamFormat},
        {StreamBuilder().Signature().Object("TForm1", "Form1").End(), msg::ReadError},
        {Root({}, StreamBuilder().Object("TNope", "X").End().End()), "クラス TNope が見つかりません"},
        {Root({}, StreamBuilder().Object("TBlob", "X").End().End()), "クラス TBlob が見つかりません"},
        {Root({}, Widget({}, "1abc")), "コンポーネント名に ''1abc'' は使えません"},
        {Root({}, StreamBuilder().Raw(Widget({}).b).Raw(Widget({}, "WIDGET1").b)),
         "コンポーネント名 WIDGET1 はすでに使われています"},
        {Root({}, Widget(StreamBuilder().Prop("Nope").Int8(1))),
         Wrapped("Widget1", "Nope", msg::PropertyNotFound)},
        {Root({}, Widget(StreamBuilder().Prop("Nope.Name").Str("x"))),
         Wrapped("Widget1", "Nope.Name", msg::PropertyNotFound)},
        {Root({}, Widget(StreamBuilder().Prop("Font.Nope").Int8(1))),
         Wrapped("Widget1", "Font.Nope", msg::PropertyNotFound)},
        {Root({}, Widget(StreamBuilder().Prop("Caption.Name").Str("x"))),
         Wrapped("Widget1", "Caption.Name", msg::InvalidPropertyPath)},
        {Root({}, Widget(StreamBuilder().Prop("Kind").Ident("wkTriangle"))),
         Wrapped("Widget1", "Kind", msg::InvalidPropertyValue)},
        {Root({}, Widget(StreamBuilder().Prop("Color").Ident("clNope"))),
         Wrapped("Widget1", "Color", msg::InvalidPropertyValue)},
        {Root({}, Widget(StreamBuilder().Prop("Color").Str("0"))),
         Wrapped("Widget1", "Color", msg::InvalidPropertyValue)},
        {Root({}, Widget(StreamBuilder().Prop("Options").Set({"woNope"}))),
         Wrapped("Widget1", "Options", msg::InvalidPropertyValue)},
        {Root({}, Widget(StreamBuilder().Prop("OnClick").Ident("Missing"))),
         Wrapped("Widget1", "OnClick", msg::InvalidPropertyValue)},
        {Root({}, Widget(StreamBuilder().Prop("OnMouseDown").Ident("Widget1Click"))),  // wrong signature
         Wrapped("Widget1", "OnMouseDown", msg::InvalidPropertyValue)},
        {Root({}, Widget(StreamBuilder().Prop("Blob.Data").Int8(1))),
         Wrapped("Widget1", "Blob.Data", msg::InvalidPropertyValue)},
        {Root({}, Widget(StreamBuilder().Prop("Caption").Raw({0xC8}))),  // no such tag
         Wrapped("Widget1", "Caption", msg::InvalidPropertyValue)},
        {Root({}, Widget(StreamBuilder().Prop("Locked").Int8(1))),
         Wrapped("Widget1", "Locked", msg::ReadOnlyProperty)},
        {Root(StreamBuilder().Prop("Caption").Raw({12, 0xFF, 0xFF, 0xFF, 0xFF, 'a'})),  // LString longer than the rest
         Wrapped("Form1", "Caption", msg::ReadError)},
        {Root({}, Widget(StreamBuilder().Prop("Blob.Data").Raw({10, 0xF0, 0xFF, 0xFF, 0xFF, 1, 2}))),
         Wrapped("Widget1", "Blob.Data", msg::ReadError)},
    };
    for (const Case& c : cases) {
        TTestRoot root;
        EXPECT_EQ(Failure(c.stream.b, root), c.message);
    }
}

TEST_F(Reader, BadSignatureFailsBeforeAnythingIsTouched) {
    TTestRoot root;
    StreamBuilder s;
    s.Raw({'T', 'P', 'F', '1'}).Object("TForm1", "Form1").Prop("Caption").Str("x").End().Raw(Widget({}).b).End();
    EXPECT_EQ(Failure(s.b, root), msg::InvalidStreamFormat);
    EXPECT_EQ(root.Name(), "");
    EXPECT_EQ(root.caption, "");
    EXPECT_EQ(root.ComponentCount(), 0u);
}

TEST_F(Reader, WrappedErrorsKeepTheirKindAndNameTheClassOfAnUnnamedObject) {
    StreamBuilder s;
    s.Signature().Object("TForm1", "").Prop("OnCreate").Ident("Nothing").End().End();
    TTestRoot root;
    try {
        ReadRootComponent(s.b, root);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), Wrapped("TTestRoot", "OnCreate", msg::InvalidPropertyValue));
    }
}

TEST_F(Reader, AFailingComponentIsReleasedAndTheOnesBeforeItStay) {
    StreamBuilder children;
    children.Raw(Widget({}, "Widget1").b).Raw(Widget(StreamBuilder().Prop("Kind").Ident("bad"), "Widget2").b);
    TTestRoot root;
    Failure(Root({}, children).b, root);
    EXPECT_EQ(root.ComponentCount(), 1u);
    EXPECT_NE(root.Widget1, nullptr);
    EXPECT_EQ(root.Widget2, nullptr);  // its reference went with it
    EXPECT_TRUE(LoadedLog().empty());  // no after-load step runs after a failure
}

TEST_F(Reader, DeepNestingEndsInAnError) {
    StreamBuilder s;
    s.Signature().Object("TForm1", "Form1").End();
    for (int i = 0; i < 200; ++i) s.Object("TGadget", "G" + std::to_string(i)).End();
    for (int i = 0; i < 200; ++i) s.End();
    s.End();
    TTestRoot root;
    EXPECT_EQ(Failure(s.b, root), msg::InvalidStreamFormat);
}

}  // namespace
}  // namespace skr::formdef_test
