#pragma once

#include "platform/ui/Menu.h"

#include <gtk/gtk.h>

#include <memory>

namespace ikw::ui::gtk3 {

// GTK's form of a key combination: the key's keyval (0 when the key has none) and its modifiers.
struct GtkKey {
    guint keyval = 0;
    GdkModifierType modifiers {};
};
GtkKey gtkKeyFor(const KeyCombo& combo);

// Whether a key press is a combination: its key and modifiers alike (Caps Lock and Num Lock aside),
// or a symbol that needs Shift typed with Shift (Ctrl+? as Ctrl+Shift+/). `unshiftedKeyval` is the
// key pressed read without Shift (Ctrl+Shift+\ arrives as "bar"), 0 when unknown.
bool keyPressMatches(guint keyval, guint unshiftedKeyval, guint state, const GtkKey& combo);

// Builds GTK menus from a model. The widgets keep the model and the responder alive, validate their
// entries whenever a menu opens and fill the menus that fill on opening. Menus are built by hand
// (not from GMenu) because their entries carry tool tips.
GtkWidget* buildMenuBar(std::shared_ptr<const MenuBar> bar, MenuResponder responder);
GtkWidget* buildPopUpMenu(std::shared_ptr<const Menu> menu, MenuResponder responder);

}
