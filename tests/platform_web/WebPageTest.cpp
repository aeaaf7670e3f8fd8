// What only a page does: the error box as a modal dialog the program waits
// on, the fatal start-up box and the program's end, and the voice (clips
// started in the turn they are played, one buffer for the same bytes; a
// layout left to the browser's decoder, whose request superseded while it
// decodes never sounds).
#include <emscripten.h>
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>

#include "app/Program.h"
#include "platform/web/WebPlatform.h"
#include "support/WaveImages.h"

// After `ms`, notes the open dialog (its texts, whether it is modal) in
// window.seenDialog and presses its button.
EM_JS(void, skr_test_answer_dialog_after, (int ms), {
    window.seenDialog = null;
    setTimeout(function() {
        var d = document.querySelector('dialog.skrundle-error');
        if (!d) return;
        window.seenDialog = {title: d.querySelector('h1').textContent, text: d.querySelector('p').textContent,
                             modal: d.matches(':modal')};
        d.querySelector('button').click();
    }, ms);
});
EM_JS(int, skr_test_dialog_field, (int which, char* out, int size), {
    var d = window.seenDialog;
    if (!d) return 0;
    stringToUTF8(which === 0 ? d.title : which === 1 ? d.text : String(d.modal ? 1 : 0), out, size);
    return 1;
});
EM_JS(int, skr_test_dialogs_open, (), { return document.querySelectorAll('dialog').length; });
EM_JS(int, skr_test_sound_count, (), { return Module['skrundle'].sounds.length; });
EM_JS(int, skr_test_sound_started, (int i), { return Module['skrundle'].sounds[i].started >= 0 ? 1 : 0; });
EM_JS(int, skr_test_sounding, (), { return Module['skrundle'].sounding; });
EM_JS(int, skr_test_clips, (), { return Object.keys(SkrWeb.clips).length; });

namespace skr {
namespace {

using namespace std::chrono;

platform::WindowSpec Window() {
    return platform::WindowSpec{.clientWidth = 385, .clientHeight = 289, .captionUtf8 = "Skrundle"};
}

std::string DialogField(int which) {
    char buffer[512] = {};
    return skr_test_dialog_field(which, buffer, sizeof buffer) ? std::string(buffer) : std::string("(no dialog)");
}

// Waits in the backend (letting the page run) for `ms`.
void Pause(platform::Platform& p, uint32_t ms) {
    const uint32_t start = p.TickCount();
    while (p.TickCount() - start < ms) {
        p.WaitEvent(ms - (p.TickCount() - start));
        platform::RawEvent e;
        while (p.PollEvent(e)) {
        }
    }
}

// Waits (as Pause) until the clip of `size` bytes sounds, for at most 3 s:
// the browser's decoder takes a while on a loaded machine.
bool AwaitSounding(platform::Platform& p, size_t size) {
    for (int i = 0; i < 150 && skr_test_sounding() != static_cast<int>(size); ++i) Pause(p, 20);
    return skr_test_sounding() == static_cast<int>(size);
}

TEST(WebPage, AnErrorBoxIsAModalDialogWithTheTextsThatTheProgramWaitsOn) {
    platform::WebPlatform p;
    ASSERT_TRUE(p.OpenWindow(Window()));
    p.Show(platform::ShowState::Normal);
    skr_test_answer_dialog_after(150);
    const auto before = steady_clock::now();
    p.ErrorBox("Skrundle", "読み込み中のエラー\n二行目");
    EXPECT_GE(duration_cast<milliseconds>(steady_clock::now() - before).count(), 140);
    EXPECT_EQ(DialogField(0), "Skrundle");
    EXPECT_EQ(DialogField(1), "読み込み中のエラー\n二行目");
    EXPECT_EQ(DialogField(2), "1") << "the dialog was not modal";
    EXPECT_EQ(skr_test_dialogs_open(), 0) << "the dialog stayed in the page";
}

TEST(WebPage, AFatalStartUpErrorShowsItsBoxAndTheProgramEndsWithExitCodeOne) {
    platform::WebPlatform p;
    skr_test_answer_dialog_after(100);
    const int code = RunProgram(p, []() -> TForm* { throw std::runtime_error("no window today"); });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(DialogField(0), "アプリケーション エラー");
    EXPECT_NE(DialogField(1).find("no window today"), std::string::npos) << DialogField(1);
}

TEST(WebPage, OneVoiceClipsStartAtOnceADecodedRequestSupersededMeanwhileNeverSoundsANullOneOnlyStops) {
    platform::WebPlatform p;
    ASSERT_TRUE(p.OpenWindow(Window()));
    // Half a second of quiet in 16 bits, and a quarter in 8: both start in
    // the turn they are played, the second replacing the first; the first's
    // bytes copied elsewhere are the same clip again.
    const std::vector<uint8_t> first = test::WaveImage(std::vector<uint8_t>(22050, 0x20)),
                               eight = test::WaveImage(std::vector<uint8_t>(5512, 0x80), {.bits = 8});
    int base = skr_test_sound_count();
    p.PlayWave(first.data(), first.size());
    EXPECT_EQ(skr_test_sound_started(base), 1) << "a 16-bit clip did not start at once";
    p.PlayWave(eight.data(), eight.size());
    EXPECT_EQ(skr_test_sound_started(base + 1), 1) << "an 8-bit clip did not start at once";
    EXPECT_EQ(skr_test_sounding(), static_cast<int>(eight.size()));
    const int clips = skr_test_clips();
    const std::vector<uint8_t> copy = first;
    p.PlayWave(copy.data(), copy.size());
    EXPECT_EQ(skr_test_sound_started(base + 2), 1);
    EXPECT_EQ(skr_test_clips(), clips) << "the same bytes made a second buffer";

    // 24-bit samples are left to the browser's decoder: a request that
    // comes while it decodes supersedes it.
    const std::vector<uint8_t> deep = test::WaveImage(std::vector<uint8_t>(33075, 0x20), {.bits = 24}),
                               second = test::WaveImage(std::vector<uint8_t>(33078, 0x20), {.bits = 24});
    base = skr_test_sound_count();
    p.PlayWave(deep.data(), deep.size());
    p.PlayWave(second.data(), second.size());
    EXPECT_TRUE(AwaitSounding(p, second.size())) << "the last clip did not start";
    ASSERT_EQ(skr_test_sound_count(), base + 2);
    EXPECT_EQ(skr_test_sound_started(base), 0) << "the superseded clip started";

    p.PlayWave(nullptr, 0);
    EXPECT_EQ(skr_test_sounding(), 0);
    EXPECT_EQ(skr_test_sound_count(), base + 2) << "a null request is no clip";

    // An image the WAVE reader refuses is not decoded, and stops too.
    p.PlayWave(second.data(), second.size());
    ASSERT_TRUE(AwaitSounding(p, second.size()));
    const uint8_t broken[] = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
    p.PlayWave(broken, sizeof broken);
    EXPECT_EQ(skr_test_sounding(), 0);
    EXPECT_EQ(skr_test_sound_count(), base + 3);
}

}  // namespace
}  // namespace skr
