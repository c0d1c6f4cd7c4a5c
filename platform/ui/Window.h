#pragma once

#include "platform/ui/Menu.h"
#include "platform/ui/PageEditor.h"
#include "platform/ui/WebView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ikw::ui {

enum class WindowLevel { Normal, Floating };

struct WindowOptions {
    int width = 1200;
    int height = 820;
    std::string title;
    // Never shown on a screen and never focused: drawn for snapshots only.
    bool offscreen = false;
    // Fixed-size windows (panels) keep the size they were made with.
    bool resizable = true;
};

struct WindowSize {
    int width = 0;
    int height = 0;
};

// A point of a window's content, from its top left corner.
struct WindowPoint {
    double x = 0;
    double y = 0;
};

// The menu a tab shows when its label is right-clicked, and what answers its entries.
struct TabMenu {
    std::shared_ptr<const Menu> menu;
    MenuResponder responder;
};
// Asked with the tab's view at every right-click on its label; a menu without entries shows nothing.
using TabMenuProvider = std::function<TabMenu(const std::shared_ptr<WebView>& tab)>;

// A top-level window holding one or more tabs, each a web view. Main thread only.
class Window {
public:
    virtual ~Window() = default;

    // Adds a tab showing `view` after the current one and selects it; returns its index.
    virtual int addTab(std::shared_ptr<WebView> view, const std::string& title) = 0;
    virtual void removeTab(const WebView& view) = 0;
    virtual int tabCount() const = 0;
    virtual int selectedTab() const = 0;
    virtual void selectTab(int index) = 0;
    virtual void setTabTitle(const WebView& view, const std::string& title) = 0;
    virtual std::string tabTitle(const WebView& view) const = 0;
    virtual std::shared_ptr<WebView> tab(int index) const = 0;

    virtual void setTitle(const std::string& title) = 0;
    virtual std::string title() const = 0;
    // The file the window stands for (shown as a subtitle), "" for none.
    virtual void setRepresentedFile(const std::string& path) = 0;
    virtual void setLevel(WindowLevel level) = 0;
    virtual void setFullScreen(bool fullScreen) = 0;
    virtual bool isFullScreen() const = 0;

    // A key the window takes before its page sees it, as GTK writes accelerators ("<Control>w").
    virtual void addShortcut(const std::string& accelerator, std::function<void()> action) = 0;
    // Sees every key press of this window before its shortcuts, menu keys and page; true takes
    // the key. Returns an id for removeKeyMonitor.
    virtual int addKeyMonitor(std::function<bool(const KeyPress&)> monitor) = 0;
    virtual void removeKeyMonitor(int id) = 0;

    // Lays an editor over a tab's web view, which is hidden (never destroyed); none shows the web
    // view again.
    virtual void setTabOverlay(const WebView& tab, std::shared_ptr<PageEditor> editor) = 0;

    // The window has the keyboard focus now.
    virtual bool isActive() const = 0;
    // The window of the application that had the focus last (it may have gone to another program).
    virtual bool isFocusedLast() const = 0;

    virtual void show() = 0;
    virtual void present() = 0;
    // Takes the window off the screen without closing it (present() brings it back).
    virtual void hide() = 0;
    virtual bool isVisible() const = 0;
    // Asks the close handler first; closes when it agrees (or there is none).
    virtual void requestClose() = 0;
    // Closes without asking.
    virtual void close() = 0;
    // Answers whether a close asked for by the user or requestClose() may go ahead.
    virtual void setCloseHandler(std::function<bool()> shouldClose) = 0;
    // After the window has closed.
    virtual void setClosedHandler(std::function<void()> closed) = 0;
    // The window's new-tab button; without a handler there is no button.
    virtual void setNewTabHandler(std::function<void()> newTab) = 0;
    // The colour behind the window's content.
    virtual void setBackgroundColor(const Color& color) = 0;

    // The menu bar at the top of the window and its key combinations, which run without the menu
    // opening (validated first; a disabled entry's keys do nothing). A menu open at the time is
    // replaced once it closes. Nothing removes the bar.
    virtual void setMenuBar(std::shared_ptr<const MenuBar> bar, MenuResponder responder) = 0;
    // The size of the window's content, where popUpMenu's points lie.
    virtual WindowSize contentSize() const = 0;
    // Pops a menu up at a point of the window's content (from its top left corner).
    virtual void popUpMenu(std::shared_ptr<const Menu> menu, double x, double y, MenuResponder responder) = 0;
    // Where the pointer is over the window's content; nothing when it is elsewhere.
    virtual std::optional<WindowPoint> pointerPosition() const = 0;
    // The tabs' context menu; none takes it away.
    virtual void setTabMenuProvider(TabMenuProvider provider) = 0;
    virtual bool hasTabMenuProvider() const = 0;
    virtual void iconify() = 0;
    // Maximises the window, or gives it its former size when it is maximised.
    virtual void toggleMaximized() = 0;
};

}
