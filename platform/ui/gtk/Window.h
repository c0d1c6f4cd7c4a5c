#pragma once

#include "platform/ui/Window.h"
#include "platform/core/GObjectRef.h"
#include "platform/ui/gtk/MenuWidgets.h"
#include "platform/ui/gtk/WebView.h"

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ikw::ui::gtk3 {

class PageEditor;

// A top-level GTK window whose tabs are the pages of a notebook; the tab strip shows only when
// more than one tab is open.
class Window final : public ui::Window {
public:
    explicit Window(const WindowOptions& options);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    int addTab(std::shared_ptr<ui::WebView> view, const std::string& title) override;
    void removeTab(const ui::WebView& view) override;
    int tabCount() const override { return static_cast<int>(m_tabs.size()); }
    int selectedTab() const override;
    void selectTab(int index) override;
    void setTabTitle(const ui::WebView& view, const std::string& title) override;
    std::string tabTitle(const ui::WebView& view) const override;
    std::shared_ptr<ui::WebView> tab(int index) const override;

    void setTitle(const std::string& title) override;
    std::string title() const override;
    void setRepresentedFile(const std::string& path) override;
    void setLevel(WindowLevel level) override;
    void setFullScreen(bool fullScreen) override;
    bool isFullScreen() const override { return m_fullScreen; }

    void addShortcut(const std::string& accelerator, std::function<void()> action) override;
    int addKeyMonitor(std::function<bool(const KeyPress&)> monitor) override;
    void removeKeyMonitor(int id) override;
    void setTabOverlay(const ui::WebView& tab, std::shared_ptr<ui::PageEditor> editor) override;
    bool isActive() const override;
    bool isFocusedLast() const override;

    void show() override;
    void present() override;
    void hide() override;
    bool isVisible() const override;
    void requestClose() override;
    void close() override;
    void setCloseHandler(std::function<bool()> shouldClose) override { m_shouldClose = std::move(shouldClose); }
    void setClosedHandler(std::function<void()> closed) override { m_closed = std::move(closed); }
    void setNewTabHandler(std::function<void()> newTab) override;
    void setBackgroundColor(const Color& color) override;
    void setMenuBar(std::shared_ptr<const MenuBar> bar, MenuResponder responder) override;
    WindowSize contentSize() const override;
    void popUpMenu(std::shared_ptr<const Menu> menu, double x, double y, MenuResponder responder) override;
    std::optional<WindowPoint> pointerPosition() const override;
    void setTabMenuProvider(TabMenuProvider provider) override { m_tabMenuProvider = std::move(provider); }
    bool hasTabMenuProvider() const override { return m_tabMenuProvider != nullptr; }
    void iconify() override;
    void toggleMaximized() override;

    GtkWindow* native() const { return GTK_WINDOW(m_window); }

    // Ctrl+Tab selects the next tab and Ctrl+Shift+Tab the previous one (wrapping) when the
    // window has two tabs or more: +1, -1, or 0 for a key this does not take. Any other modifier
    // held (Caps Lock included; Num Lock aside) leaves the key alone.
    static int tabStepForKey(unsigned keyval, unsigned state, int tabCount);
    // Whether a key press matches a shortcut's key and modifiers (Caps Lock and Num Lock aside).
    static bool matchesShortcut(unsigned keyval, unsigned state, unsigned shortcutKeyval, unsigned shortcutModifiers);
    // What a key monitor is shown of a key press.
    static KeyPress keyPressFor(unsigned keyval, unsigned state);

private:
    static gboolean onDeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean onWindowState(GtkWidget*, GdkEventWindowState*, gpointer self);
    static gboolean onKeyPress(GtkWidget*, GdkEventKey*, gpointer self);
    static void onNewTabClicked(GtkButton*, gpointer self);
    static void onMenuBarDeactivated(GtkMenuShell*, gpointer self);
    static gboolean onNotebookButtonPress(GtkWidget*, GdkEventButton* event, gpointer self);
    static gboolean onNotebookPopupMenu(GtkWidget*, gpointer self);
    // The tab whose label lies under a point of the screen; none between or beside the labels.
    std::shared_ptr<ui::WebView> tabAtScreenPoint(double x, double y) const;
    // The provider's menu for the tab; none without a provider or entries.
    GtkWidget* makeTabMenu(const std::shared_ptr<ui::WebView>& tab);
    // Replaces the last pop-up menu by a new one, kept until the next or the window's end.
    GtkWidget* keepPopUp(std::shared_ptr<const Menu> menu, MenuResponder responder);
    // Runs the menu entry a key press stands for; whether one ran.
    bool performMenuKey(GdkEventKey* event);
    void installMenuBar();
    int indexOf(const ui::WebView& view) const;
    // The notebook page holding a tab's view (and its overlay), nothing once taken out.
    GtkWidget* pageOf(const WebView& view) const;
    void detachPage(const WebView& view);
    bool runKeyMonitors(const KeyPress& key);
    void updateTabStrip();
    void finishClose();

    bool m_offscreen;
    GtkWidget* m_window;   // owned: destroyed in close() or the destructor
    GtkWidget* m_box;      // the menu bar over the notebook
    GtkWidget* m_notebook;
    GtkWidget* m_menuBar = nullptr;
    GtkWidget* m_popUp = nullptr; // the last pop-up menu (owned)
    TabMenuProvider m_tabMenuProvider;
    // The bar whose keys are live, and the one its widgets wait to show (a menu was open).
    std::shared_ptr<const MenuBar> m_bar;
    MenuResponder m_menuResponder;
    bool m_barPending = false;
    std::shared_ptr<Window*> m_alive = std::make_shared<Window*>(this); // idle work holds it weakly
    GtkWidget* m_header = nullptr;
    std::vector<std::shared_ptr<WebView>> m_tabs;
    // Kept apart from the tab labels so that a closing window's tabs still answer their titles
    // once its widgets have gone.
    std::map<const ui::WebView*, std::string> m_tabTitles;
    struct Shortcut {
        unsigned keyval;
        unsigned modifiers;
        std::function<void()> action;
    };
    std::vector<Shortcut> m_shortcuts;
    std::vector<std::pair<int, std::function<bool(const KeyPress&)>>> m_keyMonitors;
    int m_lastMonitorId = 0;
    std::map<const WebView*, std::shared_ptr<PageEditor>> m_overlays;
    std::function<bool()> m_shouldClose;
    std::function<void()> m_closed;
    std::function<void()> m_newTab;
    GtkWidget* m_newTabButton = nullptr; // in the header bar, made with the first handler
    GObjectRef<GtkCssProvider> m_background; // made with the first background colour
    bool m_fullScreen = false;
    bool m_isClosed = false;
};

}
