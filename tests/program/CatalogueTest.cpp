// The program's own form definition, as embedded: every fact the program
// and its assets depend on, read straight from the bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Application.h"
#include "base/ByteOrder.h"
#include "app/Image.h"
#include "app/Timer.h"
#include "components/BmpList.h"
#include "components/WavePlay.h"
#include "game/Unit1.h"
#include "platform/Resources.h"
#include "platform/headless/HeadlessPlatform.h"

namespace skr {
namespace {


// One stored property: its name, value tag and value as text (integers in
// decimal, identifiers and strings as they are, sets as "[a,b]", Binary as
// its payload).
struct Prop {
    std::string name;
    int tag;
    std::string value;
    std::vector<uint8_t> binary;
};
struct Record {
    std::string className, name;
    std::vector<Prop> props;
};

// Walks the stream by its tags alone. An oracle: it reads the bytes with a
// reader of its own on purpose, not with the program's byte cursor, so a
// fault there cannot hide itself here. Every read is checked
// (std::out_of_range past the end).
class Walker {
public:
    explicit Walker(std::span<const uint8_t> b) : b_(b) {}
    size_t pos = 0;
    const uint8_t* Take(size_t n) {
        if (n > b_.size() - pos) throw std::out_of_range("the walker ran past the end of the stream");
        pos += n;
        return b_.data() + pos - n;
    }
    uint8_t U8() { return *Take(1); }
    std::string Short() {
        const uint8_t n = U8();
        return std::string(reinterpret_cast<const char*>(Take(n)), n);
    }
    Record Object() {
        Record r;
        r.className = Short();
        r.name = Short();
        for (std::string name = Short(); !name.empty(); name = Short()) {  // an empty name ends the list
            Prop p;
            p.name = name;
            p.tag = U8();
            switch (p.tag) {
                case 2: p.value = std::to_string(int8_t(U8())); break;
                case 3: p.value = std::to_string(int16_t(LoadLE16(Take(2)))); break;
                case 6: case 7: p.value = Short(); break;
                case 8: p.value = "False"; break;
                case 10: {
                    const uint32_t n = LoadLE32(Take(4));
                    const uint8_t* payload = Take(n);
                    p.binary.assign(payload, payload + n);
                    break;
                }
                case 11: {
                    p.value = "[";
                    for (std::string e = Short(); !e.empty(); e = Short()) p.value += (p.value.size() > 1 ? "," : "") + e;
                    p.value += "]";
                    break;
                }
                default: ADD_FAILURE() << "unexpected tag " << p.tag << " for " << p.name;
            }
            r.props.push_back(std::move(p));
        }
        return r;
    }

private:
    std::span<const uint8_t> b_;
};

std::string Tags(const Record& r) {
    static const char* names[] = {"Null", "List", "Int8", "Int16", "Int32", "Extended", "String", "Ident",
                                  "False", "True", "Binary", "Set"};
    std::string out;
    for (const Prop& p : r.props) out += p.name + ":" + names[p.tag] + "=" + (p.tag == 10 ? std::to_string(p.binary.size()) : p.value) + " ";
    return out;
}

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override {
        bytes = platform::FindProgramResource("tform1");  // found without regard to case
        ASSERT_FALSE(bytes.empty());
        ASSERT_EQ(std::memcmp(bytes.data(), "TPF0", 4), 0);
        Walker w(bytes);
        w.pos = 4;
        records.push_back(w.Object());
        while (bytes[w.pos] != 0) {
            records.push_back(w.Object());
            EXPECT_EQ(bytes[w.pos], 0);  // each child has an empty child list
            ++w.pos;
        }
        ++w.pos;
        consumed = w.pos;
    }
    const Prop& Get(const std::string& object, const std::string& prop) {
        for (const Record& r : records)
            if (r.name == object)
                for (const Prop& p : r.props)
                    if (p.name == prop) return p;
        static Prop none;
        ADD_FAILURE() << object << "." << prop << " missing";
        return none;
    }
    std::span<const uint8_t> bytes;
    std::vector<Record> records;
    size_t consumed = 0;
};

TEST_F(Catalogue, FourteenObjectsInOrderConsumingTheWholeStream) {
    EXPECT_EQ(consumed, bytes.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 3, bytes.end()), (std::vector<uint8_t>{0, 0, 0}));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"TForm1", "Form1"},         {"TImage", "Iperfect"},          {"TImage", "Inobody"},
        {"TImage", "Iwhy"},          {"TImage", "Iwinner"},           {"TImage", "Igoback"},
        {"TBitmapList", "BitmapBlorp"}, {"TBitmapList", "BitmapClick"}, {"TBitmapList", "BitmapNumber"},
        {"TTimer", "Timer1"},        {"TWavePlayer", "WaveStart"},    {"TWavePlayer", "WaveBucha"},
        {"TWavePlayer", "WaveBofu"}, {"TWavePlayer", "WaveEnd"}};
    ASSERT_EQ(records.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(records[i].className, expected[i].first);
        EXPECT_EQ(records[i].name, expected[i].second);
    }
}

