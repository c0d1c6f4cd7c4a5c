#include "platform/ui/gtk/Window.h"

#include "platform/ui/gtk/PageEditor.h"

#include <algorithm>
#include <string>

namespace ikw::ui::gtk3 {

Window::Window(const WindowOptions& options)
    : m_offscreen(options.offscreen)
    // An offscreen window is drawn but never mapped on a screen, so it cannot take the focus.
    , m_window(options.offscreen ? gtk_offscreen_window_new() : gtk_window_new(GTK_WINDOW_TOPLEVEL))
    , m_box(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0))
    , m_notebook(gtk_notebook_new())
{
    g_object_ref_sink(m_window);
    gtk_window_set_default_size(GTK_WINDOW(m_window), options.width, options.height);
    gtk_window_set_resizable(GTK_WINDOW(m_window), options.resizable);
    if (options.offscreen)
        gtk_widget_set_size_request(m_window, options.width, options.height);
    // A window that cannot be resized takes its size from its content's request.
    if (!options.resizable)
        gtk_widget_set_size_request(m_notebook, options.width, options.height);
    if (!options.offscreen) {
        m_header = gtk_header_bar_new();
        gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(m_header), TRUE);
        gtk_window_set_titlebar(GTK_WINDOW(m_window), m_header);
        gtk_widget_show(m_header);
    }
    gtk_notebook_set_scrollable(GTK_NOTEBOOK(m_notebook), TRUE);
    gtk_notebook_set_show_border(GTK_NOTEBOOK(m_notebook), FALSE);
    gtk_box_pack_end(GTK_BOX(m_box), m_notebook, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(m_window), m_box);
    gtk_widget_show(m_notebook);
    gtk_widget_show(m_box);
    setTitle(options.title);
    // The application counts its windows (a second start asks whether one is on screen; the
    // last one closing ends the program). An offscreen window is never one of them.
    GApplication* application = g_application_get_default();
    if (!options.offscreen && application && GTK_IS_APPLICATION(application))
        gtk_application_add_window(GTK_APPLICATION(application), GTK_WINDOW(m_window));
    g_signal_connect(m_window, "delete-event", G_CALLBACK(onDeleteEvent), this);
    g_signal_connect(m_window, "window-state-event", G_CALLBACK(onWindowState), this);
    // Before the focused web view sees the key.
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(onKeyPress), this);
    // Before the notebook's own handling of the press.
    g_signal_connect(m_notebook, "button-press-event", G_CALLBACK(onNotebookButtonPress), this);
    g_signal_connect(m_notebook, "popup-menu", G_CALLBACK(onNotebookPopupMenu), this);
    updateTabStrip();
}

void Window::setNewTabHandler(std::function<void()> newTab)
{
    m_newTab = std::move(newTab);
    if (!m_header)
        return;
    if (!m_newTabButton) {
        m_newTabButton = gtk_button_new_from_icon_name("tab-new-symbolic", GTK_ICON_SIZE_BUTTON);
        gtk_widget_set_tooltip_text(m_newTabButton, "New Tab");
        gtk_header_bar_pack_start(GTK_HEADER_BAR(m_header), m_newTabButton);
        g_signal_connect(m_newTabButton, "clicked", G_CALLBACK(onNewTabClicked), this);
    }
    gtk_widget_set_visible(m_newTabButton, m_newTab != nullptr);
}

void Window::onNewTabClicked(GtkButton*, gpointer data)
{
    auto* self = static_cast<Window*>(data);
    if (self->m_newTab)
        self->m_newTab();
}

void Window::setMenuBar(std::shared_ptr<const MenuBar> bar, MenuResponder responder)
{
    m_bar = std::move(bar);
    m_menuResponder = std::move(responder);
    if (m_isClosed)
        return;
    // Replacing the widgets of an open menu would pull it from under the pointer: wait until
    // it closes.
    if (m_menuBar && gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(m_menuBar))) {
        m_barPending = true;
        return;
    }
    installMenuBar();
}

