#pragma once

#include <gtk/gtk.h>

#include <functional>

namespace ikw::ui::gtk3 {

// Tells when the application becomes active: one of the watched windows takes the focus while
// none of them had it. When the focus moves between watched windows, the one losing it may report
// first; the application counts as left only once no watched window has won the focus back within
// a short grace period, so such a move is no activation. Main thread only.
class ActivationTracker {
public:
    static constexpr guint kGraceMilliseconds = 150;

    explicit ActivationTracker(std::function<void()> becameActive) : m_becameActive(std::move(becameActive)) {}
    ~ActivationTracker();
    ActivationTracker(const ActivationTracker&) = delete;
    ActivationTracker& operator=(const ActivationTracker&) = delete;

    // Follows the window's focus until it is destroyed.
    void watch(GtkWindow* window);

private:
    static void onActiveChanged(GObject* window, GParamSpec*, gpointer self);
    static void onDestroyed(gpointer self, GObject* window);
    static gboolean onGraceOver(gpointer self);
    void windowLost();
    void cancelGrace();

    std::function<void()> m_becameActive;
    GList* m_windows = nullptr; // watched, not owned: each leaves the list when destroyed
    bool m_active = false;
    guint m_grace = 0;
};

}
