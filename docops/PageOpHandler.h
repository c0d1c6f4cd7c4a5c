#pragma once

#include "docops/PageOpRequest.h"
#include "docops/PageRewrite.h"

#include <optional>
#include <string>
#include <vector>

namespace ikw::docops {

// The "pageop" action: rotate, delete, duplicate, insertblank, insertfile, reorder and
// reorderfull rewrite the window's PDF after the confirmation gate; extract, split and merge write
// new files. A request without usable input (no existing file, a path that is not absolute, an
// unknown op, no pages, ...) ends without a question or a message; a rotation by anything but
// quarter turns fails at once with the failure toast. The page numbers of a request refer to the
// file as the window showed it when the request came (see startRewrite).
void handlePageOp(const PageOpContext& context, const PageOpRequest& request);

// Dropped PDF files inserted into the PDF `into` before the 0-based page `at` (none: the front).
void insertDroppedPDFs(const PageOpContext& context, const std::vector<std::string>& paths, std::optional<int> at,
    const std::string& into);

}
