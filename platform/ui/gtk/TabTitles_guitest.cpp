#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/WebContext.h"
#include "platform/ui/gtk/WebView.h"
#include "platform/ui/gtk/Window.h"

#include <gtest/gtest.h>

namespace ikw::ui::gtk3 {
namespace {

// A window's closed handler still reads each tab's own title (the closed-tab list keeps it),
// although the tab strip has gone with the window's widgets.
TEST(TabTitlesOnScreen, EachTabKeepsItsTitleUntilItLeavesEvenThroughTheClose)
{
    ASSERT_TRUE(initializeGtk()) << "needs a display (run under xvfb-run)";
    const auto context = std::make_shared<WebContext>();
    auto first = std::make_shared<WebView>(context, WebViewOptions {});
    auto second = std::make_shared<WebView>(context, WebViewOptions {});
    auto gone = std::make_shared<WebView>(context, WebViewOptions {});
    Window window(WindowOptions { .width = 300, .height = 200, .title = "tabs" });
    window.addTab(first, "Lease");
    window.addTab(second, "Brief");
    window.addTab(gone, "Gone");
    window.setTabTitle(*second, "Brief (2)");
    window.removeTab(*gone);
    EXPECT_EQ(window.tabTitle(*gone), "");

    std::vector<std::string> seen;
    window.setClosedHandler([&] {
        seen = { window.tabTitle(*first), window.tabTitle(*second) };
        window.setTabTitle(*first, "late"); // nothing left to label
    });
    window.close();
    EXPECT_EQ(seen, (std::vector<std::string> { "Lease", "Brief (2)" }));
    EXPECT_EQ(window.tabTitle(*first), "Lease");
}

}
}