TEST_F(Catalogue, EveryPropertyWithItsTagAndValue) {
    EXPECT_EQ(Tags(records[0]),
              "Left:Int16=192 Top:Int8=107 BorderIcons:Set=[biSystemMenu,biMinimize] BorderStyle:Ident=bsSingle "
              "Caption:String=Skrundle ver.1.2.0 ClientHeight:Int16=289 ClientWidth:Int16=385 Color:Ident=clBlack "
              "Font.Charset:Ident=SHIFTJIS_CHARSET Font.Color:Ident=clWindowText Font.Height:Int8=-12 "
              "Font.Name:String=\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E Font.Style:Set=[] "
              "Icon.Data:Binary=766 OldCreateOrder:False=False Scaled:False=False OnCreate:Ident=FormCreate "
              "OnMouseDown:Ident=FormMouseDown OnPaint:Ident=FormPaint PixelsPerInch:Int8=96 TextHeight:Int8=12 ");
    const char* pictures[] = {"Iperfect", "Inobody", "Iwhy", "Iwinner", "Igoback"};
    const int lengths[] = {40970, 44073, 37458, 40741, 40149};
    for (int i = 0; i < 5; ++i) {
        const std::string tag = i == 1 ? "Tag:Int8=8 " : "";
        EXPECT_EQ(Tags(records[1 + i]), tag + "Left:Int8=0 Top:Int8=0 Width:Int16=385 Height:Int16=289 Picture.Data:Binary=" +
                                            std::to_string(lengths[i]) + " Visible:False=False OnClick:Ident=" +
                                            pictures[i] + "Click ");
    }
    EXPECT_EQ(Tags(records[6]), "Bitmap.Data:Binary=103482 NumImages:Int8=25 Transparent:False=False Width:Int8=64 Left:Int8=40 Top:Int8=24 ");
    EXPECT_EQ(Tags(records[7]), "Bitmap.Data:Binary=7022 NumImages:Int8=3 Transparent:False=False Width:Int16=200 Left:Int8=40 Top:Int8=64 ");
    EXPECT_EQ(Tags(records[8]), "Bitmap.Data:Binary=2894 NumImages:Int8=11 Transparent:False=False Width:Int8=16 Left:Int8=40 Top:Int16=144 ");
    EXPECT_EQ(Tags(records[9]), "Interval:Int16=250 OnTimer:Ident=Timer1Timer Left:Int8=40 Top:Int16=184 ");
    EXPECT_EQ(Tags(records[10]), "Wave.Data:Binary=44960 Left:Int8=80 Top:Int8=24 ");
    EXPECT_EQ(Tags(records[11]), "Wave.Data:Binary=25794 Left:Int8=80 Top:Int8=64 ");
    EXPECT_EQ(Tags(records[12]), "Wave.Data:Binary=3932 Left:Int8=80 Top:Int8=104 ");
    EXPECT_EQ(Tags(records[13]), "Wave.Data:Binary=91922 Left:Int8=80 Top:Int16=144 ");
}

