// The browser backend's shared behaviour, in a real page: the driver makes
// input the page's own way, as DOM mouse, visibility and page-hide events
// dispatched to the canvas and the document (as the Win32 driver posts
// window messages), and reads what the canvas shows.
#include <emscripten.h>

#include "platform/web/WebPlatform.h"
#include "support/BackendContract.h"

// The page's side of the driver.
EM_JS(void, skr_test_mouse, (int kind, int button, int x, int y, int modifiers), {
    // A DOM mouse event on a canvas pixel, at the size the page shows the
    // canvas: on the canvas when the point is on it, else on the page around
    // it. (A mouse event's client coordinates are whole CSS pixels: the one
    // nearest the pixel's middle that lies inside it.)
    var c = Module['canvas'], r = c.getBoundingClientRect(), k = r.width / c.width;
    var inside = function(from) {
        return Math.min(Math.max(Math.round(from + k / 2), Math.ceil(from + 1e-6)), Math.ceil(from + k - 1e-6) - 1);
    };
    var on = x >= 0 && y >= 0 && x < c.width && y < c.height;
    var type = ['mousedown', 'mouseup', 'mousemove'][kind];
    (on ? c : document.documentElement).dispatchEvent(new MouseEvent(type, {
        bubbles: true, cancelable: true, clientX: inside(r.left + x * k), clientY: inside(r.top + y * k),
        button: [0, 2, 1][button], shiftKey: !!(modifiers & 1), altKey: !!(modifiers & 2), ctrlKey: !!(modifiers & 4)}));
});
EM_JS(void, skr_test_page_hide, (), { window.dispatchEvent(new Event('pagehide')); });
// The page's way of uncovering: the tab is shown again.
EM_JS(void, skr_test_tab_shown, (), { document.dispatchEvent(new Event('visibilitychange')); });
EM_JS(int, skr_test_canvas_shown, (), {
    var c = Module['canvas'];
    return c && c.isConnected && c.style.visibility !== 'hidden' ? 1 : 0;
});
EM_JS(int, skr_test_pixel, (int x, int y), {
    var d = Module['canvas'].getContext('2d').getImageData(x, y, 1, 1).data;
    return (d[0] << 16) | (d[1] << 8) | d[2];
});

namespace skr::contract {
namespace {

class WebDriver {
public:
    platform::Platform& Platform() { return platform_; }

    bool Open(const platform::WindowSpec& spec) { return OpenShown(platform_, spec); }

    void Press(platform::Button button, int x, int y, bool down, uint32_t modifiers) {
        skr_test_mouse(down ? 0 : 1, static_cast<int>(button), x, y, static_cast<int>(modifiers));
    }
    void Move(int x, int y) { skr_test_mouse(2, 0, x, y, 0); }
    void RequestClose() { skr_test_page_hide(); }
    bool WindowExists() { return skr_test_canvas_shown() != 0; }
    void Invalidate(const TRect&) { skr_test_tab_shown(); }
    uint32_t PixelOnWindow(int x, int y) { return static_cast<uint32_t>(skr_test_pixel(x, y)); }

private:
    platform::WebPlatform platform_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Web, BackendContract, ::testing::Types<WebDriver>);

}  // namespace
}  // namespace skr::contract
