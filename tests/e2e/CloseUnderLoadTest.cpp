// The close request under CPU load: with the other core busy, every run of
// the program ends with exit code 0 on the one WM_DELETE_WINDOW it is sent,
// also while another X session starts at the same moment (as another test
// run on the same machine would start one).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <barrier>
#include <chrono>
#include <string>
#include <thread>

#include "support/XSession.h"

namespace skr::e2e {
namespace {

// Keeps one core busy for as long as it lives.
class BusyCore {
public:
    BusyCore() {
        pid_ = fork();
        if (pid_ != 0) return;
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        volatile unsigned long n = 0;
        for (;;) n = n + 1;
    }
    ~BusyCore() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    BusyCore(const BusyCore&) = delete;
    BusyCore& operator=(const BusyCore&) = delete;
    bool Running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

constexpr const char* kTitle = "Skrundle ver.1.2.0";

// How a run ended: the program's exit code, or why there was none.
constexpr int kNoDisplay = -100, kNoStart = -101, kNoWindow = -102, kNoPrompt = -103;

// Waits until the blinking prompt at (92, 200) has been drawn.
bool PromptShown(XSession& x, Window w) {
    for (int i = 0; i < 100; ++i) {
        const std::vector<uint32_t> area = x.CaptureArea(w, 92, 200, 200, 23);
        int lit = 0;
        for (uint32_t p : area) lit += p != 0;
        if (lit > 100) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// Starts the program, sends its window one close request (as soon as the
// window is shown, or once the prompt blinks) and waits for it to end.
int RunAndCloseOnce(XSession& x, bool afterPrompt) {
    if (!x.Ready()) return kNoDisplay;
    if (!x.Launch(SKRUNDLE_PROGRAM)) return kNoStart;
    const Window w = x.WaitForWindow(kTitle, 15000);
    if (w == 0) return kNoWindow;
    if (afterPrompt && !PromptShown(x, w)) return kNoPrompt;
    x.RequestClose(w);
    return x.WaitExit(5000);
}

TEST(CloseUnderLoad, EveryRunEndsOnItsOneCloseRequest) {
    BusyCore load;
    ASSERT_TRUE(load.Running());
    constexpr int kTries = 20;
    int ended = 0;
    for (int i = 0; i < kTries; ++i) {
        const bool afterPrompt = i % 2 == 1;
        XSession x;
        const int code = RunAndCloseOnce(x, afterPrompt);
        EXPECT_EQ(code, 0) << "run " << i << (afterPrompt ? " (closed while the prompt blinks)" : " (closed at once)");
        ended += code == 0;
    }
    EXPECT_EQ(ended, kTries);
}

TEST(CloseUnderLoad, EveryRunEndsOnItsOneCloseRequestWhileAnotherSessionStartsAtTheSameMoment) {
    BusyCore load;
    ASSERT_TRUE(load.Running());
    constexpr int kTries = 16;
    int ended = 0;
    for (int i = 0; i < kTries; ++i) {
        // Both sessions come up together; each then runs its own program.
        std::barrier started(2);
        int code[2] = {0, 0};
        std::string display[2];
        auto run = [&](int k) {
            XSession x;
            display[k] = x.DisplayName();
            started.arrive_and_wait();
            code[k] = RunAndCloseOnce(x, false);
        };
        std::thread other(run, 1);
        run(0);
        other.join();
        EXPECT_NE(display[0], display[1]) << "run " << i << ": both sessions on one display";
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(code[k], 0) << "run " << i << ", session " << k << " on " << display[k];
            ended += code[k] == 0;
        }
    }
    EXPECT_EQ(ended, 2 * kTries);
}

}  // namespace
}  // namespace skr::e2e
