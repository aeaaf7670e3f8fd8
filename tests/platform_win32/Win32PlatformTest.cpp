// The Win32 backend in a real window (run under Wine in CI): the shared
// backend behaviour with window messages as input, and what is Windows'
// own: the frame and placement, the launcher's show request, minimising,
// the program's resources and module name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Resources.h"
#include "platform/win32/Win32Platform.h"
#include "support/BackendContract.h"
#include "support/Files.h"

namespace skr {
namespace {

using platform::Win32Platform;

class Win32Driver {
public:
    platform::Platform& Platform() { return platform_; }
    bool Open(const platform::WindowSpec& spec) { return contract::OpenShown(platform_, spec); }
    HWND Window() const { return static_cast<HWND>(platform_.NativeWindow()); }

    void Press(platform::Button b, int x, int y, bool down, uint32_t modifiers) {
        WPARAM keys = 0;
        if (modifiers & platform::kShift) keys |= MK_SHIFT;
        if (modifiers & platform::kCtrl) keys |= MK_CONTROL;
        UINT message = 0;
        switch (b) {
            case platform::Button::Left: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
            case platform::Button::Right: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
            case platform::Button::Middle: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        }
        PostMessageA(Window(), message, keys, Point(x, y));
    }
    void Move(int x, int y) { PostMessageA(Window(), WM_MOUSEMOVE, 0, Point(x, y)); }
    // The close entry of the system menu; the default handling asks with WM_CLOSE.
    void RequestClose() { PostMessageA(Window(), WM_SYSCOMMAND, SC_CLOSE, 0); }
    bool WindowExists() { return IsWindow(Window()) != FALSE; }
    void Invalidate(const TRect& r) {
        const RECT rect{r.left, r.top, r.right, r.bottom};
        InvalidateRect(Window(), &rect, FALSE);
    }
    uint32_t PixelOnWindow(int x, int y) {
        HDC dc = GetDC(Window());
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(Window(), dc);
        return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
    }

private:
    static LPARAM Point(int x, int y) {
        return MAKELPARAM(static_cast<WORD>(static_cast<int16_t>(x)), static_cast<WORD>(static_cast<int16_t>(y)));
    }
    Win32Platform platform_;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, BackendContract, ::testing::Types<Win32Driver>);
}

namespace {

TEST(Win32Window, HasAFixedFrameItsClientSizeItsOuterCornerAtTheStoredPlaceAndTheProgramsIcon) {
    Win32Driver d;
    ASSERT_TRUE(d.Open(contract::ContractWindow()));
    RECT outer, client;
    ASSERT_TRUE(GetWindowRect(d.Window(), &outer));
    ASSERT_TRUE(GetClientRect(d.Window(), &client));
    EXPECT_EQ(outer.left, 192);
    EXPECT_EQ(outer.top, 107);
    EXPECT_EQ(client.right - client.left, 385);
    EXPECT_EQ(client.bottom - client.top, 289);
    const LONG_PTR style = GetWindowLongPtrA(d.Window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    char caption[64] = {};
    GetWindowTextA(d.Window(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Skrundle contract");
    // The class icon is the program's "MAINICON" (the test carries the
    // program's resources).
    EXPECT_NE(GetClassLongPtrA(d.Window(), GCLP_HICON), 0);
    EXPECT_EQ(d.Platform().DoubleClickTime(), GetDoubleClickTime());
}

TEST(Win32Window, MinimisingAndRestoringAreReported) {
    Win32Driver d;
    ASSERT_TRUE(d.Open(contract::ContractWindow()));
    platform::RawEvent e;
    ShowWindow(d.Window(), SW_MINIMIZE);
    EXPECT_TRUE(contract::Await(d.Platform(), platform::EventType::Minimize, e));
    ShowWindow(d.Window(), SW_RESTORE);
    EXPECT_TRUE(contract::Await(d.Platform(), platform::EventType::Restore, e));
    EXPECT_TRUE(contract::Await(d.Platform(), platform::EventType::Expose, e)) << "no repaint after restoring";
}

TEST(Win32Launcher, OnlyTheMaximisedAndTheInactiveMinimisedRequestsAreHonoured) {
    using platform::ShowState;
    EXPECT_EQ(platform::ShowStateFromStartup(true, 3), ShowState::Maximized);
    EXPECT_EQ(platform::ShowStateFromStartup(true, 7), ShowState::Minimized);
    for (unsigned other : {0u, 1u, 2u, 5u, 6u, 10u}) EXPECT_EQ(platform::ShowStateFromStartup(true, other), ShowState::Normal);
    EXPECT_EQ(platform::ShowStateFromStartup(false, 3), ShowState::Normal);
}

TEST(Win32Resources, TheFormDefinitionAndTheIconAreFoundByNameWithoutRegardToCase) {
    const std::span<const uint8_t> form = platform::FindProgramResource("tform1");
    ASSERT_GE(form.size(), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(form.data()), 4), "TPF0");
    EXPECT_EQ(platform::FindProgramResource("TFORM1").data(), form.data());

    // The icon group is put back together as the icon file it was made
    // from, but for the planes and bit count that the resource compiler
    // filled into the directory from the image.
    std::vector<uint8_t> file = test::ReadFile(SKR_MAINICON_PATH);
    ASSERT_EQ(file.size(), 766u);
    file[10] = 1;  // planes
    file[12] = 4;  // bits per pixel
    const std::span<const uint8_t> icon = platform::FindProgramResource("mainicon");
    EXPECT_EQ(std::vector<uint8_t>(icon.begin(), icon.end()), file);
    EXPECT_EQ(platform::FindProgramResource("MAINICON").data(), icon.data());  // made once
    EXPECT_TRUE(platform::FindProgramResource("NOSUCH").empty());
}

TEST(Win32Process, TheModuleNameIsTheExecutablesPathAndTextsConvertBothWays) {
    Win32Platform p;
    const std::string path = p.ModuleFileName();
    ASSERT_GT(path.size(), 15u);
    EXPECT_EQ(path.substr(path.size() - 15), "win32_tests.exe");
    EXPECT_EQ(platform::WideToUtf8(platform::Utf8ToWide("アプリケーション エラー")), "アプリケーション エラー");
    EXPECT_EQ(platform::Utf8ToWide("タイマー").size(), 4u);
}

// The program's version information, as Explorer's Details tab reads it.
TEST(Win32Resources, TheProgramDescribesItselfByItsVersionInformation) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(SKRUNDLE_EXE, &handle);
    ASSERT_GT(size, 0u) << SKRUNDLE_EXE << " has no version information";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(SKRUNDLE_EXE, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);  // 1.2
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);        // .0.0
    auto text = [&](const char* name) {
        char* value = nullptr;
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
        return VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) && value
                   ? std::string(value) : std::string("(none)");
    };
    EXPECT_EQ(text("ProductName"), "Skrundle");
    EXPECT_EQ(text("FileVersion"), "1.2.0");
    EXPECT_EQ(text("OriginalFilename"), "skrundle.exe");
    EXPECT_NE(text("FileDescription").find("reaction game"), std::string::npos);
    EXPECT_NE(text("LegalCopyright").find("MIT"), std::string::npos);
}

}  // namespace
}  // namespace skr
