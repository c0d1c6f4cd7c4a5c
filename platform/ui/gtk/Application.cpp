#include "platform/ui/gtk/ActivationTracker.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"

#include "platform/core/GObjectRef.h"

#include <gtk/gtk.h>

#include <list>

namespace ikw::ui::gtk3 {

namespace {

class GtkApp final : public Application {
public:
    GtkApp(const std::string& applicationId, ApplicationEvents events)
        : m_events(std::move(events))
        , m_application(gtk_application_new(applicationId.c_str(), G_APPLICATION_HANDLES_OPEN))
    {
        g_signal_connect(m_application, "startup", G_CALLBACK(onStartup), this);
        g_signal_connect(m_application, "activate", G_CALLBACK(onActivate), this);
        g_signal_connect(m_application, "open", G_CALLBACK(onOpen), this);
        g_signal_connect(m_application, "shutdown", G_CALLBACK(onShutdown), this);
        g_signal_connect(m_application, "window-removed", G_CALLBACK(onWindowRemoved), this);
        g_signal_connect(m_application, "window-added", G_CALLBACK(onWindowAdded), this);
    }
    ~GtkApp() override
    {
        g_signal_handlers_disconnect_by_data(m_application, this);
        for (auto& exported : m_exportedActions)
            g_signal_handlers_disconnect_by_data(exported.action.get(), &exported.handler);
        for (auto& exported : m_plainActions)
            g_signal_handlers_disconnect_by_data(exported.action.get(), &exported.handler);
        g_object_unref(m_application);
    }
    GtkApp(const GtkApp&) = delete;
    GtkApp& operator=(const GtkApp&) = delete;

    int run(int argc, char** argv) override
    {
        prepareWebKitEnvironment();
        return g_application_run(G_APPLICATION(m_application), argc, argv);
    }
    void quit() override { g_application_quit(G_APPLICATION(m_application)); }
    void hold() override { g_application_hold(G_APPLICATION(m_application)); }
    void release() override { g_application_release(G_APPLICATION(m_application)); }
    bool hasVisibleWindows() const override { return anyWindowVisible(m_application); }
    bool startedByBus() const override { return (g_application_get_flags(G_APPLICATION(m_application)) & G_APPLICATION_IS_SERVICE) != 0; }

    void exportAction(const std::string& name, UriListHandler handler) override
    {
        auto& exported = m_exportedActions.emplace_back(ExportedAction {
            GObjectRef<GSimpleAction>::adopt(g_simple_action_new(name.c_str(), G_VARIANT_TYPE_STRING_ARRAY)), std::move(handler) });
        g_signal_connect(exported.action.get(), "activate", G_CALLBACK(onUriListAction), &exported.handler);
        g_action_map_add_action(G_ACTION_MAP(m_application), G_ACTION(exported.action.get()));
    }

    void exportPlainAction(const std::string& name, std::function<void()> handler) override
    {
        auto& exported = m_plainActions.emplace_back(PlainAction { GObjectRef<GSimpleAction>::adopt(g_simple_action_new(name.c_str(), nullptr)), std::move(handler) });
        g_signal_connect(exported.action.get(), "activate", G_CALLBACK(onPlainAction), &exported.handler);
        g_action_map_add_action(G_ACTION_MAP(m_application), G_ACTION(exported.action.get()));
    }

private:
    static void onPlainAction(GSimpleAction*, GVariant*, gpointer data)
    {
        if (auto& handler = *static_cast<std::function<void()>*>(data))
            handler();
    }

    static void onStartup(GApplication*, gpointer data)
    {
        if (auto& startup = static_cast<GtkApp*>(data)->m_events.startup)
            startup();
    }

    static void onActivate(GtkApplication* application, gpointer data)
    {
        if (auto& activate = static_cast<GtkApp*>(data)->m_events.activate)
            activate(anyWindowVisible(application));
    }

    static void onOpen(GApplication*, GFile** files, int count, const char*, gpointer data)
    {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            // A URI with no local path (a "qeliz:" hand-off) is passed on as the URI.
            char* path = g_file_get_path(files[i]);
            char* text = path ? path : g_file_get_uri(files[i]);
            if (text) {
                paths.emplace_back(text);
                g_free(text);
            }
        }
        if (auto& open = static_cast<GtkApp*>(data)->m_events.open)
            open(paths);
    }

    static bool anyWindowVisible(GtkApplication* application)
    {
        for (GList* window = gtk_application_get_windows(application); window; window = window->next) {
            if (gtk_widget_get_visible(GTK_WIDGET(window->data)))
                return true;
        }
        return false;
    }

    static void onWindowRemoved(GtkApplication* application, GtkWindow*, gpointer data)
    {
        // A hidden window left over is out of reach: nothing on screen leads back to it.
        if (anyWindowVisible(application))
            return;
        if (auto& lastWindowClosed = static_cast<GtkApp*>(data)->m_events.lastWindowClosed)
            lastWindowClosed();
    }

    static void onWindowAdded(GtkApplication*, GtkWindow* window, gpointer data)
    {
        static_cast<GtkApp*>(data)->m_activation.watch(window);
    }

    static void onUriListAction(GSimpleAction*, GVariant* parameter, gpointer data)
    {
        std::vector<std::string> uris;
        gsize count = 0;
        const gchar** strings = parameter ? g_variant_get_strv(parameter, &count) : nullptr;
        for (gsize i = 0; i < count; ++i)
            uris.emplace_back(strings[i]);
        g_free(strings);
        if (auto& handler = *static_cast<UriListHandler*>(data))
            handler(uris);
    }

    static void onShutdown(GApplication*, gpointer data)
    {
        if (auto& shutdown = static_cast<GtkApp*>(data)->m_events.shutdown)
            shutdown();
    }

    ApplicationEvents m_events;
    GtkApplication* m_application;
    ActivationTracker m_activation { [this] {
        if (m_events.becameActive)
            m_events.becameActive();
    } };
    struct ExportedAction {
        GObjectRef<GSimpleAction> action;
        UriListHandler handler;
    };
    std::list<ExportedAction> m_exportedActions; // stable addresses: the actions' signals point at the handlers
    struct PlainAction {
        GObjectRef<GSimpleAction> action;
        std::function<void()> handler;
    };
    std::list<PlainAction> m_plainActions;
};

}

std::unique_ptr<Application> makeGtkApplication(const std::string& applicationId, ApplicationEvents events)
{
    return std::make_unique<GtkApp>(applicationId, std::move(events));
}

}
