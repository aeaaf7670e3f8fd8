// A sprite strip written to a form definition and read back keeps its frame
// count and width, whichever of the two was set last.
#include <gtest/gtest.h>

#include "components/BmpList.h"
#include "formdef/FormReader.h"
#include "formdef/FormWriter.h"
#include "gfx/Bitmap.h"

namespace skr {
namespace {

class TStripHolder : public TComponent {
public:
    SKR_CLASS_INFO()
    using TComponent::TComponent;
    TBitmapList* Strip = nullptr;
};

const TClassInfo& TStripHolder::StaticClass() {
    static const TFieldEntry fields[] = {FieldRef<&TStripHolder::Strip>("Strip")};
    static const TClassInfo info{.name = "TStripHolder", .parent = &TComponent::StaticClass(), .fields = fields};
    return info;
}

TEST(StripStream, FrameCountAndWidthSurviveAWriteAndRead) {
    struct Case { bool widthLast; int64_t value; int numImages, width; };
    for (const Case c : {Case{true, 250, 2, 250}, Case{false, 4, 4, 150}, Case{true, 200, 3, 200}}) {
        TStripHolder source(nullptr);
        auto* strip = new TBitmapList(&source);
        strip->SetName("Strip");
        TBitmap image;
        image.SetSize(600, 23);
        strip->SetBitmap(&image);
        strip->SetNumImages(3);
        if (c.widthLast) strip->SetWidth(c.value);
        else strip->SetNumImages(c.value);
        ASSERT_EQ(strip->NumImages(), c.numImages);
        ASSERT_EQ(strip->Width(), c.width);
        const std::vector<uint8_t> stream = WriteRootComponent(source);

        TStripHolder copy(nullptr);
        ReadRootComponent(stream, copy);
        ASSERT_NE(copy.Strip, nullptr);
        EXPECT_EQ(copy.Strip->NumImages(), c.numImages);
        EXPECT_EQ(copy.Strip->Width(), c.width);
        EXPECT_EQ(copy.Strip->Height(), 23);
        EXPECT_EQ(WriteRootComponent(copy), stream);
    }
}

}  // namespace
}  // namespace skr
