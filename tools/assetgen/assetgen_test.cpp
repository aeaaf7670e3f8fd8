// The verifiers must reject files that break a layout fact, and the
// committed assets must be exactly what the generator produces.
#include "assetgen.h"

#include <gtest/gtest.h>

#include "support/Files.h"

using namespace assetgen;

namespace {

Bytes load(const std::string& file) { return skr::test::ReadFile(std::string(SKR_ASSETS_DIR) + "/" + file); }

void poke32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

TEST(AssetVerify, CommittedAssetsHoldEveryFact) {
    for (const char* n : {"BitmapBlorp", "BitmapClick", "BitmapNumber"})
        EXPECT_EQ(verifyBmp(n, load(std::string(n) + ".bmp")), std::vector<std::string>{}) << n;
    for (const char* n : {"Iperfect", "Inobody", "Iwhy", "Iwinner", "Igoback"})
        EXPECT_EQ(verifyJpeg(n, load(std::string(n) + ".jpg")), std::vector<std::string>{}) << n;
    for (const char* n : {"WaveStart", "WaveBucha", "WaveBofu", "WaveEnd"})
        EXPECT_EQ(verifyWav(n, load(std::string(n) + ".wav")), std::vector<std::string>{}) << n;
    EXPECT_EQ(verifyIco(load("Skrundle.ico")), std::vector<std::string>{});
}

TEST(AssetVerify, RejectsBrokenStrips) {
    const Bytes good = load("BitmapNumber.bmp");
    ASSERT_EQ(good.size(), 2890u);
    Bytes b = good;
    poke32(b, 46, 16); // colours used
    EXPECT_FALSE(verifyBmp("BitmapNumber", b).empty());
    b = good;
    b[54 + 4 * 3 + 2] = 118; // red 117 becomes 118
    EXPECT_FALSE(verifyBmp("BitmapNumber", b).empty());
    b = good;
    b[74 + 88 * 31] = 0x20; // a red pixel in the top border of frame 0
    EXPECT_FALSE(verifyBmp("BitmapNumber", b).empty());
    b = good;
    b.pop_back();
    EXPECT_FALSE(verifyBmp("BitmapNumber", b).empty());
    b = load("BitmapBlorp.bmp");
    b[1078 + 1600 * 10 + 5] = 1; // a white pixel in the empty cell
    EXPECT_FALSE(verifyBmp("BitmapBlorp", b).empty());
}

TEST(AssetVerify, RejectsBrokenPicturesAndClips) {
    const Bytes jpg = load("Iwhy.jpg");
    Bytes b = jpg;
    b[2 + 4 + 6] = 1; // JFIF version 1.01
    EXPECT_FALSE(verifyJpeg("Iwhy", b).empty());
    b = jpg;
    b.resize(b.size() - 2); // no end-of-image marker
    EXPECT_FALSE(verifyJpeg("Iwhy", b).empty());
    EXPECT_FALSE(verifyJpeg("Iperfect", jpg).empty()); // wrong length for that picture

    const Bytes wav = load("WaveEnd.wav");
    b = wav;
    poke32(b, 36 + 8, 45932); // fact sample count
    EXPECT_FALSE(verifyWav("WaveEnd", b).empty());
    b = wav;
    b.insert(b.end(), {0, 0}); // something after the data chunk
    EXPECT_FALSE(verifyWav("WaveEnd", b).empty());

    b = load("Skrundle.ico");
    b[8] = 0; // colour count
    EXPECT_FALSE(verifyIco(b).empty());
}

TEST(AssetWriters, JpegPaddingHitsAnyReachableLength) {
    Image img(385, 289);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) img.at(x, y) = rgb(x % 256, y % 256, (x * y) % 256);
    int q = 0;
    for (std::size_t target : {30000u, 30001u, 44058u}) {
        const Bytes b = writeJpeg(img, target, &q);
        EXPECT_EQ(b.size(), target);
        EXPECT_GT(q, 0);
    }
}

TEST(AssetWriters, GeneratorReproducesCommittedFiles) {
    // The cheap ones are rebuilt here; the whole set is compared by running
    // the generator (see README).
    EXPECT_EQ(writeBmp(makeClickStrip(), {4, 16, 0, 0, 2834}), load("BitmapClick.bmp"));
    EXPECT_EQ(writeBmp(makeNumberStrip(), {4, 5, 5, 5, 7872}), load("BitmapNumber.bmp"));
    EXPECT_EQ(writeWav(makeSound("WaveBofu", 1944), false), load("WaveBofu.wav"));
    EXPECT_EQ(writeWav(makeSound("WaveEnd", 45933), true), load("WaveEnd.wav"));
}
