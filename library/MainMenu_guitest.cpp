// The main menu on the real toolkit under Xvfb: the bar of a review window, keys the user chose,
// the editing keys that reach the page, and moving a tab into a window of its own.
#include "app/AppDelegate.h"
#include "app/MainMenu.h"
#include "app/ShellMenuCommands.h"
#include "library/LibraryLayer.h"
#include "library/MenuRows.h"
#include "platform/core/Paths.h"
#include "platform/ui/gtk/Window.h"
#include "review/ReviewOnScreenFixture.h"

#include <gtk/gtk.h>

#include <filesystem>

namespace ikw::library {
namespace {

constexpr double kTimeout = 30;

class MainMenuOnScreen : public testing::ReviewOnScreenFixture {
protected:
    MainMenuOnScreen()
    {
        services.windowMade = [this](const std::shared_ptr<ui::Window>& window) { menu->attach(window); };
        registerShellMenuCommands(commands, [this] { return menu->windows(); });
        // Counted here instead of opening the library (the library's own row comes second and stays out).
        commands.add("toggleLibrary:", [this](const MenuUse&) { ++libraryRuns; });
        registerMenuCommands(commands, [this] { return layer; });
    }

    std::string page(const std::string& name, const std::string& text)
    {
        return testing::writeTestFile(joinPath(globals().archive, "." + name + ".html"), "<!doctype html><html><body><p id=t>" + text + "</p></body></html>");
    }
    std::shared_ptr<ReviewWC> openLoaded(const std::string& pagePath, ReviewWC* host = nullptr)
    {
        auto window = windows.open(pagePath, host);
        EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*window, "document.getElementById('t') ? 'ready' : ''") == "ready"; }, kTimeout));
        return window;
    }
    void settleMenu(ui::Window& window)
    {
        ui::gtk3::runMainLoopUntil([&] { return menuBarOf(window) != nullptr && menu->current(); }, kTimeout);
        ui::gtk3::runMainLoopUntil([] { return false; }, 0.2); // the idle install
    }
    static GtkWidget* menuBarOf(ui::Window& window)
    {
        GtkWidget* box = gtk_bin_get_child(GTK_BIN(dynamic_cast<ui::gtk3::Window&>(window).native()));
        GList* children = gtk_container_get_children(GTK_CONTAINER(box));
        GtkWidget* bar = nullptr;
        for (GList* child = children; child; child = child->next) {
            if (GTK_IS_MENU_BAR(child->data))
                bar = GTK_WIDGET(child->data);
        }
        g_list_free(children);
        return bar;
    }
    // A key press as the window receives it from the keyboard.
    static bool press(ui::Window& window, guint keyval, guint state)
    {
        GtkWidget* widget = GTK_WIDGET(dynamic_cast<ui::gtk3::Window&>(window).native());
        GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
        event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
        event->key.keyval = keyval;
        event->key.state = state;
        event->key.time = GDK_CURRENT_TIME;
        GdkKeymapKey* keys = nullptr;
        gint count = 0;
        if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gtk_widget_get_display(widget)), keyval, &keys, &count) && count > 0) {
            event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
            event->key.group = static_cast<guint8>(keys[0].group);
        }
        g_free(keys);
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gtk_widget_get_display(widget))));
        const bool handled = gtk_widget_event(widget, event);
        gdk_event_free(event);
        return handled;
    }

    MenuCommands commands;
    std::shared_ptr<MainMenu> menu = std::make_shared<MainMenu>(commands, MainMenuSources {});
    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows, LibraryHooks {});
    int libraryRuns = 0;
};

TEST_F(MainMenuOnScreen, TheBarShowsEightMenusAndTheUsersKeyRunsItsCommand)
{
    menu->rebuildMenu();
    const auto window = openLoaded(page("keys", "keys"));
    settleMenu(window->window());
    GtkWidget* bar = menuBarOf(window->window());
    ASSERT_NE(bar, nullptr);
    GList* menus = gtk_container_get_children(GTK_CONTAINER(bar));
    std::vector<std::string> titles;
    for (GList* item = menus; item; item = item->next)
        titles.emplace_back(gtk_menu_item_get_label(GTK_MENU_ITEM(item->data)));
    g_list_free(menus);
    EXPECT_EQ(titles, (std::vector<std::string> { globals().brand.name, "File", "Edit", "View", "Go", "Tools", "Window", "Help" }));

    EXPECT_TRUE(press(window->window(), GDK_KEY_j, GDK_CONTROL_MASK));
    EXPECT_EQ(libraryRuns, 1);
    AppDelegate delegate(LaunchServices { .rebuildMenu = [this] { menu->rebuildMenu(); } });
    delegate.setShortcut("library", "ctrl+shift+l");
    settleMenu(window->window());
    press(window->window(), GDK_KEY_L, GDK_CONTROL_MASK | GDK_SHIFT_MASK);
    EXPECT_EQ(libraryRuns, 2);
    press(window->window(), GDK_KEY_j, GDK_CONTROL_MASK);
    EXPECT_EQ(libraryRuns, 2);
}

