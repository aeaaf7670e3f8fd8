#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/BmpList.h"
#include "core/Exception.h"

namespace skr {
namespace {

// A strip whose every pixel is distinct: 0x00XXXYYY-like from its position.
uint32_t StripPixel(int x, int y) { return uint32_t(x) << 8 | uint32_t(y); }

TBitmap MakeStrip(int width, int height) {
    TBitmap b;
    b.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.Scanline(y)[x] = StripPixel(x, y);
    b.Modified();
    return b;
}

struct Strip {
    TBitmapList list{nullptr};
    explicit Strip(int width, int height = 4) {
        TBitmap b = MakeStrip(width, height);
        list.SetBitmap(&b);
    }
};

std::string DrawError(TBitmapList& list, TCanvas& canvas, int index) {
    try {
        list.Draw(canvas, 0, 0, index);
    } catch (const EInvalidOperation& e) {
        return e.Message();
    }
    return "";
}

TEST(BitmapList, NewStripHasDefaultsIgnoresSettersAndCannotDraw) {
    TBitmapList list(nullptr);
    EXPECT_EQ(list.NumImages(), 1);
    EXPECT_EQ(list.Width(), 0);
    EXPECT_EQ(list.Height(), 0);
    EXPECT_FALSE(list.Transparent());
    list.SetNumImages(3);
    list.SetWidth(10);
    EXPECT_EQ(list.NumImages(), 1);
    EXPECT_EQ(list.Width(), 0);
    TBitmap screen;
    screen.SetSize(8, 8);
    TCanvas canvas = screen.Canvas();
    for (int index : {0, 1, -1}) EXPECT_EQ(DrawError(list, canvas, index), "TBitmapList: Empty");
}

TEST(BitmapList, PublishedPropertiesInTypeInformationOrder) {
    std::vector<std::string_view> order;
    TBitmapList::StaticClass().ForEachProp([&](const TPropInfo& p) { order.push_back(p.name); });
    EXPECT_EQ(order, (std::vector<std::string_view>{"Name", "Tag", "Bitmap", "Height", "NumImages", "Transparent",
                                                    "Width", "OnChange"}));
    TBitmapList list(nullptr);
    const TClassInfo& info = list.ClassInfo();
    EXPECT_EQ(info.FindProp("Bitmap")->kind, TPropKind::Class);
    TObject& obj = list;
    EXPECT_EQ(info.FindProp("bitmap")->getObject(obj), list.Bitmap());  // the strip's own bitmap
    EXPECT_FALSE(info.FindProp("Height")->Writable());
    const TPropInfo* transparent = info.FindProp("Transparent");
    EXPECT_EQ(transparent->kind, TPropKind::Enumeration);
    ASSERT_EQ(transparent->names.size(), 2u);
    EXPECT_EQ(transparent->names[1].name, "True");
    transparent->setOrd(obj, 1);
    EXPECT_TRUE(list.Transparent());
    RegisterComponentClass(TBitmapList::StaticClass());
    ASSERT_EQ(FindRegisteredClass("tbitmaplist"), &TBitmapList::StaticClass());
    TComponent* made = TBitmapList::StaticClass().create(nullptr);
    EXPECT_EQ(made->ClassName(), "TBitmapList");
    delete made;
}

TEST(BitmapList, Strip600DividesByCountOrWidth) {
    Strip s(600);
    EXPECT_EQ(s.list.NumImages(), 1);
    EXPECT_EQ(s.list.Width(), 600);
    s.list.SetNumImages(3);
    EXPECT_EQ(s.list.Width(), 200);
    s.list.SetWidth(250);
    EXPECT_EQ(s.list.NumImages(), 2);
    s.list.SetNumImages(2);  // equal to the count: nothing
    EXPECT_EQ(s.list.Width(), 250);
    s.list.SetNumImages(4);
    EXPECT_EQ(s.list.Width(), 150);
}

TEST(BitmapList, Strip176RefusesValuesThatDoNotFit) {
    Strip s(176);
    s.list.SetNumImages(7);
    EXPECT_EQ(s.list.Width(), 25);
    for (int64_t bad : {int64_t(177), int64_t(0), int64_t(-1), int64_t(1) << 40}) {
        s.list.SetNumImages(bad);
        s.list.SetWidth(bad);
        EXPECT_EQ(s.list.NumImages(), 7);
        EXPECT_EQ(s.list.Width(), 25);
    }
    s.list.SetNumImages(176);
    EXPECT_EQ(s.list.Width(), 1);
}

TEST(BitmapList, WritingBitmapResetsFramesAndNotifiesOnce) {
    Strip s(600);
    std::vector<TObject*> senders;
    s.list.OnChange.handler = [&](TObject* sender) { senders.push_back(sender); };
    s.list.SetNumImages(3);
    s.list.SetTransparent(1);
    EXPECT_TRUE(senders.empty());  // setters do not notify

    TBitmap other = MakeStrip(176, 32);
    s.list.SetBitmap(&other);
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], &s.list);
    EXPECT_EQ(s.list.NumImages(), 1);
    EXPECT_EQ(s.list.Width(), 176);
    EXPECT_EQ(s.list.Height(), 32);
    EXPECT_NE(s.list.Bitmap(), &other);  // a copy; the caller keeps its own

