// skr_assetgen <outdir>: writes the game's strips, pictures, sounds and icon
// into <outdir>, reads every file back and checks it against the layout
// facts the game relies on. Exits with 1 if anything fails.
#include "assetgen.h"
#include "support/Files.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>

using namespace assetgen;

namespace {

void save(const std::filesystem::path& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

int run(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    std::vector<std::string> failures;
    auto report = [&](const std::string& file, const std::vector<std::string>& f, const std::string& note) {
        std::cout << (f.empty() ? "ok    " : "FAIL  ") << file << "  " << note << "\n";
        failures.insert(failures.end(), f.begin(), f.end());
    };

    struct Strip {
        const char* name;
        IndexedImage (*make)();
        BmpParams params;
    };
    const Strip strips[] = {{"BitmapBlorp", makeBlorpStrip, {8, 256, 0, 0, 2834}},
                            {"BitmapClick", makeClickStrip, {4, 16, 0, 0, 2834}},
                            {"BitmapNumber", makeNumberStrip, {4, 5, 5, 5, 7872}}};
    for (const Strip& s : strips) {
        const std::filesystem::path path = dir / (std::string(s.name) + ".bmp");
        save(path, writeBmp(s.make(), s.params));
        const Bytes back = skr::test::ReadFile(path.string());
        report(path.filename().string(), verifyBmp(s.name, back), std::to_string(back.size()) + " bytes");
    }

    struct Picture {
        const char* name;
        std::size_t length;
    };
    const Picture pictures[] = {
        {"Iperfect", 40955}, {"Inobody", 44058}, {"Iwhy", 37443}, {"Iwinner", 40726}, {"Igoback", 40134}};
    for (const Picture& p : pictures) {
        const std::filesystem::path path = dir / (std::string(p.name) + ".jpg");
        int quality = 0;
        save(path, writeJpeg(makeResultPicture(p.name), p.length, &quality));
        const Bytes back = skr::test::ReadFile(path.string());
        report(path.filename().string(), verifyJpeg(p.name, back),
               std::to_string(back.size()) + " bytes, quality " + std::to_string(quality));
    }

    struct Clip {
        const char* name;
        std::size_t samples;
        bool fact;
    };
    const Clip clips[] = {
        {"WaveStart", 22458, false}, {"WaveBucha", 12875, false}, {"WaveBofu", 1944, false}, {"WaveEnd", 45933, true}};
    for (const Clip& c : clips) {
        const std::filesystem::path path = dir / (std::string(c.name) + ".wav");
        save(path, writeWav(makeSound(c.name, c.samples), c.fact));
        const Bytes back = skr::test::ReadFile(path.string());
        report(path.filename().string(), verifyWav(c.name, back), std::to_string(back.size()) + " bytes");
    }

    {
        const IndexedImage icon = makeIcon();
        IndexedImage colours = icon;
        std::vector<bool> mask(32 * 32, false);
        for (std::size_t i = 0; i < colours.idx.size(); ++i)
            if (colours.idx[i] == 0xFF) {
                colours.idx[i] = 0;
                mask[i] = true;
            }
        const std::filesystem::path path = dir / "Skrundle.ico";
        save(path, writeIco(colours, mask));
        const Bytes back = skr::test::ReadFile(path.string());
        report(path.filename().string(), verifyIco(back), std::to_string(back.size()) + " bytes");
    }

    for (const std::string& f : failures) std::cerr << "  " << f << "\n";
    if (!failures.empty()) {
        std::cerr << failures.size() << " fact(s) failed\n";
        return 1;
    }
    std::cout << "all facts hold\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: skr_assetgen <outdir>\n";
        return 2;
    }
    try {
        return run(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "skr_assetgen: " << e.what() << "\n";
        return 1;
    }
}
