#include "platform/secrets/fake/PrivateKeyring.h"

#include <gio/gio.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace ikw::secrets {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);

void writeBusConfig(const std::string& path, const std::string& socketFolder)
{
    // No service folders: nothing on this bus is started by activation, only what the test starts.
    std::ofstream(path) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                           "<busconfig>\n  <type>session</type>\n  <listen>unix:dir="
                        << socketFolder
                        << "</listen>\n  <auth>EXTERNAL</auth>\n"
                           "  <policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>\n"
                           "    <allow own=\"*\"/></policy>\n"
                           "</busconfig>\n";
}

bool nameHasOwner(GDBusConnection* bus, const char* name)
{
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
        "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
        1000, nullptr, nullptr);
    gboolean owned = FALSE;
    if (reply)
        g_variant_get(reply, "(b)", &owned);
    return owned;
}

// The state letter of /proc/<pid>/stat, after the parenthesised command name.
bool isStopped(const char* pid)
{
    std::ifstream stat(std::string("/proc/") + pid + "/stat");
    const std::string line((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && (line[close + 2] == 'T' || line[close + 2] == 't');
}

}

PrivateKeyring& PrivateKeyring::shared()
{
    static PrivateKeyring keyring;
    return keyring;
}

PrivateKeyring::PrivateKeyring()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "ikw-keyring.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        m_failure = "no temporary folder";
        return;
    }
    m_folder = pattern;
    start();
}

void PrivateKeyring::start()
{
    std::filesystem::create_directories(m_folder + "/runtime");
    std::filesystem::create_directories(m_folder + "/data");
    std::filesystem::permissions(m_folder + "/runtime", std::filesystem::perms::owner_all);
    writeBusConfig(m_folder + "/bus.conf", m_folder);

    g_autoptr(GError) error = nullptr;
    const std::string configArgument = "--config-file=" + m_folder + "/bus.conf";
    m_bus = g_subprocess_new(static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_PIPE | G_SUBPROCESS_FLAGS_STDERR_SILENCE), &error, "dbus-daemon",
        configArgument.c_str(), "--nofork", "--print-address=1", nullptr);
    if (!m_bus) {
        m_failure = std::string("dbus-daemon cannot start: ") + error->message;
        return;
    }
    g_autoptr(GDataInputStream) output = g_data_input_stream_new(g_subprocess_get_stdout_pipe(m_bus));
    g_autofree char* address = g_data_input_stream_read_line(output, nullptr, nullptr, nullptr);
    if (!address) {
        m_failure = "dbus-daemon did not give its address";
        return;
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);

    g_autoptr(GSubprocessLauncher) launcher = g_subprocess_launcher_new(static_cast<GSubprocessFlags>(
        G_SUBPROCESS_FLAGS_STDIN_PIPE | G_SUBPROCESS_FLAGS_STDOUT_SILENCE | G_SUBPROCESS_FLAGS_STDERR_SILENCE));
    g_subprocess_launcher_setenv(launcher, "DBUS_SESSION_BUS_ADDRESS", address, TRUE);
    g_subprocess_launcher_setenv(launcher, "HOME", m_folder.c_str(), TRUE);
    g_subprocess_launcher_setenv(launcher, "XDG_DATA_HOME", (m_folder + "/data").c_str(), TRUE);
    g_subprocess_launcher_setenv(launcher, "XDG_RUNTIME_DIR", (m_folder + "/runtime").c_str(), TRUE);
    m_keyring = g_subprocess_launcher_spawn(launcher, &error, "gnome-keyring-daemon", "--foreground", "--components=secrets", "--unlock", nullptr);
    if (!m_keyring) {
        m_failure = std::string("gnome-keyring-daemon cannot start: ") + error->message;
        return;
    }
    // --unlock reads the login keyring's password from standard input, up to its end.
    GOutputStream* input = g_subprocess_get_stdin_pipe(m_keyring);
    g_output_stream_write_all(input, "test", 4, nullptr, nullptr, nullptr);
    g_output_stream_close(input, nullptr, nullptr);

    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        m_failure = std::string("the private bus does not answer: ") + error->message;
        return;
    }
    // The bus ends with this process; that must not look like a lost session.
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!nameHasOwner(bus, "org.freedesktop.secrets")) {
        if (std::chrono::steady_clock::now() > deadline || !g_subprocess_get_identifier(m_keyring)) {
            m_failure = "gnome-keyring-daemon did not take the secret service's name";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void PrivateKeyring::freeze()
{
    const char* pid = m_keyring ? g_subprocess_get_identifier(m_keyring) : nullptr;
    if (!pid)
        return;
    g_subprocess_send_signal(m_keyring, SIGSTOP);
    // The signal takes effect a little later; wait until the process is really stopped.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline && !isStopped(pid))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void PrivateKeyring::thaw()
{
    if (m_keyring)
        g_subprocess_send_signal(m_keyring, SIGCONT);
}

bool PrivateKeyring::lock()
{
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus || !running())
        return false;
    const auto call = [&bus](const char* method, GVariant* parameters, const GVariantType* replyType) {
        return g_dbus_connection_call_sync(bus, "org.freedesktop.secrets", "/org/freedesktop/secrets", "org.freedesktop.Secret.Service",
            method, parameters, replyType, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    };
    g_autoptr(GVariant) alias = call("ReadAlias", g_variant_new("(s)", "default"), G_VARIANT_TYPE("(o)"));
    if (!alias)
        return false;
    const char* collection = nullptr;
    g_variant_get(alias, "(&o)", &collection);
    const char* objects[] = { collection };
    g_autoptr(GVariant) locked = call("Lock", g_variant_new("(@ao)", g_variant_new_objv(objects, 1)), G_VARIANT_TYPE("(aoo)"));
    return locked != nullptr;
}

PrivateKeyring::~PrivateKeyring()
{
    for (GSubprocess* handle : { m_keyring, m_bus }) {
        if (!handle)
            continue;
        g_subprocess_send_signal(handle, SIGCONT);
        g_subprocess_force_exit(handle);
        g_subprocess_wait(handle, nullptr, nullptr);
        g_object_unref(handle);
    }
    if (!m_folder.empty())
        std::filesystem::remove_all(m_folder);
}

}
