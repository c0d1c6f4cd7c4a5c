#include "platform/ui/gtk/ActivationTracker.h"

#include "platform/ui/gtk/GtkSetup.h"

#include <gtest/gtest.h>

namespace ikw::ui::gtk3 {
namespace {

// A shown top-level window that can take the focus.
GtkWidget* shownWindow()
{
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 200, 120);
    gtk_widget_show(window);
    return window;
}

bool focus(GtkWidget* window)
{
    gtk_window_present_with_time(GTK_WINDOW(window), GDK_CURRENT_TIME);
    return runMainLoopUntil([window] { return gtk_window_is_active(GTK_WINDOW(window)); }, 5);
}

void settle()
{
    runMainLoopUntil([] { return false; }, (ActivationTracker::kGraceMilliseconds + 150) / 1000.0);
}

TEST(ActivationTrackerOnScreen, ComingBackFromAnotherProgramActivatesOnceAndMovesWithinDoNot)
{
    ASSERT_TRUE(initializeGtk()) << "needs a display (run under xvfb-run)";
    int activations = 0;
    ActivationTracker tracker([&activations] { ++activations; });
    GtkWidget* other = shownWindow(); // stands for another program: not watched
    GtkWidget* first = shownWindow();
    GtkWidget* second = shownWindow();
    tracker.watch(GTK_WINDOW(first));
    tracker.watch(GTK_WINDOW(second));

    ASSERT_TRUE(focus(other));
    settle();
    const int before = activations;

    ASSERT_TRUE(focus(first));
    settle();
    EXPECT_EQ(activations, before + 1) << "from another program to ours";

    ASSERT_TRUE(focus(second));
    settle();
    ASSERT_TRUE(focus(first));
    settle();
    EXPECT_EQ(activations, before + 1) << "between our own windows";

    ASSERT_TRUE(focus(other));
    settle();
    ASSERT_TRUE(focus(second));
    settle();
    EXPECT_EQ(activations, before + 2) << "back again from another program";

    gtk_widget_destroy(second);
    gtk_widget_destroy(first);
    gtk_widget_destroy(other);
}

}
}
