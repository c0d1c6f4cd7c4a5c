#pragma once

#include "platform/ui/StatusItem.h"

#include <memory>

namespace ikw::ui::gtk3 {

// Status items as StatusNotifierItems on the session bus (the desktop's indicator host shows them);
// with no host nothing shows. Indicators show no tool tips.
std::unique_ptr<StatusBar> makeIndicatorStatusBar();

}
