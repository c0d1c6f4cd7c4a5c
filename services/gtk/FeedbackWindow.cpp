#include "services/gtk/FeedbackWindow.h"

#include "app/MenuCommands.h"
#include "platform/core/TaskQueue.h"
#include "services/gtk/FeedbackView.h"
#include "services/gtk/FeedbackWidgets.h"

namespace ikw::services::gtk {

namespace {

constexpr int kMinimumWidth = 460;
constexpr int kMinimumHeight = 560;
constexpr int kNaturalHeight = 580;

}

FeedbackWindow::FeedbackWindow(const FeedbackWindowHost& host, std::function<void()> closed)
    : m_closed(std::move(closed))
{
    auto form = FeedbackForm::create(host.setup());
    m_view = std::make_unique<FeedbackView>(form, FeedbackViewHost {
        .clipboard = host.clipboard,
        .workspace = host.workspace,
        .close = [this] { close(); },
    });
    m_window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    gtk_window_set_title(m_window, "Send Feedback");
    // Titled and closable only: no resizing, and a dialog's title bar has no minimise button.
    gtk_window_set_type_hint(m_window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_resizable(m_window, FALSE);
    gtk_window_set_position(m_window, GTK_WIN_POS_CENTER);
    gtk_widget_set_size_request(m_view->widget(), kMinimumWidth, kMinimumHeight);
    gtk_window_set_default_size(m_window, kMinimumWidth, kNaturalHeight);
    gtk_container_add(GTK_CONTAINER(m_window), m_view->widget());

    m_css = GObjectRef<GtkCssProvider>::adopt(gtk_css_provider_new());
    gtk_css_provider_load_from_data(m_css.get(), feedbackCss(m_view->accent()).c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(GTK_WIDGET(m_window)), GTK_STYLE_PROVIDER(m_css.get()),
        GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    m_destroyHandler = g_signal_connect_swapped(m_window, "destroy", G_CALLBACK(+[](gpointer self) {
        static_cast<FeedbackWindow*>(self)->destroyed();
    }), this);
}

FeedbackWindow::~FeedbackWindow()
{
    if (m_window) {
        g_signal_handler_disconnect(m_window, m_destroyHandler);
        gtk_widget_destroy(GTK_WIDGET(std::exchange(m_window, nullptr)));
    }
    gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(m_css.get()));
}

const std::shared_ptr<FeedbackForm>& FeedbackWindow::form() const
{
    return m_view->form();
}

void FeedbackWindow::close()
{
    if (m_window)
        gtk_widget_destroy(GTK_WIDGET(m_window));
}

void FeedbackWindow::destroyed()
{
    m_window = nullptr;
    // The form forgets the widgets at once; the holder goes once the signal is over.
    m_view->form()->setChanged({});
    if (m_closed)
        mainQueue().post(m_closed);
}

void FeedbackWindows::present()
{
    if (m_current && m_current->isVisible()) {
        gtk_window_present(m_current->window());
        return;
    }
    // Closing forgets this window, unless a newer one has taken its place meanwhile.
    const auto serial = ++m_serial;
    auto window = std::make_unique<FeedbackWindow>(m_host, [weak = weak_from_this(), serial] {
        if (const auto self = weak.lock(); self && self->m_serial == serial)
            self->m_current.reset();
    });
    m_current = std::move(window); // an earlier, hidden window is destroyed here
    gtk_widget_show(GTK_WIDGET(m_current->window()));
    gtk_window_present(m_current->window());
}

void registerFeedbackMenuCommand(MenuCommands& commands, std::shared_ptr<FeedbackWindows> windows)
{
    commands.add("sendFeedbackMI:", [windows = std::move(windows)](const MenuUse&) { windows->present(); });
}

}