void Window::installMenuBar()
{
    m_barPending = false;
    if (m_menuBar)
        gtk_widget_destroy(m_menuBar);
    m_menuBar = m_bar ? buildMenuBar(m_bar, m_menuResponder) : nullptr;
    if (!m_menuBar)
        return;
    gtk_box_pack_start(GTK_BOX(m_box), m_menuBar, FALSE, FALSE, 0);
    g_signal_connect(m_menuBar, "deactivate", G_CALLBACK(onMenuBarDeactivated), this);
}

void Window::onMenuBarDeactivated(GtkMenuShell*, gpointer data)
{
    auto* self = static_cast<Window*>(data);
    if (!self->m_barPending)
        return;
    // Not inside the closing bar's own signal: the next turn of the loop replaces it.
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, [](gpointer alive) -> gboolean {
        if (const auto token = static_cast<std::weak_ptr<Window*>*>(alive)->lock()) {
            Window* target = *token;
            if (target->m_barPending && !target->m_isClosed)
                target->installMenuBar();
        }
        return G_SOURCE_REMOVE;
    }, new std::weak_ptr<Window*>(self->m_alive), [](gpointer alive) { delete static_cast<std::weak_ptr<Window*>*>(alive); });
}

bool Window::performMenuKey(GdkEventKey* event)
{
    if (!m_bar)
        return false;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(m_window));
    const bool textFieldFocused = focus && (GTK_IS_EDITABLE(focus) || GTK_IS_TEXT_VIEW(focus));
    guint unshifted = 0;
    if (event->state & GDK_SHIFT_MASK) {
        GdkKeymap* keymap = gdk_keymap_get_for_display(gtk_widget_get_display(m_window));
        gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode, static_cast<GdkModifierType>(event->state & ~GDK_SHIFT_MASK),
            event->group, &unshifted, nullptr, nullptr, nullptr);
    }
    const auto bar = m_bar; // the command may replace the bar
    const auto responder = m_menuResponder;
    for (const MenuItem* item : itemsWithKeys(*bar)) {
        if (item->hidden || !keyPressMatches(event->keyval, unshifted, event->state, gtkKeyFor(item->key)))
            continue;
        // Text fields keep their own editing keys.
        if (item->firstResponder && textFieldFocused)
            return false;
        if (performIfEnabled(*item, responder))
            return true;
    }
    return false;
}

WindowSize Window::contentSize() const
{
    if (m_isClosed)
        return {};
    GtkAllocation area;
    gtk_widget_get_allocation(m_notebook, &area);
    return { area.width, area.height };
}

GtkWidget* Window::keepPopUp(std::shared_ptr<const Menu> menu, MenuResponder responder)
{
    if (m_popUp) {
        gtk_widget_destroy(m_popUp);
        g_object_unref(m_popUp);
    }
    m_popUp = buildPopUpMenu(std::move(menu), std::move(responder));
    g_object_ref_sink(m_popUp);
    gtk_menu_attach_to_widget(GTK_MENU(m_popUp), m_notebook, nullptr);
    return m_popUp;
}

void Window::popUpMenu(std::shared_ptr<const Menu> menu, double x, double y, MenuResponder responder)
{
    if (m_isClosed || !menu)
        return;
    keepPopUp(std::move(menu), std::move(responder));
    GdkWindow* surface = gtk_widget_get_window(m_notebook);
    if (!surface)
        return;
    GtkAllocation area;
    gtk_widget_get_allocation(m_notebook, &area);
    // The notebook's allocation is in its window's coordinates.
    const GdkRectangle point { area.x + static_cast<int>(x), area.y + static_cast<int>(y), 1, 1 };
    gtk_menu_popup_at_rect(GTK_MENU(m_popUp), surface, &point, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST, nullptr);
}

std::optional<WindowPoint> Window::pointerPosition() const
{
    GdkWindow* surface = m_isClosed ? nullptr : gtk_widget_get_window(m_notebook);
    GdkSeat* seat = surface ? gdk_display_get_default_seat(gtk_widget_get_display(m_notebook)) : nullptr;
    GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
    if (!pointer)
        return std::nullopt;
    double x = 0;
    double y = 0;
    gdk_window_get_device_position_double(surface, pointer, &x, &y, nullptr);
    GtkAllocation area;
    gtk_widget_get_allocation(m_notebook, &area);
    x -= area.x;
    y -= area.y;
    if (x < 0 || y < 0 || x >= area.width || y >= area.height)
        return std::nullopt;
    return WindowPoint { x, y };
}

