// The desktop's colour-scheme preference and the machine's wake-ups, over D-Bus and GTK.

#include "app/SystemAppearance.h"

#include "platform/core/Log.h"

#include <gio/gio.h>
#include <gtk/gtk.h>

#include <cstring>
#include <optional>

namespace ikw {

namespace {

constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kSettingsInterface = "org.freedesktop.portal.Settings";
constexpr const char* kAppearanceNamespace = "org.freedesktop.appearance";
constexpr int kPortalTimeoutMs = 500;

// The portal's answer wraps the value in one or two variants depending on its version.
std::optional<guint32> colorSchemeOf(GVariant* value)
{
    GVariant* inner = g_variant_ref(value);
    while (g_variant_is_of_type(inner, G_VARIANT_TYPE_VARIANT)) {
        GVariant* next = g_variant_get_variant(inner);
        g_variant_unref(inner);
        inner = next;
    }
    std::optional<guint32> scheme;
    if (g_variant_is_of_type(inner, G_VARIANT_TYPE_UINT32))
        scheme = g_variant_get_uint32(inner);
    g_variant_unref(inner);
    return scheme;
}

class DesktopAppearance final : public SystemAppearance {
public:
    DesktopAppearance()
    {
        m_bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        if (m_bus) {
            m_signal = g_dbus_connection_signal_subscribe(m_bus, kPortalName, kSettingsInterface, "SettingChanged",
                kPortalPath, kAppearanceNamespace, G_DBUS_SIGNAL_FLAGS_NONE, &DesktopAppearance::onPortalChanged, this, nullptr);
            m_portalScheme = readPortal();
        }
        if (GtkSettings* settings = gtk_settings_get_default()) {
            m_gtkSettings = GTK_SETTINGS(g_object_ref(settings));
            // The application writes prefer-dark itself to force its own look (the toolkit's
            // setPrefersDark), so that property says what the desktop wants only before the first
            // write: it is read once here and its later changes are the application's own. The
            // desktop does not change it while we run; its live signals are the portal and the
            // theme name.
            gboolean preferDark = FALSE;
            g_object_get(settings, "gtk-application-prefer-dark-theme", &preferDark, nullptr);
            m_desktopPrefersDark = preferDark;
            g_signal_connect(settings, "notify::gtk-theme-name", G_CALLBACK(&DesktopAppearance::onGtkChanged), this);
        }
    }

    ~DesktopAppearance() override
    {
        if (m_gtkSettings) {
            g_signal_handlers_disconnect_by_data(m_gtkSettings, this);
            g_object_unref(m_gtkSettings);
        }
        if (m_bus) {
            if (m_signal)
                g_dbus_connection_signal_unsubscribe(m_bus, m_signal);
            g_object_unref(m_bus);
        }
    }

    bool prefersDark() const override
    {
        // 1 is "prefer dark", 2 "prefer light", 0 "no preference" (then GTK's own setting decides).
        if (m_portalScheme && *m_portalScheme != 0)
            return *m_portalScheme == 1;
        if (!m_gtkSettings)
            return false;
        gchar* theme = nullptr;
        g_object_get(m_gtkSettings, "gtk-theme-name", &theme, nullptr);
        const bool darkTheme = theme && std::strstr(theme, "-dark");
        g_free(theme);
        return m_desktopPrefersDark || darkTheme;
    }

    void setChangeHandler(std::function<void()> changed) override { m_changed = std::move(changed); }

private:
    std::optional<guint32> readPortal() const
    {
        GVariant* reply = g_dbus_connection_call_sync(m_bus, kPortalName, kPortalPath, kSettingsInterface, "Read",
            g_variant_new("(ss)", kAppearanceNamespace, "color-scheme"), nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START,
            kPortalTimeoutMs, nullptr, nullptr);
        if (!reply)
            return std::nullopt;
        GVariant* value = g_variant_get_child_value(reply, 0);
        auto scheme = colorSchemeOf(value);
        g_variant_unref(value);
        g_variant_unref(reply);
        return scheme;
    }

    static void onPortalChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters, gpointer data)
    {
        auto* self = static_cast<DesktopAppearance*>(data);
        const gchar* ns = nullptr;
        const gchar* key = nullptr;
        GVariant* value = nullptr;
        g_variant_get(parameters, "(&s&sv)", &ns, &key, &value);
        if (key && std::strcmp(key, "color-scheme") == 0) {
            self->m_portalScheme = colorSchemeOf(value);
            self->notify();
        }
        if (value)
            g_variant_unref(value);
    }

    static void onGtkChanged(GObject*, GParamSpec*, gpointer data) { static_cast<DesktopAppearance*>(data)->notify(); }

    void notify() const
    {
        if (m_changed)
            m_changed();
    }

    GDBusConnection* m_bus = nullptr;
    guint m_signal = 0;
    GtkSettings* m_gtkSettings = nullptr;
    bool m_desktopPrefersDark = false;
    std::optional<guint32> m_portalScheme;
    std::function<void()> m_changed;
};

class LogindWakeMonitor final : public WakeMonitor {
public:
    LogindWakeMonitor()
    {
        m_bus = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, nullptr);
        if (!m_bus)
            return; // no system bus (containers, CI): no wake-ups are reported
        m_signal = g_dbus_connection_signal_subscribe(m_bus, "org.freedesktop.login1", "org.freedesktop.login1.Manager",
            "PrepareForSleep", "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &LogindWakeMonitor::onSleep, this, nullptr);
    }

    ~LogindWakeMonitor() override
    {
        if (!m_bus)
            return;
        if (m_signal)
            g_dbus_connection_signal_unsubscribe(m_bus, m_signal);
        g_object_unref(m_bus);
    }

    void setWakeHandler(std::function<void()> woke) override { m_woke = std::move(woke); }

private:
    // PrepareForSleep(true) comes before sleeping, PrepareForSleep(false) after waking.
    static void onSleep(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters, gpointer data)
    {
        auto* self = static_cast<LogindWakeMonitor*>(data);
        gboolean goingToSleep = TRUE;
        g_variant_get(parameters, "(b)", &goingToSleep);
        if (!goingToSleep && self->m_woke)
            self->m_woke();
    }

    GDBusConnection* m_bus = nullptr;
    guint m_signal = 0;
    std::function<void()> m_woke;
};

}

std::unique_ptr<SystemAppearance> makeDesktopAppearance()
{
    return std::make_unique<DesktopAppearance>();
}

std::unique_ptr<WakeMonitor> makeLogindWakeMonitor()
{
    return std::make_unique<LogindWakeMonitor>();
}

}
