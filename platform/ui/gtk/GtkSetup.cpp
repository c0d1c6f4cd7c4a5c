#include "platform/ui/gtk/GtkSetup.h"

#include <gtk/gtk.h>

#include <glob.h>

#include <cstdlib>

namespace ikw::ui::gtk3 {

namespace {

bool hasRenderNode()
{
    glob_t found {};
    const bool any = glob("/dev/dri/renderD*", 0, nullptr, &found) == 0 && found.gl_pathc > 0;
    globfree(&found);
    return any;
}

}

void prepareWebKitEnvironment()
{
    // Without a render node WebKit's accelerated compositing draws nothing (blank pages under Xvfb).
    if (!std::getenv("WEBKIT_DISABLE_COMPOSITING_MODE") && !hasRenderNode())
        setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 0);
}

bool initializeGtk()
{
    prepareWebKitEnvironment();
    return gtk_init_check(nullptr, nullptr);
}

bool runMainLoopUntil(const std::function<bool()>& done, double timeoutSeconds)
{
    const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(timeoutSeconds * 1e6);
    // Wakes the loop at the deadline even when no event arrives.
    const guint wake = g_timeout_add(static_cast<guint>(timeoutSeconds * 1000) + 1, [](gpointer) { return G_SOURCE_REMOVE; }, nullptr);
    bool finished = done();
    while (!finished && g_get_monotonic_time() < deadline) {
        g_main_context_iteration(nullptr, TRUE);
        finished = done();
    }
    if (!finished)
        return false;
    if (GSource* source = g_main_context_find_source_by_id(nullptr, wake))
        g_source_destroy(source);
    return true;
}

}
