// Loads the built module the way Nautilus does and drives its menu provider with a small file-info
// type. The hand-off reaches a recording "qeliz" handler installed as our desktop entry, or a
// stand-in application on a private session bus.
#include "finder-extension/ExtensionNames.h"
#include "finder-extension/HandoffDelivery.h"
#include "finder-extension/HandoffUrl.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <gmodule.h>
#include <nautilus-extension.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

// A file the file manager shows: its location and where activating it leads (the location itself
// unless `target` is set), as the module asks for nothing else.
G_DECLARE_FINAL_TYPE(IkwTestFileInfo, ikw_test_file_info, IKW, TEST_FILE_INFO, GObject)

struct _IkwTestFileInfo {
    GObject parent;
    GFile* location;
    GFile* target;
};

static void ikw_test_file_info_interface_init(NautilusFileInfoInterface* iface);

G_DEFINE_TYPE_WITH_CODE(IkwTestFileInfo, ikw_test_file_info, G_TYPE_OBJECT,
    G_IMPLEMENT_INTERFACE(NAUTILUS_TYPE_FILE_INFO, ikw_test_file_info_interface_init))

static void ikw_test_file_info_finalize(GObject* object)
{
    g_clear_object(&IKW_TEST_FILE_INFO(object)->location);
    g_clear_object(&IKW_TEST_FILE_INFO(object)->target);
    G_OBJECT_CLASS(ikw_test_file_info_parent_class)->finalize(object);
}

static void ikw_test_file_info_class_init(IkwTestFileInfoClass* klass)
{
    G_OBJECT_CLASS(klass)->finalize = ikw_test_file_info_finalize;
}

static void ikw_test_file_info_init(IkwTestFileInfo*) { }

static GFile* ikw_test_file_info_get_location(NautilusFileInfo* info)
{
    return G_FILE(g_object_ref(IKW_TEST_FILE_INFO(info)->location));
}

static char* ikw_test_file_info_get_activation_uri(NautilusFileInfo* info)
{
    auto* self = IKW_TEST_FILE_INFO(info);
    return g_file_get_uri(self->target ? self->target : self->location);
}

static void ikw_test_file_info_interface_init(NautilusFileInfoInterface* iface)
{
    iface->get_location = ikw_test_file_info_get_location;
    iface->get_activation_uri = ikw_test_file_info_get_activation_uri;
}

// The type module Nautilus gives each extension; it keeps the loaded code resident.
G_DECLARE_FINAL_TYPE(IkwTestTypeModule, ikw_test_type_module, IKW, TEST_TYPE_MODULE, GTypeModule)

struct _IkwTestTypeModule {
    GTypeModule parent;
};

G_DEFINE_TYPE(IkwTestTypeModule, ikw_test_type_module, G_TYPE_TYPE_MODULE)

static gboolean ikw_test_type_module_load(GTypeModule*) { return TRUE; }
static void ikw_test_type_module_unload(GTypeModule*) { }

static void ikw_test_type_module_class_init(IkwTestTypeModuleClass* klass)
{
    G_TYPE_MODULE_CLASS(klass)->load = ikw_test_type_module_load;
    G_TYPE_MODULE_CLASS(klass)->unload = ikw_test_type_module_unload;
}

static void ikw_test_type_module_init(IkwTestTypeModule*) { }

namespace ikw::finderext {
namespace {

namespace fs = std::filesystem;

// Runs the main context until `done` or ten seconds have passed.
bool runUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        while (g_main_context_iteration(nullptr, FALSE)) { }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A home whose only "qeliz" handler, and whose only com.norvale.inkwarden.desktop, is a recorder
// script, and a private session bus. Set up before anything in the process asks GIO.
class HandoffSession : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_home = std::make_unique<testing::TempHome>();
        ::setenv("XDG_DATA_DIRS", m_home->file("system-data").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", m_home->file("system-config").c_str(), 1);
        const auto recorder = testing::writeTestFile(m_home->file("recorder"),
            "#!/bin/sh\n"
            "out=\"$(dirname \"$0\")/launches\"; mkdir -p \"$out\"\n"
            "printf '%s' \"$*\" > \"$out/.$$\" && mv \"$out/.$$\" \"$out/$$\"\n");
        ::chmod(recorder.c_str(), 0755);
        testing::writeTestFile(m_home->file(".local/share/applications/" + std::string(kDesktopEntryId)),
            "[Desktop Entry]\nType=Application\nName=Inkwarden\nExec=\"" + recorder
                + "\" %U\nIcon=ikw-test-mark\nMimeType=x-scheme-handler/qeliz;\n");
        testing::writeTestFile(m_home->file(".config/mimeapps.list"),
            "[Default Applications]\nx-scheme-handler/qeliz=" + std::string(kDesktopEntryId) + "\n");
        m_bus = g_test_dbus_new(G_TEST_DBUS_NONE);
        g_test_dbus_up(m_bus);
    }

