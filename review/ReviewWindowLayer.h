#pragma once

#include "app/ReviewWindowRegistry.h"
#include "platform/ui/Toolkit.h"
#include "review/ReviewServices.h"

#include <memory>

namespace ikw {

// The review windows of the running application, wired to the engine's launcher and to the
// process's delegate for their theme and new tabs. The page bridge and the features join through
// `configure` (the composition root fills their entries). The registry keeps the layer alive.
std::shared_ptr<ReviewWindowRegistry> makeReviewWindowLayer(ui::Toolkit& toolkit,
    const std::function<void(ReviewServices&)>& configure = {});

}
