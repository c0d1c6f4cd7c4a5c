#pragma once

#include "docops/FileOpHost.h"
#include "docops/PageEdits.h"
#include "docops/RewriteQueue.h"
#include "platform/ui/WebView.h"

#include <memory>
#include <string>

namespace ikw::docops {

// Who asked for a page operation and where its background work runs.
struct PageOpContext {
    std::shared_ptr<FileOpHost> host;
    std::shared_ptr<ui::WebView> web; // the view that asked: it gets the answers
    RewriteQueue* rewrites = nullptr;
};

struct RewriteOptions {
    // Dropped files: nothing is written once the window has gone before the rewrite starts.
    bool requireOpenWindow = false;
};

// Rewrites the file at `path` in the background, after any rewrite of it still running: reopens
// it, applies the edit's transform and replaces the file atomically. Then, on the main queue: on
// success the completion (while the window is open) and the success toast; on any failure
// (unreadable or locked file, no page to change, a result without pages, a failed write) the
// toast "Couldn’t update <name>" while the window is open.
void startRewrite(const PageOpContext& context, const std::string& path, PageEdit edit, RewriteOptions options = {});

// The edit after the gate's question (or at once when it is switched off).
void confirmAndRewrite(const PageOpContext& context, const std::string& path, PageEdit edit, RewriteOptions options = {});

}
