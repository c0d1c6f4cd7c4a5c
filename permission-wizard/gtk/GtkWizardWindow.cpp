#include "permission-wizard/gtk/GtkWizardPresenter.h"

#include "permission-wizard/gtk/ScreenViews.h"
#include "permission-wizard/gtk/WizardStyle.h"

#include <cmath>

namespace ikw::wizard::gtk {

namespace {

// A press on the window's background (nothing else took it) moves the window.
gboolean moveOnBackgroundPress(GtkWidget* widget, GdkEventButton* event, gpointer)
{
    if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY)
        return FALSE;
    gtk_window_begin_move_drag(GTK_WINDOW(widget), static_cast<gint>(event->button), static_cast<gint>(event->x_root),
        static_cast<gint>(event->y_root), event->time);
    return TRUE;
}

// The title bar's only control, floating over the content's top-right corner: it closes the
// window the way the window manager's close does (which hides it).
GtkWidget* titleBarCloseButton(GtkWidget* window)
{
    GtkWidget* button = gtk_button_new_from_icon_name("window-close-symbolic", GTK_ICON_SIZE_MENU);
    gtk_button_set_relief(GTK_BUTTON(button), GTK_RELIEF_NONE);
    gtk_widget_set_name(button, "close-button");
    gtk_widget_set_tooltip_text(button, "Close");
    gtk_widget_set_halign(button, GTK_ALIGN_END);
    gtk_widget_set_valign(button, GTK_ALIGN_START);
    gtk_widget_set_margin_top(button, 8);
    gtk_widget_set_margin_end(button, 8);
    g_signal_connect_swapped(button, "clicked", G_CALLBACK(gtk_window_close), window);
    return button;
}

}

GtkWizardWindow::GtkWizardWindow(std::shared_ptr<KDPermissionWizardView> view, const WizardWindowSpec& spec, const WizardDisplay& display)
    : m_view(std::move(view))
    , m_display(display)
    , m_window(gtk_window_new(GTK_WINDOW_TOPLEVEL))
    , m_overlay(gtk_overlay_new())
{
    GtkWindow* window = GTK_WINDOW(m_window);
    gtk_window_set_title(window, spec.title.c_str());
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    // No title bar of the window manager's: the title is only for it, and the close button
    // floats over the content, which the window's background carries to the top edge.
    gtk_window_set_decorated(window, FALSE);
    gtk_style_context_add_class(gtk_widget_get_style_context(m_window), "ikw-wizard");
    gtk_widget_set_size_request(m_overlay, static_cast<int>(std::lround(spec.contentWidth)), static_cast<int>(std::lround(spec.contentHeight)));
    gtk_container_add(GTK_CONTAINER(m_window), m_overlay);
    gtk_overlay_add_overlay(GTK_OVERLAY(m_overlay), titleBarCloseButton(m_window));

    gtk_widget_add_events(m_window, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(m_window, "button-press-event", G_CALLBACK(moveOnBackgroundPress), nullptr);
    // The title-bar close only hides: the controller keeps this window for a later present.
    g_signal_connect(m_window, "delete-event", G_CALLBACK(gtk_widget_hide_on_delete), nullptr);

    m_view->setOnChanged([this] { rebuild(); });
    followSettings();
    rebuild();
    gtk_widget_show_all(m_window);
    gtk_window_present(window);
}

GtkWizardWindow::~GtkWizardWindow()
{
    m_view->setOnChanged({});
    if (m_settingsHandler != 0)
        g_signal_handler_disconnect(m_settings.get(), m_settingsHandler);
    if (m_css)
        gtk_style_context_remove_provider_for_screen(gtk_widget_get_screen(m_window), GTK_STYLE_PROVIDER(m_css.get()));
    gtk_widget_destroy(m_window);
}

void GtkWizardWindow::bringForward()
{
    gtk_widget_show(m_window);
    gtk_window_present(GTK_WINDOW(m_window));
}

void GtkWizardWindow::rebuild()
{
    const bool dark = m_display.isDark && m_display.isDark();
    WizardPaint paint { KDResolvedBrand(m_view->brand(), dark), dark, m_display.appIconPath };
    applyStyle(paint.brand);
    if (m_body)
        gtk_widget_destroy(m_body);
    m_body = wizardBody(*m_view, paint, *m_display.workspace);
    gtk_container_add(GTK_CONTAINER(m_overlay), m_body);
    gtk_widget_show_all(m_body);
}

void GtkWizardWindow::applyStyle(const KDResolvedBrand& brand)
{
    // Its own provider for this window's style class; the screen's providers are shared by every
    // window, so the rules only select ".ikw-wizard" and what lies inside it.
    GdkScreen* screen = gtk_widget_get_screen(m_window);
    if (m_css)
        gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(m_css.get()));
    m_css = GObjectRef<GtkCssProvider>::adopt(gtk_css_provider_new());
    gtk_css_provider_load_from_data(m_css.get(), wizardCss(brand).c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(m_css.get()), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

void GtkWizardWindow::followSettings()
{
    m_settings = GObjectRef<GtkSettings>::retain(gtk_widget_get_settings(m_window));
    m_settingsHandler = g_signal_connect_swapped(m_settings.get(), "notify::gtk-application-prefer-dark-theme",
        G_CALLBACK(+[](gpointer self) { static_cast<GtkWizardWindow*>(self)->rebuild(); }), this);
}

std::unique_ptr<WizardWindow> GtkWizardPresenter::makeWindow(std::shared_ptr<KDPermissionWizardView> view, const WizardWindowSpec& spec)
{
    if (!m_display.workspace || !gdk_display_get_default())
        return nullptr;
    auto window = std::make_unique<GtkWizardWindow>(std::move(view), spec, m_display);
    std::erase_if(m_windows, [](const auto& alive) { return alive.expired(); });
    m_windows.push_back(window->aliveToken());
    return window;
}

void GtkWizardPresenter::appearanceChanged()
{
    for (const auto& alive : m_windows) {
        if (const auto window = alive.lock())
            (*window)->rebuild();
    }
}

}