TEST_F(Catalogue, TheIconIsTheProgramsOwnAndLaidOutAsListed) {
    const std::vector<uint8_t>& ico = Get("Form1", "Icon.Data").binary;
    ASSERT_EQ(ico.size(), 766u);
    // The program's icon resource holds the same image. Where it is a real
    // Windows icon group, the directory's planes and bit count come back as
    // the resource compiler fills them in from the image (1 and 4).
    const std::span<const uint8_t> mainIcon = platform::FindProgramResource("MAINICON");
    ASSERT_EQ(mainIcon.size(), ico.size());
    EXPECT_TRUE(std::equal(ico.begin(), ico.begin() + 10, mainIcon.begin()));
    EXPECT_TRUE(std::equal(ico.begin() + 14, ico.end(), mainIcon.begin() + 14));
    const uint16_t planes = LoadLE16(&mainIcon[10]), bits = LoadLE16(&mainIcon[12]);
    EXPECT_TRUE((planes == 0 && bits == 0) || (planes == 1 && bits == 4)) << planes << " planes, " << bits << " bits";
    EXPECT_EQ(LoadLE16(&ico[0]), 0);
    EXPECT_EQ(LoadLE16(&ico[2]), 1);
    EXPECT_EQ(LoadLE16(&ico[4]), 1);
    EXPECT_EQ(std::vector<uint8_t>(ico.begin() + 6, ico.begin() + 10), (std::vector<uint8_t>{32, 32, 16, 0}));
    EXPECT_EQ(LoadLE16(&ico[10]), 0);
    EXPECT_EQ(LoadLE16(&ico[12]), 0);
    EXPECT_EQ(LoadLE32(&ico[14]), 744u);
    EXPECT_EQ(LoadLE32(&ico[18]), 22u);
    const uint8_t* h = &ico[22];
    EXPECT_EQ(LoadLE32(h), 40u);
    EXPECT_EQ(LoadLE32(h + 4), 32u);
    EXPECT_EQ(LoadLE32(h + 8), 64u);
    EXPECT_EQ(LoadLE16(h + 12), 1);
    EXPECT_EQ(LoadLE16(h + 14), 4);
    EXPECT_EQ(LoadLE32(h + 16), 0u);
    EXPECT_EQ(LoadLE32(h + 20), 640u);
    EXPECT_EQ(22u + 40 + 64 + 512 + 128, ico.size());
}

TEST_F(Catalogue, SpriteStripsKeepTheirHeadersAndColourTables) {
    struct Fact { const char* name; uint32_t size, w, h, bpp, offset, ppm, used; std::vector<uint32_t> table; };
    std::vector<uint32_t> click = {0x000000, 0xFFFFFF};
    for (int r : {252, 220, 180, 152, 133, 111, 91, 78, 62, 45, 29, 17, 9, 3}) click.push_back(uint32_t(r) << 16);
    const Fact facts[] = {
        {"BitmapBlorp", 103478, 1600, 64, 8, 1078, 2834, 0, {0x000000, 0xFFFFFF}},
        {"BitmapClick", 7018, 600, 23, 4, 118, 2834, 0, click},
        {"BitmapNumber", 2890, 176, 32, 4, 74, 7872, 5, {0x000000, 0xFFFFFF, 0xFF0000, 0x750000, 0xFFFFFF}},
    };
    for (const Fact& f : facts) {
        SCOPED_TRACE(f.name);
        const std::vector<uint8_t>& d = Get(f.name, "Bitmap.Data").binary;
        ASSERT_EQ(d.size(), f.size + 4);
        EXPECT_EQ(LoadLE32(&d[0]), f.size);
        const uint8_t* b = &d[4];
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(LoadLE32(b + 2), f.size);
        EXPECT_EQ(LoadLE32(b + 6), 0u);
        EXPECT_EQ(LoadLE32(b + 10), f.offset);
        EXPECT_EQ(LoadLE32(b + 14), 40u);
        EXPECT_EQ(LoadLE32(b + 18), f.w);
        EXPECT_EQ(LoadLE32(b + 22), f.h);
        EXPECT_EQ(LoadLE16(b + 26), 1);
        EXPECT_EQ(LoadLE16(b + 28), f.bpp);
        EXPECT_EQ(LoadLE32(b + 30), 0u);
        const uint32_t row = (f.w * f.bpp + 31) / 32 * 4;
        EXPECT_EQ(f.offset + row * f.h, f.size);
        EXPECT_EQ(LoadLE32(b + 38), f.ppm);
        EXPECT_EQ(LoadLE32(b + 42), f.ppm);
        EXPECT_EQ(LoadLE32(b + 46), f.used);
        if (f.used) {
            EXPECT_EQ(LoadLE32(b + 50), f.used);
        }
        for (size_t i = 0; i < f.table.size(); ++i) EXPECT_EQ(LoadLE32(b + 54 + 4 * i) & 0xFFFFFF, f.table[i]) << i;
        EXPECT_EQ(f.offset, 54 + 4 * (f.bpp == 8 ? 256u : f.used ? f.used : 16u));
        // The bottom-left pixel is palette entry 0, black.
        const uint8_t first = b[f.offset];
        EXPECT_EQ(f.bpp == 8 ? first : first >> 4, 0);
    }
}

