#include "platform/ui/gtk/ActivationTracker.h"

namespace ikw::ui::gtk3 {

ActivationTracker::~ActivationTracker()
{
    cancelGrace();
    for (GList* entry = m_windows; entry; entry = entry->next) {
        g_signal_handlers_disconnect_by_data(entry->data, this);
        g_object_weak_unref(G_OBJECT(entry->data), &ActivationTracker::onDestroyed, this);
    }
    g_list_free(m_windows);
}

void ActivationTracker::watch(GtkWindow* window)
{
    if (g_list_find(m_windows, window))
        return;
    m_windows = g_list_prepend(m_windows, window);
    g_object_weak_ref(G_OBJECT(window), &ActivationTracker::onDestroyed, this);
    g_signal_connect(window, "notify::is-active", G_CALLBACK(&ActivationTracker::onActiveChanged), this);
    if (gtk_window_is_active(window))
        onActiveChanged(G_OBJECT(window), nullptr, this);
}

void ActivationTracker::onActiveChanged(GObject* window, GParamSpec*, gpointer data)
{
    auto* self = static_cast<ActivationTracker*>(data);
    if (!gtk_window_is_active(GTK_WINDOW(window))) {
        self->windowLost();
        return;
    }
    self->cancelGrace();
    if (self->m_active)
        return;
    self->m_active = true;
    if (self->m_becameActive)
        self->m_becameActive();
}

void ActivationTracker::onDestroyed(gpointer data, GObject* window)
{
    auto* self = static_cast<ActivationTracker*>(data);
    self->m_windows = g_list_remove(self->m_windows, window);
    self->windowLost();
}

void ActivationTracker::windowLost()
{
    if (m_active && !m_grace)
        m_grace = g_timeout_add(kGraceMilliseconds, &ActivationTracker::onGraceOver, this);
}

gboolean ActivationTracker::onGraceOver(gpointer data)
{
    auto* self = static_cast<ActivationTracker*>(data);
    self->m_grace = 0;
    bool anyActive = false;
    for (GList* entry = self->m_windows; entry && !anyActive; entry = entry->next)
        anyActive = gtk_window_is_active(GTK_WINDOW(entry->data));
    self->m_active = anyActive;
    return G_SOURCE_REMOVE;
}

void ActivationTracker::cancelGrace()
{
    if (m_grace) {
        g_source_remove(m_grace);
        m_grace = 0;
    }
}

}
