#pragma once

#include "platform/ui/Menu.h"

#include <memory>
#include <string>

namespace ikw::ui {

// An icon in the desktop's panel with a menu of its own. The desktop decides whether and where it
// shows; a desktop without a place for such icons shows nothing and nothing fails. Main thread only.
class StatusItem {
public:
    virtual ~StatusItem() = default;

    // The icon, from an image file, scaled to the panel's size; false when the file does not load
    // as an image (what showed before stays).
    virtual bool setIcon(const std::string& imagePath) = 0;
    // Text shown instead of an icon while the item has none.
    virtual void setLabel(const std::string& label) = 0;
    // The menu it opens; replaces the one before.
    virtual void setMenu(std::shared_ptr<const Menu> menu, MenuResponder responder) = 0;
};

struct StatusItemOptions {
    std::string id;         // how the desktop tells the application's item apart
    std::string title;      // its accessible name
    std::string iconFolder; // where the panel-sized copies of icons are written
};

// Makes status items: each shows until it is destroyed.
class StatusBar {
public:
    virtual ~StatusBar() = default;
    virtual std::unique_ptr<StatusItem> addItem(const StatusItemOptions& options) = 0;
};

}