std::shared_ptr<ui::WebView> Window::tabAtScreenPoint(double x, double y) const
{
    // A label is narrower than its tab: the tab's padding around it counts as well.
    constexpr int kTabPadding = 10;
    for (const auto& tab : m_tabs) {
        GtkWidget* page = pageOf(*tab);
        GtkWidget* label = page ? gtk_notebook_get_tab_label(GTK_NOTEBOOK(m_notebook), page) : nullptr;
        if (!label || !gtk_widget_get_mapped(label))
            continue;
        GtkAllocation area;
        gtk_widget_get_allocation(label, &area);
        int left = 0;
        int top = 0;
        gdk_window_get_root_coords(gtk_widget_get_window(label), area.x, area.y, &left, &top);
        if (x >= left - kTabPadding && x < left + area.width + kTabPadding && y >= top - kTabPadding && y < top + area.height + kTabPadding)
            return tab;
    }
    return nullptr;
}

GtkWidget* Window::makeTabMenu(const std::shared_ptr<ui::WebView>& tab)
{
    if (!m_tabMenuProvider || !tab || m_isClosed)
        return nullptr;
    TabMenu shown = m_tabMenuProvider(tab);
    if (!shown.menu || shown.menu->items.empty() || m_isClosed)
        return nullptr;
    return keepPopUp(std::move(shown.menu), std::move(shown.responder));
}

gboolean Window::onNotebookButtonPress(GtkWidget*, GdkEventButton* event, gpointer data)
{
    auto* self = static_cast<Window*>(data);
    if (event->type != GDK_BUTTON_PRESS || !gdk_event_triggers_context_menu(reinterpret_cast<GdkEvent*>(event)))
        return FALSE;
    GtkWidget* menu = self->makeTabMenu(self->tabAtScreenPoint(event->x_root, event->y_root));
    if (!menu)
        return FALSE;
    gtk_menu_popup_at_pointer(GTK_MENU(menu), reinterpret_cast<GdkEvent*>(event));
    return TRUE;
}

gboolean Window::onNotebookPopupMenu(GtkWidget*, gpointer data)
{
    // The menu key (or Shift+F10) on the tab strip: the shown tab's menu, under its label.
    auto* self = static_cast<Window*>(data);
    const int index = self->selectedTab();
    GtkWidget* page = index >= 0 ? gtk_notebook_get_nth_page(GTK_NOTEBOOK(self->m_notebook), index) : nullptr;
    GtkWidget* label = page ? gtk_notebook_get_tab_label(GTK_NOTEBOOK(self->m_notebook), page) : nullptr;
    if (!label || !gtk_widget_get_mapped(label))
        return FALSE;
    GtkWidget* menu = self->makeTabMenu(self->tab(index));
    if (!menu)
        return FALSE;
    gtk_menu_popup_at_widget(GTK_MENU(menu), label, GDK_GRAVITY_SOUTH_WEST, GDK_GRAVITY_NORTH_WEST, nullptr);
    return TRUE;
}

void Window::iconify()
{
    gtk_window_iconify(GTK_WINDOW(m_window));
}

void Window::toggleMaximized()
{
    if (gtk_window_is_maximized(GTK_WINDOW(m_window)))
        gtk_window_unmaximize(GTK_WINDOW(m_window));
    else
        gtk_window_maximize(GTK_WINDOW(m_window));
}

int Window::tabStepForKey(unsigned keyval, unsigned state, int tabCount)
{
    constexpr unsigned kConsidered = GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK | GDK_LOCK_MASK | GDK_SUPER_MASK
        | GDK_HYPER_MASK | GDK_META_MASK;
    if (tabCount < 2 || (keyval != GDK_KEY_Tab && keyval != GDK_KEY_ISO_Left_Tab && keyval != GDK_KEY_KP_Tab))
        return 0;
    switch (state & kConsidered) {
    case GDK_CONTROL_MASK:
        return 1;
    case GDK_CONTROL_MASK | GDK_SHIFT_MASK:
        return -1;
    default:
        return 0;
    }
}

