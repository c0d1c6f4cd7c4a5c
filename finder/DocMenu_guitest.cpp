// The tabs' document menu on the real toolkit under Xvfb: a right-click on a reader tab's label
// shows the document's entries, and "Copy Path" puts the path on the clipboard.
#include "finder/IkwDocMenu.h"

#include "platform/core/Paths.h"
#include "platform/core/WorkQueue.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "review/ReviewOnScreenFixture.h"

#include <gtk/gtk.h>

#include <algorithm>

namespace ikw::finder {
namespace {

constexpr double kTimeout = 20;

// The first notebook under `widget` holding `pages` pages.
GtkWidget* findNotebook(GtkWidget* widget, int pages)
{
    if (GTK_IS_NOTEBOOK(widget) && gtk_notebook_get_n_pages(GTK_NOTEBOOK(widget)) == pages)
        return widget;
    if (!GTK_IS_CONTAINER(widget))
        return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget* found = nullptr;
    for (GList* child = children; child && !found; child = child->next)
        found = findNotebook(GTK_WIDGET(child->data), pages);
    g_list_free(children);
    return found;
}

// The tab strip of the one window on screen with that many tabs.
GtkWidget* notebookWithTabs(int pages)
{
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* window = windows; window && !found; window = window->next)
        found = findNotebook(GTK_WIDGET(window->data), pages);
    g_list_free(windows);
    return found;
}

GtkWidget* tabLabelOf(GtkWidget* notebook, ReviewWC& tab)
{
    for (int index = 0; index < tab.window().tabCount(); ++index) {
        if (tab.window().tab(index) == tab.web)
            return gtk_notebook_get_tab_label(GTK_NOTEBOOK(notebook), gtk_notebook_get_nth_page(GTK_NOTEBOOK(notebook), index));
    }
    return nullptr;
}

// A right button press in the middle of the label, as the pointer sends it.
void rightClick(GtkWidget* notebook, GtkWidget* label)
{
    GdkWindow* surface = gtk_widget_get_window(label);
    GtkAllocation area;
    gtk_widget_get_allocation(label, &area);
    const int x = area.x + area.width / 2;
    const int y = area.y + area.height / 2;
    int rootX = 0;
    int rootY = 0;
    gdk_window_get_root_coords(surface, x, y, &rootX, &rootY);
    GdkEvent* event = gdk_event_new(GDK_BUTTON_PRESS);
    event->button.window = GDK_WINDOW(g_object_ref(surface));
    event->button.button = 3;
    event->button.x = x;
    event->button.y = y;
    event->button.x_root = rootX;
    event->button.y_root = rootY;
    event->button.time = GDK_CURRENT_TIME;
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(notebook))));
    gtk_widget_event(notebook, event);
    gdk_event_free(event);
}

std::vector<GtkWidget*> entriesOf(GtkWidget* menu)
{
    std::vector<GtkWidget*> entries;
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* child = children; child; child = child->next)
        entries.push_back(GTK_WIDGET(child->data));
    g_list_free(children);
    return entries;
}

std::string labelOf(GtkWidget* entry)
{
    const char* label = GTK_IS_SEPARATOR_MENU_ITEM(entry) ? "-" : gtk_menu_item_get_label(GTK_MENU_ITEM(entry));
    return label ? label : "";
}

std::string clipboardText()
{
    gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    std::string value = text ? text : "";
    g_free(text);
    return value;
}

using DocMenuOnScreen = ikw::testing::ReviewOnScreenFixture;

TEST_F(DocMenuOnScreen, ARightClickOnAReaderTabShowsTheDocumentAndCopyPathCopiesIt)
{
    WorkQueue workers { "doc-menu-gui", 1 };
    const std::string report = ikw::testing::writeTestFile(home.file("Docs/Report.pdf"), "%PDF-1.4\n%%EOF\n");
    const std::string page = ikw::testing::writeTestFile(joinPath(globals().archive, ".tab.html"), "<!doctype html><html><body>tab</body></html>");
    const auto reader = windows.open(page);
    reader->isReader = true;
    reader->sourcePaths = { report };
    const auto other = windows.open(page, reader.get()); // two tabs: the strip shows
    DocMenuServices menuServices;
    menuServices.files.workers = &workers;
    menuServices.files.toolkit = toolkit.get();
    menuServices.windows = [this] { return windows.windows(); };
    const auto menu = IkwDocMenu::create(menuServices);
    menu->attachAll();

    GtkWidget* notebook = notebookWithTabs(2);
    ASSERT_NE(notebook, nullptr);
    GtkWidget* label = tabLabelOf(notebook, *reader);
    ASSERT_NE(label, nullptr);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return gtk_widget_get_mapped(label) && gtk_widget_get_allocated_width(label) > 1; }, kTimeout));
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), "before", -1);

    rightClick(notebook, label);
    GList* attached = gtk_menu_get_for_attach_widget(notebook);
    ASSERT_NE(attached, nullptr) << "no menu came up";
    GtkWidget* shown = GTK_WIDGET(g_list_last(attached)->data);
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return gtk_widget_get_visible(shown); }, kTimeout));
    const auto entries = entriesOf(shown);
    ASSERT_GT(entries.size(), 3u);
    EXPECT_EQ(labelOf(entries[0]), "Report.pdf");
    EXPECT_FALSE(gtk_widget_get_sensitive(entries[0]));
    EXPECT_EQ(labelOf(entries[1]), "Share Online\u2026");
    const auto copyPath = std::find_if(entries.begin(), entries.end(), [](GtkWidget* entry) { return labelOf(entry) == "Copy Path"; });
    ASSERT_NE(copyPath, entries.end());
    gtk_menu_item_activate(GTK_MENU_ITEM(*copyPath));
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(shown));
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return clipboardText() == report; }, kTimeout));
    other->window().close();
}

}
}
