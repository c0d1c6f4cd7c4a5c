// The install question on the test display: when nobody answers in time it leaves the screen.
#include "services/KDUpdate.h"

#include "platform/core/GLibMainQueue.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <future>

namespace ikw::services {
namespace {

int visibleMessageDialogs()
{
    int count = 0;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* window = toplevels; window; window = window->next)
        count += GTK_IS_MESSAGE_DIALOG(window->data) && gtk_widget_get_visible(GTK_WIDGET(window->data));
    g_list_free(toplevels);
    return count;
}

TEST(KDUpdateQuestion, AnUnansweredQuestionLeavesTheScreenWhenTheWaitEnds)
{
    ASSERT_TRUE(ui::gtk3::initializeGtk());
    testing::TempHome home;
    GLibMainQueue queue;
    ScopedMainQueue installedQueue(queue);
    const auto toolkit = ui::gtk3::makeGtkToolkit();
    auto updater = std::make_shared<KDUpdate::State>();
    updater->dialogs = &toolkit->dialogs();
    updater->confirmWaitSeconds = 1;
    KDUpdate::ScopedState installed(updater);

    auto answer = std::async(std::launch::async, [] { return KDUpdate::confirmInstall("2.1", 57); });
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([] { return visibleMessageDialogs() == 1; }, 10)) << "the question is shown";
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10));
    EXPECT_FALSE(answer.get());
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([] { return visibleMessageDialogs() == 0; }, 10)) << "the question is taken down";
}

}
}