bool Window::matchesShortcut(unsigned keyval, unsigned state, unsigned shortcutKeyval, unsigned shortcutModifiers)
{
    constexpr unsigned kConsidered = GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK | GDK_HYPER_MASK | GDK_META_MASK;
    return gdk_keyval_to_lower(keyval) == gdk_keyval_to_lower(shortcutKeyval) && (state & kConsidered) == (shortcutModifiers & kConsidered);
}

void Window::addShortcut(const std::string& accelerator, std::function<void()> action)
{
    guint keyval = 0;
    GdkModifierType modifiers {};
    gtk_accelerator_parse(accelerator.c_str(), &keyval, &modifiers);
    if (keyval == 0)
        return;
    m_shortcuts.push_back(Shortcut { keyval, static_cast<unsigned>(modifiers), std::move(action) });
}

namespace {

// A CSS number written the same in every locale.
std::string cssNumber(double value)
{
    char text[G_ASCII_DTOSTR_BUF_SIZE];
    return g_ascii_formatd(text, sizeof text, "%.4f", value);
}

}

void Window::setBackgroundColor(const Color& color)
{
    if (!m_background) {
        m_background = GObjectRef<GtkCssProvider>::adopt(gtk_css_provider_new());
        // The notebook's page area paints its own background over the window's.
        for (GtkWidget* widget : { m_window, m_notebook })
            gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(m_background.get()),
                GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }
    const auto component = [](double value) { return std::to_string(static_cast<int>(value * 255.0 + 0.5)); };
    const std::string css = "window, notebook > stack { background-color: rgba(" + component(color.red) + ","
        + component(color.green) + "," + component(color.blue) + "," + cssNumber(color.alpha) + "); }";
    gtk_css_provider_load_from_data(m_background.get(), css.c_str(), -1, nullptr);
}

bool Window::isActive() const
{
    return !m_isClosed && gtk_window_is_active(GTK_WINDOW(m_window));
}

bool Window::isFocusedLast() const
{
    GtkApplication* application = gtk_window_get_application(GTK_WINDOW(m_window));
    return !m_isClosed && application && gtk_application_get_active_window(application) == GTK_WINDOW(m_window);
}

gboolean Window::onKeyPress(GtkWidget*, GdkEventKey* event, gpointer data)
{
    auto* self = static_cast<Window*>(data);
    if (!self->m_keyMonitors.empty() && self->runKeyMonitors(keyPressFor(event->keyval, event->state)))
        return TRUE;
    for (const auto& shortcut : self->m_shortcuts) {
        if (matchesShortcut(event->keyval, event->state, shortcut.keyval, shortcut.modifiers)) {
            // The action may close this window: it runs from a copy.
            const auto action = shortcut.action;
            action();
            return TRUE;
        }
    }
    if (self->performMenuKey(event))
        return TRUE;
    const int count = self->tabCount();
    const int step = tabStepForKey(event->keyval, event->state, count);
    if (step == 0)
        return FALSE;
    self->selectTab((self->selectedTab() + step + count) % count);
    return TRUE;
}

Window::~Window()
{
    g_signal_handlers_disconnect_by_data(m_window, this);
    if (m_menuBar)
        g_signal_handlers_disconnect_by_data(m_menuBar, this);
    if (m_popUp) {
        gtk_widget_destroy(m_popUp);
        g_object_unref(m_popUp);
    }
    if (!m_isClosed) {
        // Editors laid over tabs belong to their owners: they leave before the widgets go.
        for (const auto& tab : m_tabs) {
            if (m_overlays.contains(tab.get()))
                detachPage(*tab);
        }
        gtk_widget_destroy(m_window);
    }
    g_object_unref(m_window);
}

