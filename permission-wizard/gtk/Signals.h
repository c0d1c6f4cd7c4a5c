#pragma once

#include <gtk/gtk.h>

#include <functional>

namespace ikw::wizard::gtk {

// Runs `action` on each emission of a signal whose handler takes only the instance ("clicked").
// The action is copied before it runs, so it may rebuild (and destroy) the widget it belongs to.
void connectAction(gpointer instance, const char* signal, std::function<void()> action);

}
