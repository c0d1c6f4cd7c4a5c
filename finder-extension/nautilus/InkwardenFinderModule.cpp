// The Nautilus extension module: one menu provider that maps the selection and the chosen item onto
// the hand-off library. Nautilus runs GTK 4, so this links GLib, GIO and libnautilus-extension only.

#include "finder-extension/InkwardenFinderSync.h"

#include <gio/gio.h>

// The header declares the module's entry points without C linkage of its own.
extern "C" {
#include <nautilus-extension.h>
}

#include <memory>
#include <string>

namespace {

using namespace ikw::finderext;

// The provider holds nothing: every instance behaves alike.
struct FinderSyncInstance {
    GObject parent;
};

struct FinderSyncClass {
    GObjectClass parent;
};

// The module's one type, registered when Nautilus loads the module; nautilus_module_list_types
// hands out its address.
GType finderSyncType = G_TYPE_INVALID;

// What one menu item sends when it is activated: Nautilus hands over the selection only when it
// builds the menu, so each item keeps its own copy.
struct ItemChoice {
    HandoffAction action;
    Selection selection;
};

void onItemActivated(NautilusMenuItem*, gpointer data)
{
    const auto* choice = static_cast<const ItemChoice*>(data);
    InkwardenFinderSync::launch(choice->action, choice->selection);
}

void releaseChoice(gpointer data, GClosure*)
{
    const std::unique_ptr<ItemChoice> owned(static_cast<ItemChoice*>(data));
}

NautilusMenuItem* menuItem(HandoffAction action, const Selection& selection)
{
    const std::string name = "InkwardenFinderSync::" + std::string(actionName(action));
    const std::string title(actionTitle(action));
    const auto& mark = InkwardenFinderSync::appMark();
    NautilusMenuItem* item = nautilus_menu_item_new(name.c_str(), title.c_str(), nullptr, mark ? mark->c_str() : nullptr);
    auto choice = std::make_unique<ItemChoice>(ItemChoice { action, selection });
    g_signal_connect_data(item, "activate", G_CALLBACK(onItemActivated), choice.release(), releaseChoice, GConnectFlags(0));
    return item;
}

Selection selectionOf(GList* files)
{
    Selection selection;
    for (GList* link = files; link; link = link->next) {
        auto* info = NAUTILUS_FILE_INFO(link->data);
        g_autoptr(GFile) location = nautilus_file_info_get_location(info);
        g_autofree char* activationUri = nautilus_file_info_get_activation_uri(info);
        g_autoptr(GFile) target = activationUri ? g_file_new_for_uri(activationUri) : nullptr;
        if (location)
            selection.push_back(selectedItem(location, target));
    }
    return selection;
}

GList* getFileItems(NautilusMenuProvider*, GList* files)
{
    const auto selection = selectionOf(files);
    GList* items = nullptr;
    for (const auto action : InkwardenFinderSync::menuFor(selection))
        items = g_list_append(items, menuItem(action, selection));
    return items;
}

// The folder's own (background) menu gets nothing.
GList* getBackgroundItems(NautilusMenuProvider*, NautilusFileInfo*)
{
    return nullptr;
}

void initMenuProvider(gpointer iface, gpointer)
{
    auto* provider = static_cast<NautilusMenuProviderInterface*>(iface);
    provider->get_file_items = getFileItems;
    provider->get_background_items = getBackgroundItems;
}

void registerFinderSync(GTypeModule* module)
{
    const GTypeInfo info {
        sizeof(FinderSyncClass), nullptr, nullptr, nullptr, nullptr, nullptr,
        sizeof(FinderSyncInstance), 0, nullptr, nullptr,
    };
    finderSyncType = g_type_module_register_type(module, G_TYPE_OBJECT, "InkwardenFinderSync", &info, GTypeFlags(0));
    const GInterfaceInfo menuProvider { initMenuProvider, nullptr, nullptr };
    g_type_module_add_interface(module, finderSyncType, NAUTILUS_TYPE_MENU_PROVIDER, &menuProvider);
}

}

extern "C" {

G_MODULE_EXPORT void nautilus_module_initialize(GTypeModule* module)
{
    registerFinderSync(module);
}

G_MODULE_EXPORT void nautilus_module_shutdown(void)
{
}

G_MODULE_EXPORT void nautilus_module_list_types(const GType** types, int* count)
{
    *types = &finderSyncType;
    *count = 1;
}

}