int Window::addTab(std::shared_ptr<ui::WebView> view, const std::string& title)
{
    auto gtkView = std::dynamic_pointer_cast<WebView>(view);
    if (!gtkView)
        return -1;
    const int position = m_tabs.empty() ? 0 : selectedTab() + 1;
    GtkWidget* label = gtk_label_new(title.c_str());
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 28);
    gtk_widget_show(gtkView->widget());
    // Each page holds its web view and, while one is laid over it, an editor.
    GtkWidget* holder = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(holder), gtkView->widget(), TRUE, TRUE, 0);
    gtk_widget_show(holder);
    const int index = gtk_notebook_insert_page(GTK_NOTEBOOK(m_notebook), holder, label, position);
    gtk_notebook_set_tab_reorderable(GTK_NOTEBOOK(m_notebook), holder, TRUE);
    m_tabTitles[gtkView.get()] = title;
    m_tabs.insert(m_tabs.begin() + index, std::move(gtkView));
    gtk_notebook_set_current_page(GTK_NOTEBOOK(m_notebook), index);
    updateTabStrip();
    return index;
}

int Window::indexOf(const ui::WebView& view) const
{
    // A closed window's notebook has gone with its widgets.
    if (m_isClosed)
        return -1;
    for (std::size_t i = 0; i < m_tabs.size(); ++i) {
        if (m_tabs[i].get() == &view)
            return gtk_notebook_page_num(GTK_NOTEBOOK(m_notebook), pageOf(*m_tabs[i]));
    }
    return -1;
}

void Window::removeTab(const ui::WebView& view)
{
    const auto it = std::find_if(m_tabs.begin(), m_tabs.end(), [&](const auto& tab) { return tab.get() == &view; });
    if (it == m_tabs.end())
        return;
    detachPage(**it);
    m_tabTitles.erase(it->get());
    m_tabs.erase(it);
    updateTabStrip();
}

int Window::selectedTab() const
{
    return gtk_notebook_get_current_page(GTK_NOTEBOOK(m_notebook));
}

void Window::selectTab(int index)
{
    gtk_notebook_set_current_page(GTK_NOTEBOOK(m_notebook), index);
}

void Window::setTabTitle(const ui::WebView& view, const std::string& title)
{
    const int index = indexOf(view);
    if (index < 0)
        return;
    m_tabTitles[&view] = title;
    GtkWidget* page = gtk_notebook_get_nth_page(GTK_NOTEBOOK(m_notebook), index);
    gtk_notebook_set_tab_label_text(GTK_NOTEBOOK(m_notebook), page, title.c_str());
}

std::string Window::tabTitle(const ui::WebView& view) const
{
    const auto it = m_tabTitles.find(&view);
    return it == m_tabTitles.end() ? std::string() : it->second;
}

std::shared_ptr<ui::WebView> Window::tab(int index) const
{
    // Tabs may have been reordered by dragging: find the view shown at that position.
    GtkWidget* page = gtk_notebook_get_nth_page(GTK_NOTEBOOK(m_notebook), index);
    for (const auto& tab : m_tabs) {
        if (pageOf(*tab) == page)
            return tab;
    }
    return nullptr;
}

void Window::setTitle(const std::string& title)
{
    gtk_window_set_title(GTK_WINDOW(m_window), title.c_str());
}

std::string Window::title() const
{
    const char* title = gtk_window_get_title(GTK_WINDOW(m_window));
    return title ? title : "";
}

void Window::setRepresentedFile(const std::string& path)
{
    if (m_header)
        gtk_header_bar_set_subtitle(GTK_HEADER_BAR(m_header), path.empty() ? nullptr : path.c_str());
}

void Window::setLevel(WindowLevel level)
{
    gtk_window_set_keep_above(GTK_WINDOW(m_window), level == WindowLevel::Floating);
}

void Window::setFullScreen(bool fullScreen)
{
    if (fullScreen)
        gtk_window_fullscreen(GTK_WINDOW(m_window));
    else
        gtk_window_unfullscreen(GTK_WINDOW(m_window));
}

void Window::show()
{
    gtk_widget_show(m_window);
}

void Window::present()
{
    if (m_offscreen)
        gtk_widget_show(m_window);
    else
        gtk_window_present(GTK_WINDOW(m_window));
}

void Window::hide()
{
    gtk_widget_hide(m_window);
}

bool Window::isVisible() const
{
    return !m_isClosed && gtk_widget_get_visible(m_window);
}

void Window::requestClose()
{
    if (m_isClosed || (m_shouldClose && !m_shouldClose()))
        return;
    close();
}

