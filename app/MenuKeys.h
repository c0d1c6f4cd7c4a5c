#pragma once

#include "app/Shortcuts.h"
#include "platform/ui/Menu.h"

namespace ikw {

// The desktop's form of a key equivalent, decided here for every menu: Command and Control are
// Ctrl, Option is Alt, Shift stays; the arrow keys, Return and Tab go by their key names.
ui::KeyCombo desktopKey(const KeyEquivalent& equivalent);

// "Enter Full Screen" is F11 on this desktop.
ui::KeyCombo fullScreenKey();

}