    void TearDown() override
    {
        g_test_dbus_stop(m_bus);
        g_clear_object(&m_bus);
        m_home.reset();
    }

    static std::string launchesFolder() { return session().m_home->file("launches"); }
    static std::string busAddress() { return g_test_dbus_get_bus_address(session().m_bus); }

    // What the recorder was started with, one entry per start, and forgets them.
    static std::vector<std::string> takeLaunches()
    {
        std::vector<std::string> launches;
        for (const auto& name : testing::folderEntries(launchesFolder())) {
            if (name.starts_with("."))
                continue;
            launches.push_back(testing::readTestFile(launchesFolder() + "/" + name));
            fs::remove(launchesFolder() + "/" + name);
        }
        return launches;
    }

    static HandoffSession& session() { return *s_session; }
    static inline HandoffSession* s_session = nullptr;

private:
    std::unique_ptr<testing::TempHome> m_home;
    GTestDBus* m_bus = nullptr;
};

const auto* const registeredSession = [] {
    auto* session = new HandoffSession;
    HandoffSession::s_session = session;
    return ::testing::AddGlobalTestEnvironment(session);
}();

// The application as the session bus sees it: org.freedesktop.Application at its object path,
// recording the URIs it is asked to open.
class StandInApplication {
public:
    StandInApplication()
    {
        m_connection = g_dbus_connection_new_for_address_sync(HandoffSession::busAddress().c_str(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(
            "<node><interface name='org.freedesktop.Application'>"
            "<method name='Open'><arg type='as' name='uris'/><arg type='a{sv}' name='platform_data'/></method>"
            "</interface></node>",
            nullptr);
        static const GDBusInterfaceVTable vtable { onMethodCall, nullptr, nullptr, {} };
        m_registration = g_dbus_connection_register_object(m_connection, applicationObjectPath(kApplicationId).c_str(),
            node->interfaces[0], &vtable, this, nullptr, nullptr);
        m_owner = g_bus_own_name_on_connection(m_connection, std::string(kApplicationId).c_str(), G_BUS_NAME_OWNER_FLAGS_NONE,
            [](GDBusConnection*, const char*, gpointer self) { static_cast<StandInApplication*>(self)->m_named = true; },
            nullptr, this, nullptr);
        EXPECT_TRUE(runUntil([this] { return m_named; }));
    }

    ~StandInApplication()
    {
        g_bus_unown_name(m_owner);
        g_dbus_connection_unregister_object(m_connection, m_registration);
        g_dbus_connection_close_sync(m_connection, nullptr, nullptr);
        g_object_unref(m_connection);
    }

    const std::vector<std::vector<std::string>>& opened() const { return m_opened; }

private:
    static void onMethodCall(GDBusConnection*, const char*, const char*, const char*, const char* method, GVariant* parameters,
        GDBusMethodInvocation* invocation, gpointer self)
    {
        g_autofree const char** uris = nullptr;
        g_variant_get(parameters, "(^a&s@a{sv})", &uris, nullptr);
        std::vector<std::string> call;
        for (auto** uri = uris; uri && *uri; ++uri)
            call.emplace_back(*uri);
        if (std::string_view(method) == "Open")
            static_cast<StandInApplication*>(self)->m_opened.push_back(std::move(call));
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    GDBusConnection* m_connection = nullptr;
    guint m_registration = 0;
    guint m_owner = 0;
    bool m_named = false;
    std::vector<std::vector<std::string>> m_opened;
};

using ModuleInitialize = void (*)(GTypeModule*);
using ModuleListTypes = void (*)(const GType**, int*);

// The module's menu provider, loaded once per process as Nautilus loads it.
NautilusMenuProvider* provider()
{
    static NautilusMenuProvider* const loaded = [] () -> NautilusMenuProvider* {
        GModule* module = g_module_open(IKW_FINDER_MODULE, GModuleFlags(G_MODULE_BIND_LAZY | G_MODULE_BIND_LOCAL));
        EXPECT_TRUE(module) << g_module_error();
        gpointer initialize = nullptr;
        gpointer listTypes = nullptr;
        gpointer shutdown = nullptr;
        if (!module || !g_module_symbol(module, "nautilus_module_initialize", &initialize)
            || !g_module_symbol(module, "nautilus_module_list_types", &listTypes)
            || !g_module_symbol(module, "nautilus_module_shutdown", &shutdown)) {
            ADD_FAILURE() << "the module lacks an entry point";
            return nullptr;
        }
        g_module_make_resident(module);
        auto* typeModule = G_TYPE_MODULE(g_object_new(ikw_test_type_module_get_type(), nullptr));
        g_type_module_use(typeModule);
        reinterpret_cast<ModuleInitialize>(initialize)(typeModule);
        const GType* types = nullptr;
        int count = 0;
        reinterpret_cast<ModuleListTypes>(listTypes)(&types, &count);
        EXPECT_EQ(count, 1);
        if (count != 1)
            return nullptr;
        EXPECT_STREQ(g_type_name(types[0]), "InkwardenFinderSync");
        EXPECT_TRUE(g_type_is_a(types[0], NAUTILUS_TYPE_MENU_PROVIDER));
        return NAUTILUS_MENU_PROVIDER(g_object_new(types[0], nullptr));
    }();
    return loaded;
}

// File infos for paths or URIs (or "location -> target" URI pairs), as Nautilus passes a selection.
class FileInfos {
public:
    explicit FileInfos(const std::vector<std::string>& paths)
    {
        for (const auto& path : paths) {
            auto* info = IKW_TEST_FILE_INFO(g_object_new(ikw_test_file_info_get_type(), nullptr));
            if (const auto arrow = path.find(" -> "); arrow != std::string::npos) {
                info->location = g_file_new_for_uri(path.substr(0, arrow).c_str());
                info->target = g_file_new_for_uri(path.substr(arrow + 4).c_str());
            } else {
                info->location = g_file_new_for_commandline_arg(path.c_str());
            }
            m_list = g_list_append(m_list, info);
        }
    }
    ~FileInfos() { g_list_free_full(m_list, g_object_unref); }
    GList* list() const { return m_list; }

private:
    GList* m_list = nullptr;
};

struct ShownItem {
    std::string name;
    std::string label;
    std::string icon;
    bool operator==(const ShownItem&) const = default;
};

void PrintTo(const ShownItem& item, std::ostream* out) { *out << item.name << " / " << item.label << " / " << item.icon; }

// The file items for a selection; they are handed over owned, as Nautilus takes them.
class MenuItems {
public:
    explicit MenuItems(const FileInfos& selection) : m_items(nautilus_menu_provider_get_file_items(provider(), selection.list())) { }
    ~MenuItems() { nautilus_menu_item_list_free(m_items); }

    std::vector<ShownItem> shown() const
    {
        std::vector<ShownItem> shown;
        for (GList* link = m_items; link; link = link->next) {
            g_autofree char* name = nullptr;
            g_autofree char* label = nullptr;
            g_autofree char* icon = nullptr;
            g_object_get(link->data, "name", &name, "label", &label, "icon", &icon, nullptr);
            shown.push_back({ name ? name : "", label ? label : "", icon ? icon : "" });
        }
        return shown;
    }

    NautilusMenuItem* titled(std::string_view title) const
    {
        for (GList* link = m_items; link; link = link->next) {
            g_autofree char* label = nullptr;
            g_object_get(link->data, "label", &label, nullptr);
            if (label && title == label)
                return NAUTILUS_MENU_ITEM(link->data);
        }
        return nullptr;
    }

private:
    GList* m_items;
};

TEST(InkwardenFinderModule, OffersBothItemsForAPdfAndAFolderAndNothingInTheBackground)
{
    ASSERT_TRUE(provider());
    const FileInfos selection({ "/Matter/Report.pdf", "/Matter/Exhibits" });
    const MenuItems items(selection);
    const std::vector<ShownItem> expected {
        { "InkwardenFinderSync::share", std::string(kShareTitle), "ikw-test-mark" },
        { "InkwardenFinderSync::open", std::string(kOpenTitle), "ikw-test-mark" },
    };
    EXPECT_EQ(items.shown(), expected);

    const FileInfos folder({ "/Matter/Exhibits" });
    EXPECT_EQ(MenuItems(folder).shown().size(), 1u);
    EXPECT_TRUE(MenuItems(FileInfos({})).shown().empty());
    auto* current = IKW_TEST_FILE_INFO(g_object_new(ikw_test_file_info_get_type(), nullptr));
    current->location = g_file_new_for_path("/Matter");
    EXPECT_EQ(nautilus_menu_provider_get_background_items(provider(), NAUTILUS_FILE_INFO(current)), nullptr);
    g_object_unref(current);
}

TEST(InkwardenFinderModule, OpenHandsTheSelectionToTheSchemeHandler)
{
    ASSERT_TRUE(provider());
    HandoffSession::takeLaunches();
    const std::vector<std::string> paths { "/Matter/Q3 Board & Notes.pdf", "/Matter/Exhibits" };
    {
        const FileInfos selection(paths);
        const MenuItems items(selection);
        ASSERT_TRUE(items.titled(kOpenTitle));
        nautilus_menu_item_activate(items.titled(kOpenTitle));
        // The items outlive Nautilus' list of file infos; they carry their own selection.
    }
    std::vector<std::string> launches;
    ASSERT_TRUE(runUntil([&] { return !(launches = HandoffSession::takeLaunches()).empty(); }));
    EXPECT_EQ(launches, std::vector<std::string> { *handoffUrl("open", paths) });

    const FileInfos selection(paths);
    const MenuItems items(selection);
    nautilus_menu_item_activate(items.titled(kShareTitle));
    ASSERT_TRUE(runUntil([&] { return !(launches = HandoffSession::takeLaunches()).empty(); }));
    EXPECT_EQ(launches, std::vector<std::string> { *handoffUrl("share", { paths[0] }) });

    // An entry of the Recent view has no local path of its own; the file it leads to is sent.
    const FileInfos recent({ "recent:///b7e1 -> file:///Matter/Recent%20Report.pdf", "sftp://files.example/srv/c.pdf" });
    const MenuItems recentItems(recent);
    ASSERT_EQ(recentItems.shown().size(), 2u);
    nautilus_menu_item_activate(recentItems.titled(kOpenTitle));
    ASSERT_TRUE(runUntil([&] { return !(launches = HandoffSession::takeLaunches()).empty(); }));
    EXPECT_EQ(launches, std::vector<std::string> { *handoffUrl("open", { "/Matter/Recent Report.pdf" }) });
}

std::vector<std::string> longPaths()
{
    std::vector<std::string> paths;
    for (int i = 0; i < 200; ++i)
        paths.push_back("/" + std::string(995, static_cast<char>('a' + i % 26)) + ".pdf");
    return paths;
}

TEST(InkwardenFinderModule, AUrlTooLongForAnArgumentGoesToTheRunningApplicationOverTheBus)
{
    ASSERT_TRUE(provider());
    HandoffSession::takeLaunches();
    const StandInApplication application;
    const auto paths = longPaths();
    const auto url = *handoffUrl("open", paths);
    ASSERT_GT(url.size(), 128u * 1024);
    const FileInfos selection(paths);
    const MenuItems items(selection);
    nautilus_menu_item_activate(items.titled(kOpenTitle));
    ASSERT_TRUE(runUntil([&] { return !application.opened().empty(); }));
    EXPECT_EQ(application.opened(), std::vector<std::vector<std::string>> { { url } });
    EXPECT_TRUE(HandoffSession::takeLaunches().empty());
}

TEST(InkwardenFinderModule, AUrlTooLongForAnArgumentStartsTheApplicationFirst)
{
    ASSERT_TRUE(provider());
    HandoffSession::takeLaunches();
    const auto paths = longPaths();
    const FileInfos selection(paths);
    const MenuItems items(selection);
    nautilus_menu_item_activate(items.titled(kShareTitle));
    // Nobody answers on the bus: the handler is started without a URL ...
    std::vector<std::string> launches;
    ASSERT_TRUE(runUntil([&] { return !(launches = HandoffSession::takeLaunches()).empty(); }));
    EXPECT_EQ(launches, std::vector<std::string> { "" });
    // ... and once the application is on the bus, it gets the URL.
    const StandInApplication application;
    ASSERT_TRUE(runUntil([&] { return !application.opened().empty(); }));
    EXPECT_EQ(application.opened(), std::vector<std::vector<std::string>> { { *handoffUrl("share", paths) } });
    EXPECT_TRUE(HandoffSession::takeLaunches().empty());
}

}
}