    s.list.SetNumImages(11);
    s.list.Bitmap()->SetSize(50, 2);  // a change through the object itself
    EXPECT_EQ(senders.size(), 2u);
    EXPECT_EQ(s.list.NumImages(), 1);
    EXPECT_EQ(s.list.Width(), 50);

    s.list.SetBitmap(nullptr);
    EXPECT_EQ(senders.size(), 3u);
    EXPECT_TRUE(s.list.Bitmap()->Empty());
    EXPECT_EQ(s.list.NumImages(), 1);
    EXPECT_EQ(s.list.Width(), 0);
}

TEST(BitmapList, Strip1600OpaqueDrawChangesExactlyTheFramesPixels) {
    Strip s(1600, 64);
    s.list.SetNumImages(25);
    ASSERT_EQ(s.list.Width(), 64);
    TBitmap screen;
    screen.SetSize(385, 289);
    const uint32_t background = 0xABCDEF;
    for (int y = 0; y < 289; ++y)
        for (int x = 0; x < 385; ++x) screen.Scanline(y)[x] = background;
    TCanvas canvas = screen.Canvas();
    s.list.Draw(canvas, 100, 30, 24);  // the last frame: columns 1536..1599
    for (int y = 0; y < 289; ++y)
        for (int x = 0; x < 385; ++x) {
            const bool inside = x >= 100 && x < 164 && y >= 30 && y < 94;
            const uint32_t want = inside ? StripPixel(1536 + x - 100, y - 30) : background;
            ASSERT_EQ(screen.Scanline(y)[x], want) << x << "," << y;
        }
    EXPECT_EQ(canvas.Brush.Style, TBrushStyle::bsSolid);  // opaque drawing leaves the fill style
}

TEST(BitmapList, IndexOutOfRangeIsRejectedBeforeTouchingTheCanvas) {
    Strip s(600);
    s.list.SetWidth(250);  // two frames; columns 500..599 are never drawn
    TBitmap screen;
    screen.SetSize(300, 8);
    TCanvas canvas = screen.Canvas();
    EXPECT_EQ(DrawError(s.list, canvas, 2), "TBitmapList: Invalid Index");
    EXPECT_EQ(DrawError(s.list, canvas, -1), "TBitmapList: Invalid Index");
    EXPECT_EQ(DrawError(s.list, canvas, INT32_MIN), "TBitmapList: Invalid Index");
    EXPECT_TRUE(canvas.TakeChanged().Empty());
    EXPECT_EQ(DrawError(s.list, canvas, 1), "");
    EXPECT_EQ(screen.Scanline(0)[249], StripPixel(499, 0));
    EXPECT_EQ(screen.Scanline(0)[250], 0u);
}

TEST(BitmapList, TransparentDrawKeepsCanvasUnderKeyPixelsAndLeavesClearBrush) {
    TBitmap b = MakeStrip(20, 3);
    const uint32_t key = 0x00FF00;
    b.Scanline(2)[0] = key;  // bottom-left: the key colour
    b.Scanline(0)[12] = key;
    b.Modified();
    TBitmapList list(nullptr);
    list.SetBitmap(&b);
    list.SetNumImages(2);
    list.SetTransparent(1);
    TBitmap screen;
    screen.SetSize(10, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 10; ++x) screen.Scanline(y)[x] = 0x777777;
    TCanvas canvas = screen.Canvas();
    list.Draw(canvas, 0, 0, 1);
    EXPECT_EQ(canvas.Brush.Style, TBrushStyle::bsClear);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 10; ++x) {
            const uint32_t src = b.Scanline(y)[10 + x];
            EXPECT_EQ(screen.Scanline(y)[x], src == key ? 0x777777u : src) << x << "," << y;
        }
    EXPECT_EQ(screen.Scanline(0)[2], 0x777777u);  // the keyed pixel of frame 1
}

}  // namespace
}  // namespace skr