TEST_F(MainMenuOnScreen, CtrlCCopiesThePagesSelection)
{
    menu->rebuildMenu();
    const auto window = openLoaded(page("copy", "Copy me from the page"));
    settleMenu(window->window());
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    gtk_clipboard_set_text(clipboard, "before", -1);
    ASSERT_EQ(ask(*window, "(function(){var r=document.createRange();r.selectNodeContents(document.getElementById('t'));"
                           "var s=getSelection();s.removeAllRanges();s.addRange(r);return String(s)})()"),
        "Copy me from the page");
    EXPECT_TRUE(press(window->window(), GDK_KEY_c, GDK_CONTROL_MASK));
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] {
        gchar* text = gtk_clipboard_wait_for_text(clipboard);
        const bool copied = text && std::string(text) == "Copy me from the page";
        g_free(text);
        return copied;
    }, kTimeout));
}

TEST_F(MainMenuOnScreen, MoveTabToNewWindowLeavesEachWindowWithOneWorkingTab)
{
    menu->rebuildMenu();
    const auto first = openLoaded(page("first", "first"));
    const auto second = openLoaded(page("second", "second"), first.get());
    ASSERT_EQ(&first->window(), &second->window());
    ASSERT_EQ(first->window().tabCount(), 2);

    ui::MenuItem move;
    move.command = "moveTabToNewWindow:";
    EXPECT_TRUE(commands.perform({ move, &first->window() }));

    EXPECT_NE(&first->window(), &second->window());
    EXPECT_EQ(first->window().tabCount(), 1);
    EXPECT_EQ(second->window().tabCount(), 1);
    settleMenu(second->window());
    EXPECT_NE(menuBarOf(second->window()), nullptr); // the new window has the menu too
    for (const auto& tab : { first, second })
        EXPECT_EQ(ask(*tab, "document.getElementById('t').textContent + ' works'"), tab == first ? "first works" : "second works");
    // Its keys act on its own tab.
    EXPECT_TRUE(press(second->window(), GDK_KEY_w, GDK_CONTROL_MASK));
    EXPECT_TRUE(second->isClosed());
    EXPECT_FALSE(first->isClosed());
}

// The tab strip goes with a closing window's widgets; the closed tab still gets the tab's title.
TEST_F(MainMenuOnScreen, CtrlWOnALastTabRemembersItsTitleAndTheMenuReopensIt)
{
    menu->rebuildMenu();
    const std::string pdf = "/usr/share/doc/shared-mime-info/shared-mime-info-spec.pdf";
    if (!std::filesystem::exists(pdf))
        GTEST_SKIP() << "no PDF of the system's documentation here";
    const auto window = openLoaded(testing::writeTestFile(joinPath(globals().archive, ".titled.html"),
        "<!doctype html><html><head><title>Spec reader</title></head><body><p id=t>x</p></body></html>"));
    window->hasContent = true;
    window->isReader = true;
    window->sourcePaths = { pdf };
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return window->window().tabTitle(*window->web) == "Spec reader"; }, kTimeout));
    settleMenu(window->window());
    EXPECT_TRUE(press(window->window(), GDK_KEY_w, GDK_CONTROL_MASK));
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return window->isClosed(); }, kTimeout));

    ui::MenuItem reopen;
    reopen.command = "reopenClosedTab:";
    EXPECT_EQ(commands.validate({ reopen, nullptr }).title, "Reopen \u201CSpec reader\u201D");
    EXPECT_TRUE(commands.perform({ reopen, nullptr }));
    ASSERT_FALSE(windows.isEmpty());
    const auto reopened = windows.windows().back();
    EXPECT_TRUE(reopened->isReader);
    EXPECT_EQ(reopened->sourcePaths, std::vector<std::string> { pdf });
    EXPECT_FALSE(commands.validate({ reopen, nullptr }).enabled);
    reopened->window().close();
}

}
}
