// Revealing files: through the file manager's D-Bus service when one runs, else its folder opens.
#include "platform/ui/gtk/Desktop.h"
#include "platform/ui/gtk/GtkSetup.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <string_view>

namespace ikw::ui {
namespace {

constexpr const char* kInterface = R"(<node><interface name="org.freedesktop.FileManager1">
  <method name="ShowItems"><arg type="as" direction="in"/><arg type="s" direction="in"/></method>
  <method name="ShowItemProperties"><arg type="as" direction="in"/><arg type="s" direction="in"/></method>
</interface></node>)";

// A file manager on the session bus that notes what it was asked to show.
class FakeFileManager {
public:
    explicit FakeFileManager(GDBusConnection* bus) : m_bus(bus)
    {
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
        static const GDBusInterfaceVTable vtable { &FakeFileManager::onCall, nullptr, nullptr, {} };
        m_registration = g_dbus_connection_register_object(bus, "/org/freedesktop/FileManager1", node->interfaces[0], &vtable, this, nullptr, nullptr);
        g_dbus_node_info_unref(node);
        m_owner = g_bus_own_name_on_connection(bus, "org.freedesktop.FileManager1", G_BUS_NAME_OWNER_FLAGS_NONE,
            +[](GDBusConnection*, const char*, gpointer data) { static_cast<FakeFileManager*>(data)->m_owned = true; }, nullptr, this, nullptr);
    }
    ~FakeFileManager()
    {
        g_bus_unown_name(m_owner);
        g_dbus_connection_unregister_object(m_bus, m_registration);
    }
    bool owned() const { return m_owned; }
    std::vector<std::string> shown;      // by ShowItems
    std::vector<std::string> properties; // by ShowItemProperties

private:
    static void onCall(GDBusConnection*, const char*, const char*, const char*, const char* method, GVariant* parameters,
        GDBusMethodInvocation* invocation, gpointer data)
    {
        auto* self = static_cast<FakeFileManager*>(data);
        auto& asked = std::string_view(method) == "ShowItemProperties" ? self->properties : self->shown;
        GVariantIter* uris = nullptr;
        const char* startup = nullptr;
        g_variant_get(parameters, "(as&s)", &uris, &startup);
        const char* uri = nullptr;
        while (g_variant_iter_loop(uris, "&s", &uri))
            asked.emplace_back(uri);
        g_variant_iter_free(uris);
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    GDBusConnection* m_bus;
    unsigned m_registration = 0;
    unsigned m_owner = 0;
    bool m_owned = false;
};

TEST(Workspace, RevealAsksTheFileManagerAndFallsBackToOpeningTheFolder)
{
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        GTEST_SKIP() << "no session bus (scripts/run-tests provides one)";
    std::vector<std::string> launched;
    gtk3::Workspace workspace([&](const std::string& uri) {
        launched.push_back(uri);
        return true;
    });
    {
        FakeFileManager fileManager(bus);
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return fileManager.owned(); }, 10));
        workspace.revealFile("/cases/a b.pdf");
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return !fileManager.shown.empty(); }, 10));
        EXPECT_EQ(fileManager.shown, std::vector<std::string> { "file:///cases/a%20b.pdf" });
        EXPECT_TRUE(launched.empty());
    }
    workspace.revealFile("/cases/a b.pdf");
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return !launched.empty(); }, 10));
    EXPECT_EQ(launched, std::vector<std::string> { "file:///cases" });
    g_object_unref(bus);
}

}
}

namespace ikw::ui {
namespace {

TEST(Workspace, PropertiesAreAskedOfTheFileManagerWithTheFilesOwnUri)
{
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        GTEST_SKIP() << "no session bus (scripts/run-tests provides one)";
    gtk3::Workspace workspace([](const std::string&) { return true; });
    {
        FakeFileManager fileManager(bus);
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return fileManager.owned(); }, 10));
        workspace.showItemProperties("/cases/say \"hi\" \\ there.pdf");
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return !fileManager.properties.empty(); }, 10));
        EXPECT_EQ(fileManager.properties, std::vector<std::string> { "file:///cases/say%20%22hi%22%20%5C%20there.pdf" });
        EXPECT_TRUE(fileManager.shown.empty());
    }
    // Without a file manager nothing opens in its place.
    workspace.showItemProperties("/cases/a.pdf");
    g_object_unref(bus);
}

}
}