TEST_F(Catalogue, PicturesAreBaselineJfifWithRestartIntervals) {
    const char* pictures[] = {"Iperfect", "Inobody", "Iwhy", "Iwinner", "Igoback"};
    const uint32_t jpegLength[] = {40955, 44058, 37443, 40726, 40134};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(pictures[i]);
        const std::vector<uint8_t>& d = Get(pictures[i], "Picture.Data").binary;
        ASSERT_EQ(d.size(), 15u + jpegLength[i]);
        EXPECT_EQ(std::string(d.begin(), d.begin() + 11), "\x0ATJPEGImage");
        EXPECT_EQ(LoadLE32(&d[11]), jpegLength[i]);
        const uint8_t* j = &d[15];
        const size_t n = jpegLength[i];
        EXPECT_EQ(j[0], 0xFF);
        EXPECT_EQ(j[1], 0xD8);
        EXPECT_EQ(j[n - 2], 0xFF);
        EXPECT_EQ(j[n - 1], 0xD9);
        std::map<int, int> markers;
        bool jfif = false, adobe = false;
        size_t pos = 2;
        while (pos + 4 <= n && j[pos] == 0xFF && j[pos + 1] != 0xDA) {
            const int m = j[pos + 1];
            const size_t len = size_t(j[pos + 2]) << 8 | j[pos + 3];
            const uint8_t* s = j + pos + 4;
            ++markers[m];
            if (m == 0xE0) {
                jfif = std::memcmp(s, "JFIF\0", 5) == 0 && s[5] == 1 && s[6] == 2 && s[7] == 1 && (s[8] << 8 | s[9]) == 96 &&
                       (s[10] << 8 | s[11]) == 96 && s[12] == 0 && s[13] == 0;
            }
            if (m == 0xEE) adobe = std::memcmp(s, "Adobe", 5) == 0 && (s[5] << 8 | s[6]) == 100 && s[11] == 1;
            if (m == 0xDD) {
                EXPECT_EQ(s[0] << 8 | s[1], 49);
            }
            if (m == 0xC0) {
                EXPECT_EQ(s[0], 8);
                EXPECT_EQ(s[1] << 8 | s[2], 289);
                EXPECT_EQ(s[3] << 8 | s[4], 385);
                ASSERT_EQ(s[5], 3);
                for (int c = 0; c < 3; ++c) {
                    EXPECT_EQ(s[6 + 3 * c + 1], 0x11);
                    EXPECT_EQ(s[6 + 3 * c + 2], c == 0 ? 0 : 1);
                }
            }
            pos += 2 + len;
        }
        EXPECT_TRUE(jfif);
        EXPECT_TRUE(adobe);
        EXPECT_EQ(markers[0xC0], 1);  // baseline
        EXPECT_EQ(markers[0xDD], 1);
        EXPECT_GE(markers[0xDB] + markers[0xC4], 2);
        ASSERT_LT(pos + 4, n);
        EXPECT_EQ(j[pos + 4], 3);  // one interleaved scan of all three components
    }
}

