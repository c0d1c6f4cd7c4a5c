// Alerts on the test display: the clicked button and the "Don’t ask me again" box come back.
#include "platform/core/GLibMainQueue.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

namespace ikw::ui {
namespace {

GtkWidget* findWidget(GtkWidget* root, const std::function<bool(GtkWidget*)>& matches)
{
    if (matches(root))
        return root;
    if (!GTK_IS_CONTAINER(root))
        return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    GtkWidget* found = nullptr;
    for (GList* child = children; child && !found; child = child->next)
        found = findWidget(GTK_WIDGET(child->data), matches);
    g_list_free(children);
    return found;
}

GtkWidget* shownAlert()
{
    GList* toplevels = gtk_window_list_toplevels();
    GtkWidget* alert = nullptr;
    for (GList* window = toplevels; window; window = window->next) {
        if (GTK_IS_MESSAGE_DIALOG(window->data) && gtk_widget_get_visible(GTK_WIDGET(window->data)))
            alert = GTK_WIDGET(window->data);
    }
    g_list_free(toplevels);
    return alert;
}

GtkWidget* buttonLabelled(GtkWidget* dialog, const std::string& label)
{
    return findWidget(dialog, [&](GtkWidget* widget) {
        return GTK_IS_BUTTON(widget) && !GTK_IS_CHECK_BUTTON(widget) && gtk_button_get_label(GTK_BUTTON(widget))
            && label == gtk_button_get_label(GTK_BUTTON(widget));
    });
}

TEST(Dialogs, AlertAnswersTheClickedButtonAndTheSuppressionBox)
{
    ASSERT_TRUE(gtk3::initializeGtk());
    GLibMainQueue queue;
    ScopedMainQueue installed(queue);
    auto toolkit = gtk3::makeGtkToolkit();
    auto window = toolkit->makeWindow({ .width = 300, .height = 200, .title = "host", .offscreen = false });
    window->show();

    struct Case {
        bool tickBox;
        const char* click; // nothing: the window is closed instead
        AlertAnswer expected;
    };
    const Case cases[] = {
        { true, "Rotate", { 0, true } },
        { false, "Cancel", { 1, false } },
        { true, nullptr, { -1, true } },
    };
    for (const auto& c : cases) {
        AlertContent request;
        request.message = "Rotate pages?";
        request.informativeText = "The file is changed in place.";
        request.buttons = { "Rotate", "Cancel" };
        request.showsSuppression = true;
        std::optional<AlertAnswer> answer;
        toolkit->dialogs().alert(window.get(), request, [&](AlertAnswer given) { answer = given; });

        GtkWidget* alert = shownAlert();
        ASSERT_TRUE(alert);
        GtkWidget* box = findWidget(alert, [](GtkWidget* widget) { return GTK_IS_CHECK_BUTTON(widget); });
        ASSERT_TRUE(box);
        EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(box)), "Don\u2019t ask me again");
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), c.tickBox);
        if (c.click)
            gtk_button_clicked(GTK_BUTTON(buttonLabelled(alert, c.click)));
        else
            gtk_dialog_response(GTK_DIALOG(alert), GTK_RESPONSE_DELETE_EVENT);
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return answer.has_value(); }, 10));
        EXPECT_EQ(answer->button, c.expected.button);
        EXPECT_EQ(answer->suppressed, c.expected.suppressed);
    }
}

TEST(Dialogs, ADismissedAlertAnswersMinusOneAndLeavesTheScreen)
{
    ASSERT_TRUE(gtk3::initializeGtk());
    GLibMainQueue queue;
    ScopedMainQueue installed(queue);
    auto toolkit = gtk3::makeGtkToolkit();

    AlertContent request;
    request.message = "A question nobody answers";
    request.buttons = { "Yes", "No" };
    request.keepAbove = true;
    std::vector<int> answers;
    const AlertHandle handle = toolkit->dialogs().alert(nullptr, request, [&](AlertAnswer given) { answers.push_back(given.button); });
    ASSERT_TRUE(shownAlert());
    handle.dismiss();
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return !answers.empty() && !shownAlert(); }, 10));
    handle.dismiss();
    EXPECT_EQ(answers, std::vector<int> { -1 }) << "one answer, however often it is dismissed";

    // Once answered, a dismissal changes nothing.
    answers.clear();
    const AlertHandle answered = toolkit->dialogs().alert(nullptr, request, [&](AlertAnswer given) { answers.push_back(given.button); });
    gtk_button_clicked(GTK_BUTTON(buttonLabelled(shownAlert(), "No")));
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return !answers.empty(); }, 10));
    answered.dismiss();
    EXPECT_EQ(answers, std::vector<int> { 1 });
}

}
}
