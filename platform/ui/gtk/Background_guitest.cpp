#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/WebContext.h"
#include "platform/ui/gtk/WebView.h"
#include "platform/ui/gtk/Window.h"

#include <gtest/gtest.h>

namespace ikw::ui::gtk3 {
namespace {

TEST(BackgroundOnScreen, TheColourReachesTheWindowAndThePageBackground)
{
    ASSERT_TRUE(initializeGtk()) << "needs a display (run under xvfb-run)";
    auto view = std::make_shared<WebView>(std::make_shared<WebContext>(), WebViewOptions {});
    Window window(WindowOptions { .width = 300, .height = 200, .title = "background" });
    window.addTab(view, "tab");
    const Color night { 0.106, 0.106, 0.114, 1.0 };
    window.setBackgroundColor(night);
    view->setBackgroundColor(night);

    GdkRGBA page {};
    webkit_web_view_get_background_color(WEBKIT_WEB_VIEW(view->widget()), &page);
    EXPECT_NEAR(page.red, night.red, 0.001);
    EXPECT_NEAR(page.blue, night.blue, 0.001);

    GdkRGBA* painted = nullptr;
    GtkStyleContext* style = gtk_widget_get_style_context(GTK_WIDGET(window.native()));
    gtk_style_context_get(style, gtk_style_context_get_state(style), "background-color", &painted, nullptr);
    ASSERT_NE(painted, nullptr);
    EXPECT_NEAR(painted->red, 27.0 / 255, 0.002);
    EXPECT_NEAR(painted->blue, 29.0 / 255, 0.002);
    gdk_rgba_free(painted);

    window.setBackgroundColor(Color { 0.957, 0.937, 0.894, 1.0 }); // a later colour replaces it
    gtk_style_context_get(style, gtk_style_context_get_state(style), "background-color", &painted, nullptr);
    EXPECT_NEAR(painted->red, 244.0 / 255, 0.002);
    gdk_rgba_free(painted);
    window.close();
}

}
}
