// The Windows program (skrundle.exe) under Wine in a private Xvfb display,
// bare and under a window manager: its window, the blinking prompt, a real
// press starting a game, the start clip reaching the audio output, closing,
// and the fatal box of a program whose form definition is damaged.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "WholeGame.h"
#include "support/XSession.h"
#include "support/Files.h"

namespace skr::e2e {
namespace {

namespace fs = std::filesystem;

// Runs the Windows program under Wine: the prefix of its build folder, the
// sound going to an ALSA file output in a home of the test's own.
class WineProgram : public ::testing::Test {
protected:
    void SetUp() override {
        exe_ = SKRUNDLE_WIN32_PROGRAM;
        if (!fs::exists(exe_)) GTEST_SKIP() << exe_ << " is not built (scripts/win32.sh builds it)";
        wine_ = std::make_unique<WinePrefix>(exe_);
        ASSERT_TRUE(wine_->Ready());
        char tmpl[] = "/tmp/skr-wine-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        home_ = tmpl;
        sound_ = home_ / "sound.raw";
        std::ofstream(home_ / ".asoundrc") << "pcm.!default {\n  type file\n  slave.pcm \"null\"\n  file \""
                                           << sound_.string() << "\"\n  format \"raw\"\n}\n";
    }

    void TearDown() override {
        wine_.reset();
        std::error_code ec;
        if (!home_.empty()) fs::remove_all(home_, ec);
    }

    bool Launch(XSession& x, const std::string& exe) {
        std::vector<std::string> env = wine_->Env();
        env.push_back("HOME=" + home_.string());
        return x.Launch({"wine", exe}, env);
    }

    // Bytes of sound written so far that are not silence.
    size_t SoundBytes() const {
        const std::vector<uint8_t> bytes = test::TryReadFile(sound_.string()).value_or(std::vector<uint8_t>{});
        return static_cast<size_t>(std::count_if(bytes.begin(), bytes.end(), [](uint8_t c) { return c != 0; }));
    }

    std::string exe_;
    std::unique_ptr<WinePrefix> wine_;
    fs::path home_, sound_;
};

TEST_F(WineProgram, ShowsItsWindowBlinksStartsAGameWithSoundAndClosesWithExitCodeZero) {
    XSession x;
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    ASSERT_TRUE(Launch(x, exe_));
    const Window w = x.WaitForWindow("Skrundle ver.1.2.0", 60000);
    ASSERT_NE(w, 0u) << "the window did not appear";
    // Without a window manager Wine keeps the frame to itself: the client
    // lies inside the outer corner (192, 107) by the frame and caption.
    CheckPlacement(x, w, 3, 22);
    PlayTheOpening(x, w, [&] { return SoundBytes(); });
    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(20000), 0) << x.ProgramErrors();
}

TEST_F(WineProgram, UnderAWindowManagerTheFramesOuterCornerIsAtTheStoredPosition) {
    XSession x;
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    ASSERT_TRUE(x.StartWindowManager()) << "openbox did not start";
    ASSERT_TRUE(Launch(x, exe_));
    const Window w = x.WaitForWindow("Skrundle ver.1.2.0", 60000);
    ASSERT_NE(w, 0u);
    long extents[4] = {};
    int left, top, width, height;
    ASSERT_TRUE(x.PlacedGeometry(w, extents, left, top, width, height));
    EXPECT_GT(extents[2], 0) << "no caption bar";
    // Wine keeps the client where Windows puts it for an outer corner at
    // (192, 107), whatever frame the window manager draws around it.
    CheckPlacement(x, w, 3, 22);
    if (const char* shot = std::getenv("SKR_SCREENSHOT")) {
        const std::string cmd = "DISPLAY=" + x.DisplayName() + " import -window root '" + shot + "'";
        [[maybe_unused]] const int rc = std::system(cmd.c_str());
    }
    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(20000), 0) << x.ProgramErrors();
}

TEST_F(WineProgram, ADamagedFormDefinitionShowsTheFatalBoxAndExitsWithCodeOne) {
    // A copy of the program whose "TFORM1" resource no longer starts with
    // the stream's signature (the resource is the signature followed by the
    // window's class name; the reader's own code holds the signature too).
    std::vector<uint8_t> bytes = test::ReadFile(exe_);
    const std::string signature = "TPF0\x06TForm1";
    auto at = std::search(bytes.begin(), bytes.end(), signature.begin(), signature.end());
    ASSERT_NE(at, bytes.end());
    *at = 'X';
    ASSERT_EQ(std::search(at, bytes.end(), signature.begin(), signature.end()), bytes.end());
    const fs::path damaged = home_ / "damaged.exe";
    std::ofstream(damaged, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    XSession x;
    ASSERT_TRUE(x.Ready());
    ASSERT_TRUE(Launch(x, damaged.string()));
    const Window box = x.WaitForWindow("アプリケーション エラー", 60000);
    ASSERT_NE(box, 0u) << "no fatal error box";
    EXPECT_EQ(x.WaitForWindow("Skrundle ver.1.2.0", 0), 0u) << "the game's window was shown";
    // Closing the box (as its close button does) ends the program.
    x.RequestClose(box);
    int code = x.WaitExit(5000);
    if (code == -1) {
        x.PressKey("Return");
        code = x.WaitExit(20000);
    }
    EXPECT_EQ(code, 1);
}

}  // namespace
}  // namespace skr::e2e
