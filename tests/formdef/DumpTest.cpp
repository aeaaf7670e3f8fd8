#include <gtest/gtest.h>

#include "formdump/FormDump.h"
#include "TestClasses.h"

namespace skr::formdef_test {
namespace {

std::vector<uint8_t> Wave(uint32_t dataBytes) {
    StreamBuilder w;
    w.Raw({'R', 'I', 'F', 'F'}).U32(36 + dataBytes).Raw({'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}).U32(16);
    w.Raw({1, 0, 1, 0}).U32(22050).U32(44100).Raw({2, 0, 16, 0});
    w.Raw({'d', 'a', 't', 'a'}).U32(dataBytes);
    w.b.resize(w.b.size() + dataBytes);
    return w.b;
}

std::vector<uint8_t> Bmp(int32_t width, int32_t height) {
    StreamBuilder b;
    const uint32_t size = 14 + 40 + 16 * 4 + static_cast<uint32_t>(((width + 7) / 8 * 4) * height);
    b.Raw({'B', 'M'}).U32(size).U32(0).U32(14 + 40 + 64);
    b.U32(40).U32(static_cast<uint32_t>(width)).U32(static_cast<uint32_t>(height)).Raw({1, 0, 4, 0}).U32(0).U32(0);
    b.U32(2834).U32(2834).U32(16).U32(0);
    b.b.resize(size);
    return b.b;
}

TEST(Dump, ShowsOnePropertyPerLineWithItsTag) {
    StreamBuilder s;
    s.Signature().Object("TForm1", "Form1").Prop("Caption").Str("\x82\x6C\x82\x72").Prop("Font.Style").Set({})
        .Prop("BorderIcons").Set({"biSystemMenu", "biMinimize"}).Prop("Scaled").Raw({8}).End()
        .Raw(kTimer1Record).End();
    std::string text;
    ASSERT_TRUE(DumpFormStream(s.b, text)) << text;
    for (const char* line : {"object Form1: TForm1\n", "  Caption = String (4 bytes) 'ＭＳ'\n",
                             "  Font.Style = Set []\n", "  BorderIcons = Set [biSystemMenu, biMinimize]\n",
                             "  Scaled = False\n", "  object Timer1: TTimer\n", "    Interval = Int16 250 (0xFA)\n",
                             "    OnTimer = Ident Timer1Timer\n", "    Left = Int8 40 (0x28)\n",
                             "    Top = Int16 184 (0xB8)\n", "  end\nend\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
}

TEST(Dump, SummarisesPayloadsByKind) {
    EXPECT_NE(DescribeBinary(Wave(100)).find("WAVE 144 bytes, format 1, 1 channel, 22050 Hz, 16 bits, 100 data bytes, "
                                             "50 samples"),
              std::string::npos)
        << DescribeBinary(Wave(100));

    StreamBuilder bitmap;
    const std::vector<uint8_t> bmp = Bmp(600, 23);
    bitmap.U32(static_cast<uint32_t>(bmp.size())).Raw(bmp);
    EXPECT_NE(DescribeBinary(bitmap.b).find("600x23, 4 bpp"), std::string::npos) << DescribeBinary(bitmap.b);
    EXPECT_NE(DescribeBinary(std::vector<uint8_t>{0, 0, 0, 0}).find("empty bitmap"), std::string::npos);
    // Rows stored top-down have a negative height: INT32_MIN is shown by its
    // size without overflowing.
    std::vector<uint8_t> lowest = Bmp(8, 1);
    for (int i = 0; i < 4; ++i) lowest[22 + i] = i == 3 ? 0x80 : 0;
    StreamBuilder top;
    top.U32(static_cast<uint32_t>(lowest.size())).Raw(lowest);
    EXPECT_NE(DescribeBinary(top.b).find("8x2147483648, 4 bpp"), std::string::npos) << DescribeBinary(top.b);

    StreamBuilder jpeg;
    const std::vector<uint8_t> jfif = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xC0, 0, 17, 8, 0x01, 0x21,
                                       0x01, 0x81, 3, 1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1, 0xFF, 0xD9};
    jpeg.Short("TJPEGImage").U32(static_cast<uint32_t>(jfif.size())).Raw(jfif);
    const std::string j = DescribeBinary(jpeg.b);
    EXPECT_NE(j.find("picture of kind TJPEGImage: JPEG 29 bytes, 385x289, 3 components, 8-bit, baseline"),
              std::string::npos)
        << j;

    StreamBuilder icon;
    icon.Raw({0, 0, 1, 0, 1, 0, 32, 32, 16, 0, 0, 0, 0, 0}).U32(744).U32(22);
    icon.b.resize(766);
    EXPECT_NE(DescribeBinary(icon.b).find("icon 766 bytes, type 1, 1 image, first 32x32, 16 colours"),
              std::string::npos)
        << DescribeBinary(icon.b);

    // Inner lengths that disagree with the payload are reported, never followed.
    StreamBuilder lying;
    lying.U32(0xFFFFFF00).Raw({'B', 'M', 0, 0});
    EXPECT_NE(DescribeBinary(lying.b).find("exceeds"), std::string::npos);
}

TEST(Dump, ABadStreamEndsWithTheReadersMessageAndOffset) {
    StreamBuilder s;
    s.Signature().Object("TForm1", "Form1").Prop("Caption").Raw({6, 10, 'a'});
    std::string text;
    EXPECT_FALSE(DumpFormStream(s.b, text));
    EXPECT_NE(text.find("error at offset 27: ストリームからの読み込みエラー\n"), std::string::npos) << text;

    text.clear();
    EXPECT_FALSE(DumpFormStream(std::vector<uint8_t>{'T', 'P', 'F', '9'}, text));
    EXPECT_EQ(text, "error at offset 4: 不正なストリーム フォーマット\n");
}

}  // namespace
}  // namespace skr::formdef_test
