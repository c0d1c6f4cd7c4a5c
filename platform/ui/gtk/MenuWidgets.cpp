#include "platform/ui/gtk/MenuWidgets.h"

#include <map>

namespace ikw::ui::gtk3 {

namespace {

constexpr const char* kItemKey = "ikw-menu-item";
constexpr const char* kContextKey = "ikw-menu-context";
constexpr guint kConsideredModifiers = GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK | GDK_HYPER_MASK | GDK_META_MASK;

// What a tree of menu widgets holds on to: the model its entries point into and the responder.
struct MenuContext {
    std::shared_ptr<const void> model;
    MenuResponder responder;
    std::map<const Menu*, std::shared_ptr<Menu>> filled; // the entries last made for a menu that fills on opening
};

MenuContext* contextOf(GtkWidget* widget)
{
    for (GtkWidget* current = widget; current;) {
        if (auto* context = static_cast<MenuContext*>(g_object_get_data(G_OBJECT(current), kContextKey)))
            return context;
        // A submenu's parent is its attach widget (the item that opens it).
        if (GTK_IS_MENU(current))
            current = gtk_menu_get_attach_widget(GTK_MENU(current));
        else
            current = gtk_widget_get_parent(current);
    }
    return nullptr;
}

void attachContext(GtkWidget* widget, MenuContext* context)
{
    g_object_set_data_full(G_OBJECT(widget), kContextKey, context, [](gpointer data) { delete static_cast<MenuContext*>(data); });
}

const MenuItem* modelOf(GtkWidget* widget)
{
    return static_cast<const MenuItem*>(g_object_get_data(G_OBJECT(widget), kItemKey));
}

void fillShell(GtkMenuShell* shell, const std::vector<MenuItem>& items);

void onActivate(GtkMenuItem* widget, gpointer)
{
    const MenuItem* item = modelOf(GTK_WIDGET(widget));
    MenuContext* context = contextOf(GTK_WIDGET(widget));
    if (!item || !context || item->submenu)
        return;
    // The model may be replaced by what the command does: run on copies.
    const MenuItem chosen = *item;
    const MenuResponder responder = context->responder;
    const auto keepModel = context->model;
    performIfEnabled(chosen, responder);
}

// Brings the entries of a menu about to open up to date: validation first, then the fill of a menu
// that makes its entries on opening.
void refreshMenu(GtkWidget* menuWidget)
{
    MenuContext* context = contextOf(menuWidget);
    if (!context)
        return;
    const auto* owner = static_cast<const Menu*>(g_object_get_data(G_OBJECT(menuWidget), "ikw-menu"));
    if (owner && owner->fillsOnOpen && context->responder.fill) {
        auto filled = std::make_shared<Menu>(*owner);
        context->responder.fill(*filled);
        GList* children = gtk_container_get_children(GTK_CONTAINER(menuWidget));
        for (GList* child = children; child; child = child->next)
            gtk_widget_destroy(GTK_WIDGET(child->data));
        g_list_free(children);
        context->filled[owner] = filled;
        fillShell(GTK_MENU_SHELL(menuWidget), filled->items);
    }
    GList* children = gtk_container_get_children(GTK_CONTAINER(menuWidget));
    for (GList* child = children; child; child = child->next) {
        GtkWidget* widget = GTK_WIDGET(child->data);
        const MenuItem* item = modelOf(widget);
        if (!item || item->separator)
            continue;
        const MenuItemState state = currentState(*item, context->responder);
        gtk_widget_set_sensitive(widget, state.enabled);
        gtk_menu_item_set_label(GTK_MENU_ITEM(widget), state.title.value_or(item->title).c_str());
        if (GTK_IS_CHECK_MENU_ITEM(widget)) {
            g_signal_handlers_block_by_func(widget, reinterpret_cast<gpointer>(onActivate), nullptr);
            gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), state.checked.value_or(false));
            g_signal_handlers_unblock_by_func(widget, reinterpret_cast<gpointer>(onActivate), nullptr);
        }
    }
    g_list_free(children);
}

void onSubmenuItemSelected(GtkMenuItem* widget, gpointer)
{
    if (GtkWidget* submenu = gtk_menu_item_get_submenu(widget))
        refreshMenu(submenu);
}

GtkWidget* makeMenu(const Menu& model)
{
    GtkWidget* menu = gtk_menu_new();
    g_object_set_data(G_OBJECT(menu), "ikw-menu", const_cast<Menu*>(&model));
    fillShell(GTK_MENU_SHELL(menu), model.items);
    return menu;
}

