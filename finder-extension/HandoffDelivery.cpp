#include "finder-extension/HandoffDelivery.h"

#include "finder-extension/ExtensionNames.h"
#include "finder-extension/HandoffUrl.h"
#include "platform/core/GObjectRef.h"

#include <gio/gio.h>

#include <memory>

namespace ikw::finderext {

namespace {

constexpr const char* kOpenInterface = "org.freedesktop.Application";

void logFailure(const char* step, const GError* error)
{
    g_debug("Inkwarden hand-off: %s failed: %s", step, error ? error->message : "no handler");
}

void onUriLaunched(GObject*, GAsyncResult* result, gpointer)
{
    g_autoptr(GError) error = nullptr;
    if (!g_app_info_launch_default_for_uri_finish(result, &error))
        logFailure("opening the hand-off URL", error);
}

// Starts the handler of the hand-off scheme without a URL, so that it comes up on the bus.
bool startApplication()
{
    const std::string scheme(kHandoffScheme);
    g_autoptr(GAppInfo) handler = g_app_info_get_default_for_uri_scheme(scheme.c_str());
    g_autoptr(GError) error = nullptr;
    if (!handler || !g_app_info_launch(handler, nullptr, nullptr, &error)) {
        logFailure("starting the application", error);
        return false;
    }
    return true;
}

// One URL on its way over the bus. Exactly one callback owns it at a time.
struct BusHandoff {
    std::string url;
    GObjectRef<GDBusConnection> bus;
    bool started = false;
    unsigned waitedMilliseconds = 0;
};
using OwnedHandoff = std::unique_ptr<BusHandoff>;

void callOpen(OwnedHandoff handoff);

gboolean retryOpen(gpointer data)
{
    callOpen(OwnedHandoff(static_cast<BusHandoff*>(data)));
    return G_SOURCE_REMOVE;
}

bool isAbsent(const GError* error)
{
    return g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN)
        || g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER);
}

void onOpenReplied(GObject* source, GAsyncResult* result, gpointer data)
{
    OwnedHandoff handoff(static_cast<BusHandoff*>(data));
    g_autoptr(GError) error = nullptr;
    g_autoptr(GVariant) reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (reply)
        return;
    if (!isAbsent(error) || handoff->waitedMilliseconds >= kStartWaitMilliseconds) {
        logFailure("calling the application's Open", error);
        return;
    }
    if (!handoff->started) {
        if (!startApplication())
            return;
        handoff->started = true;
    }
    handoff->waitedMilliseconds += kStartRetryMilliseconds;
    g_timeout_add(kStartRetryMilliseconds, retryOpen, handoff.release());
}

void callOpen(OwnedHandoff handoff)
{
    const char* uris[] = { handoff->url.c_str(), nullptr };
    GVariant* noPlatformData = g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0);
    const std::string name(kApplicationId);
    const auto path = applicationObjectPath(kApplicationId);
    // Once the application was started here, only its own arrival counts.
    const auto flags = handoff->started ? G_DBUS_CALL_FLAGS_NO_AUTO_START : G_DBUS_CALL_FLAGS_NONE;
    GDBusConnection* bus = handoff->bus.get();
    g_dbus_connection_call(bus, name.c_str(), path.c_str(), kOpenInterface, "Open",
        g_variant_new("(^as@a{sv})", uris, noPlatformData), nullptr, flags, -1, nullptr, onOpenReplied,
        handoff.release());
}

void onBusReady(GObject*, GAsyncResult* result, gpointer data)
{
    OwnedHandoff handoff(static_cast<BusHandoff*>(data));
    g_autoptr(GError) error = nullptr;
    handoff->bus = GObjectRef<GDBusConnection>::adopt(g_bus_get_finish(result, &error));
    if (!handoff->bus) {
        logFailure("reaching the session bus", error);
        return;
    }
    callOpen(std::move(handoff));
}

}

HandoffRoute routeFor(std::string_view url)
{
    return url.size() <= kMaxArgumentLength ? HandoffRoute::Argument : HandoffRoute::SessionBus;
}

std::string applicationObjectPath(std::string_view applicationId)
{
    std::string path = "/";
    for (const char c : applicationId)
        path += c == '.' ? '/' : c == '-' ? '_' : c;
    return path;
}

void deliverHandoffUrl(std::string url)
{
    if (routeFor(url) == HandoffRoute::Argument) {
        g_app_info_launch_default_for_uri_async(url.c_str(), nullptr, nullptr, onUriLaunched, nullptr);
        return;
    }
    auto handoff = std::make_unique<BusHandoff>();
    handoff->url = std::move(url);
    g_bus_get(G_BUS_TYPE_SESSION, nullptr, onBusReady, handoff.release());
}

}
