#include "app/MenuKeys.h"

namespace ikw {

namespace {

std::string desktopKeyName(const std::string& key)
{
    if (key == "\r")
        return "Return";
    if (key == "\t")
        return "Tab";
    if (key == "\uF700")
        return "Up";
    if (key == "\uF701")
        return "Down";
    return key;
}

}

ui::KeyCombo desktopKey(const KeyEquivalent& equivalent)
{
    if (equivalent.key.empty())
        return {};
    unsigned modifiers = 0;
    if (equivalent.mods & (kMaskCommand | kMaskControl))
        modifiers |= ui::kModControl;
    if (equivalent.mods & kMaskOption)
        modifiers |= ui::kModAlt;
    if (equivalent.mods & kMaskShift)
        modifiers |= ui::kModShift;
    return { desktopKeyName(equivalent.key), modifiers };
}

ui::KeyCombo fullScreenKey()
{
    return { "F11", 0 };
}

}