TEST_F(Catalogue, SoundClipsArePcmMonoWithTheListedChunks) {
    struct Fact { const char* name; uint32_t riff, data; bool fact; };
    const Fact facts[] = {{"WaveStart", 44952, 44916, false}, {"WaveBucha", 25786, 25750, false},
                          {"WaveBofu", 3924, 3888, false},    {"WaveEnd", 91914, 91866, true}};
    for (const Fact& f : facts) {
        SCOPED_TRACE(f.name);
        const std::vector<uint8_t>& w = Get(f.name, "Wave.Data").binary;
        ASSERT_EQ(w.size(), f.riff + 8);
        EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
        EXPECT_EQ(LoadLE32(&w[4]), f.riff);
        EXPECT_EQ(std::string(w.begin() + 8, w.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(LoadLE32(&w[16]), 16u);
        EXPECT_EQ(LoadLE16(&w[20]), 1);
        EXPECT_EQ(LoadLE16(&w[22]), 1);
        EXPECT_EQ(LoadLE32(&w[24]), 22050u);
        EXPECT_EQ(LoadLE32(&w[28]), 44100u);
        EXPECT_EQ(LoadLE16(&w[32]), 2);
        EXPECT_EQ(LoadLE16(&w[34]), 16);
        size_t at = 36;
        if (f.fact) {
            EXPECT_EQ(std::string(w.begin() + 36, w.begin() + 40), "fact");
            EXPECT_EQ(LoadLE32(&w[40]), 4u);
            EXPECT_EQ(LoadLE32(&w[44]), f.data / 2);
            at = 48;
        }
        EXPECT_EQ(std::string(w.begin() + long(at), w.begin() + long(at) + 4), "data");
        EXPECT_EQ(LoadLE32(&w[at + 4]), f.data);
        EXPECT_EQ(at + 8 + f.data, w.size());  // nothing follows the data chunk
    }
}

TEST(EmbeddedForm, ReadsIntoTheWindowWithHiddenOpaquePicturesAndARunningTimer) {
    platform::HeadlessPlatform p;
    TApplication app(p);
    TForm* form = BuildForm1();
    ASSERT_EQ(form, Form1);
    EXPECT_EQ(Form1->ClientWidth(), 385);
    EXPECT_EQ(Form1->Caption(), "Skrundle ver.1.2.0");
    EXPECT_TRUE(p.WindowCreated());
    EXPECT_EQ(p.Window().left, 192);
    EXPECT_EQ(p.Window().top, 107);
    for (TImage* pic : {Form1->Iperfect, Form1->Inobody, Form1->Iwhy, Form1->Iwinner, Form1->Igoback}) {
        EXPECT_FALSE(pic->Visible());
        EXPECT_EQ(pic->BoundsRect(), (TRect{0, 0, 385, 289}));
        EXPECT_TRUE(pic->Opaque());
        EXPECT_EQ(pic->Picture()->Width(), 385);
        EXPECT_EQ(pic->Picture()->Height(), 289);
    }
    EXPECT_EQ(Form1->Inobody->Tag(), 8);
    EXPECT_TRUE(Form1->Timer1->Running());
    EXPECT_EQ(Form1->Timer1->Interval(), 250);
    EXPECT_EQ(Form1->Timer1->OnTimer.name, "Timer1Timer");
    EXPECT_EQ(Form1->BitmapBlorp->NumImages(), 25);
    EXPECT_EQ(Form1->BitmapBlorp->Width(), 64);
    EXPECT_EQ(Form1->BitmapClick->Width(), 200);
    EXPECT_EQ(Form1->BitmapNumber->Width(), 16);
    EXPECT_EQ(Form1->WaveEnd->Wave()->Memory()[0], 'R');
}

}  // namespace
}  // namespace skr