GtkWidget* makeItem(const MenuItem& item)
{
    if (item.separator)
        return gtk_separator_menu_item_new();
    GtkWidget* widget = item.checked ? gtk_check_menu_item_new_with_label(item.title.c_str()) : gtk_menu_item_new_with_label(item.title.c_str());
    g_object_set_data(G_OBJECT(widget), kItemKey, const_cast<MenuItem*>(&item));
    if (item.checked)
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), *item.checked);
    if (!item.toolTip.empty())
        gtk_widget_set_tooltip_text(widget, item.toolTip.c_str());
    gtk_widget_set_sensitive(widget, item.enabled);
    const GtkKey key = gtkKeyFor(item.key);
    if (key.keyval != 0) {
        if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget)); label && GTK_IS_ACCEL_LABEL(label))
            gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), key.keyval, key.modifiers);
    }
    if (item.submenu) {
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), makeMenu(*item.submenu));
        g_signal_connect(widget, "select", G_CALLBACK(onSubmenuItemSelected), nullptr);
    } else {
        g_signal_connect(widget, "activate", G_CALLBACK(onActivate), nullptr);
    }
    return widget;
}

void fillShell(GtkMenuShell* shell, const std::vector<MenuItem>& items)
{
    for (const auto& item : items) {
        if (item.hidden)
            continue;
        GtkWidget* widget = makeItem(item);
        gtk_menu_shell_append(shell, widget);
        gtk_widget_show_all(widget);
    }
}

}

GtkKey gtkKeyFor(const KeyCombo& combo)
{
    GtkKey key;
    if (combo.key.empty())
        return key;
    const char* text = combo.key.c_str();
    if (g_utf8_validate(text, -1, nullptr) && g_utf8_strlen(text, -1) == 1)
        key.keyval = gdk_unicode_to_keyval(g_utf8_get_char(text));
    else
        key.keyval = gdk_keyval_from_name(text);
    if (key.keyval == GDK_KEY_VoidSymbol)
        key.keyval = 0;
    guint modifiers = 0;
    if (combo.modifiers & kModControl)
        modifiers |= GDK_CONTROL_MASK;
    if (combo.modifiers & kModAlt)
        modifiers |= GDK_MOD1_MASK;
    if (combo.modifiers & kModShift)
        modifiers |= GDK_SHIFT_MASK;
    key.modifiers = static_cast<GdkModifierType>(modifiers);
    return key;
}

bool keyPressMatches(guint keyval, guint unshiftedKeyval, guint state, const GtkKey& combo)
{
    if (combo.keyval == 0)
        return false;
    const guint held = state & kConsideredModifiers;
    const guint wanted = static_cast<guint>(combo.modifiers) & kConsideredModifiers;
    const auto same = [](guint a, guint b) { return gdk_keyval_to_lower(a) == gdk_keyval_to_lower(b); };
    if (held == wanted && (same(keyval, combo.keyval) || (unshiftedKeyval && same(unshiftedKeyval, combo.keyval))))
        return true;
    // A symbol typed with Shift ("?") matches its combination without Shift; letters never do.
    const bool isLetter = gdk_keyval_to_lower(combo.keyval) != gdk_keyval_to_upper(combo.keyval);
    return !isLetter && !(wanted & GDK_SHIFT_MASK) && held == (wanted | GDK_SHIFT_MASK) && keyval == combo.keyval;
}

GtkWidget* buildMenuBar(std::shared_ptr<const MenuBar> bar, MenuResponder responder)
{
    GtkWidget* widget = gtk_menu_bar_new();
    for (const auto& menu : bar->menus) {
        GtkWidget* top = gtk_menu_item_new_with_label(menu.title.c_str());
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), makeMenu(menu));
        g_signal_connect(top, "select", G_CALLBACK(onSubmenuItemSelected), nullptr);
        gtk_menu_shell_append(GTK_MENU_SHELL(widget), top);
    }
    gtk_widget_show_all(widget);
    attachContext(widget, new MenuContext { std::move(bar), std::move(responder), {} });
    return widget;
}

GtkWidget* buildPopUpMenu(std::shared_ptr<const Menu> menu, MenuResponder responder)
{
    GtkWidget* widget = makeMenu(*menu);
    attachContext(widget, new MenuContext { menu, std::move(responder), {} });
    refreshMenu(widget);
    return widget;
}

}