void Window::close()
{
    if (m_isClosed)
        return;
    finishClose();
}

void Window::finishClose()
{
    m_isClosed = true;
    gtk_widget_hide(m_window);
    m_menuBar = nullptr; // goes with the window's widgets
    // The views stay alive with their owners; only the window's widgets go.
    for (const auto& tab : m_tabs)
        detachPage(*tab);
    gtk_widget_destroy(m_window);
    if (auto closed = std::move(m_closed))
        closed();
}

gboolean Window::onDeleteEvent(GtkWidget*, GdkEvent*, gpointer data)
{
    static_cast<Window*>(data)->requestClose();
    return TRUE; // we destroy it ourselves once the close is agreed
}

gboolean Window::onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data)
{
    static_cast<Window*>(data)->m_fullScreen = (event->new_window_state & GDK_WINDOW_STATE_FULLSCREEN) != 0;
    return FALSE;
}

void Window::updateTabStrip()
{
    gtk_notebook_set_show_tabs(GTK_NOTEBOOK(m_notebook), m_tabs.size() > 1);
}

GtkWidget* Window::pageOf(const WebView& view) const
{
    return gtk_widget_get_parent(view.widget());
}

void Window::detachPage(const WebView& view)
{
    GtkWidget* holder = pageOf(view);
    if (!holder)
        return;
    if (const auto overlay = m_overlays.find(&view); overlay != m_overlays.end()) {
        gtk_container_remove(GTK_CONTAINER(holder), overlay->second->widget());
        gtk_widget_show(view.widget());
        m_overlays.erase(overlay);
    }
    // The view's widget outlives the page: its owner keeps it.
    gtk_container_remove(GTK_CONTAINER(holder), view.widget());
    gtk_container_remove(GTK_CONTAINER(m_notebook), holder);
}

void Window::setTabOverlay(const ui::WebView& tab, std::shared_ptr<ui::PageEditor> editor)
{
    const auto it = std::find_if(m_tabs.begin(), m_tabs.end(), [&](const auto& view) { return view.get() == &tab; });
    if (it == m_tabs.end() || m_isClosed)
        return;
    GtkWidget* holder = pageOf(**it);
    if (const auto old = m_overlays.find(it->get()); old != m_overlays.end()) {
        gtk_container_remove(GTK_CONTAINER(holder), old->second->widget());
        m_overlays.erase(old);
    }
    auto gtkEditor = std::dynamic_pointer_cast<PageEditor>(editor);
    if (!gtkEditor) {
        gtk_widget_show((*it)->widget());
        return;
    }
    gtk_widget_hide((*it)->widget());
    gtk_box_pack_start(GTK_BOX(holder), gtkEditor->widget(), TRUE, TRUE, 0);
    gtk_widget_show(gtkEditor->widget());
    m_overlays[it->get()] = std::move(gtkEditor);
}

int Window::addKeyMonitor(std::function<bool(const KeyPress&)> monitor)
{
    const int id = ++m_lastMonitorId;
    m_keyMonitors.emplace_back(id, std::move(monitor));
    return id;
}

void Window::removeKeyMonitor(int id)
{
    std::erase_if(m_keyMonitors, [id](const auto& entry) { return entry.first == id; });
}

KeyPress Window::keyPressFor(unsigned keyval, unsigned state)
{
    KeyPress key;
    const gunichar character = gdk_keyval_to_unicode(gdk_keyval_to_lower(keyval));
    if (character != 0) {
        char text[8] = {};
        g_unichar_to_utf8(g_unichar_tolower(character), text);
        key.key = text;
    }
    key.control = (state & GDK_CONTROL_MASK) != 0;
    key.shift = (state & GDK_SHIFT_MASK) != 0;
    key.alt = (state & GDK_MOD1_MASK) != 0;
    key.super = (state & GDK_SUPER_MASK) != 0;
    return key;
}

bool Window::runKeyMonitors(const KeyPress& key)
{
    const auto monitors = m_keyMonitors; // a monitor may remove itself
    for (const auto& [id, monitor] : monitors) {
        if (monitor(key))
            return true;
    }
    return false;
}

}
