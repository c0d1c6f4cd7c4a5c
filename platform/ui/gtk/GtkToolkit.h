#pragma once

#include "platform/ui/Toolkit.h"

#include <memory>
#include <string>

namespace ikw::ui::gtk3 {

// The GTK 3 + WebKitGTK toolkit. GTK must be initialised (initializeGtk() or a running
// application) before the first window or view.
std::unique_ptr<Toolkit> makeGtkToolkit();

// The single-instance GtkApplication under `applicationId`; later starts hand their files or
// activation to the running instance over D-Bus and exit.
std::unique_ptr<Application> makeGtkApplication(const std::string& applicationId, ApplicationEvents events);

}
