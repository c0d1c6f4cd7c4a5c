#include "platform/core/ComputerName.h"

#include "platform/core/FileSystem.h"
#include "platform/core/GObjectRef.h"
#include "platform/core/OperatingSystem.h"
#include "platform/core/Text.h"

#include <gio/gio.h>
#include <unistd.h>

#include <climits>

namespace ikw {

namespace {

// A bus that does not answer by then is taken as absent.
constexpr int kHostnamedTimeoutMs = 1000;

std::optional<std::string> nonEmpty(std::string_view text)
{
    const std::string_view trimmed = trim(text);
    if (trimmed.empty())
        return std::nullopt;
    return std::string(trimmed);
}

std::optional<std::string> hostnamedPrettyName()
{
    const auto bus = GObjectRef<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, nullptr));
    if (!bus)
        return std::nullopt;
    GVariant* reply = g_dbus_connection_call_sync(bus.get(), "org.freedesktop.hostname1", "/org/freedesktop/hostname1",
        "org.freedesktop.DBus.Properties", "Get", g_variant_new("(ss)", "org.freedesktop.hostname1", "PrettyHostname"),
        G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, kHostnamedTimeoutMs, nullptr, nullptr);
    if (!reply)
        return std::nullopt;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    std::optional<std::string> name;
    if (value && g_variant_is_of_type(value, G_VARIANT_TYPE_STRING))
        name = nonEmpty(g_variant_get_string(value, nullptr));
    if (value)
        g_variant_unref(value);
    g_variant_unref(reply);
    return name;
}

std::optional<std::string> machineInfoPrettyName()
{
    const auto text = realFileSystem().readFile("/etc/machine-info");
    if (!text)
        return std::nullopt;
    const auto value = shellAssignmentValue(*text, "PRETTY_HOSTNAME");
    return value ? nonEmpty(*value) : std::nullopt;
}

std::optional<std::string> hostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return std::nullopt;
    return nonEmpty(name);
}

}

std::optional<std::string> computerName()
{
    if (auto name = hostnamedPrettyName())
        return name;
    if (auto name = machineInfoPrettyName())
        return name;
    return hostName();
}

}
