#pragma once

#include "docops/FileOpHost.h"
#include "docops/PageEdits.h"
#include "docops/RewriteQueue.h"
#include "platform/ui/WebView.h"

#include <functional>
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

// The file as the page knew it when it asked: the window's loaded state when the request is for
// the window's file, else the file as it is now.
FileStamp requestStamp(const FileOpHost& host, const std::string& path);

// Rewrites the file at `path` in the background, after any rewrite of it still running: reopens
// it, applies the edit's transform and replaces the file atomically. A file that no longer
// matches `sent` changed since the page asked (an earlier edit, another program): its page
// numbers may name other pages now, so nothing is written. Then, on the main queue: on success
// the completion (while the window is open) and the success toast; on any failure (a changed,
// unreadable or locked file, no page to change, a result without pages, a failed write) the
// toast "Couldn’t update <name>" while the window is open, and for a changed file a reload of
// the reader, so that the user sees the file as it is.
void startRewrite(const PageOpContext& context, const std::string& path, PageEdit edit, FileStamp sent, RewriteOptions options = {});

// The edit after the gate's question (or at once when it is switched off). The question comes
// first; only the file's state decides whether the request is still good.
void confirmAndRewrite(const PageOpContext& context, const std::string& path, PageEdit edit, FileStamp sent, RewriteOptions options = {});

// Runs `work` in the background, then `then` with its result on the main queue. The context's
// host and web view are only let go of on the main queue.
template<typename Result>
void inBackground(const PageOpContext& context, std::function<Result()> work, std::function<void(Result)> then)
{
    struct State {
        PageOpContext context;
        std::function<Result()> work;
        std::function<void(Result)> then;
    };
    auto state = std::make_shared<State>(State { context, std::move(work), std::move(then) });
    context.rewrites->post([state = std::move(state)]() mutable {
        auto result = std::make_shared<Result>(state->work());
        mainQueue().post([state = std::move(state), result] { state->then(std::move(*result)); });
    });
}

}
