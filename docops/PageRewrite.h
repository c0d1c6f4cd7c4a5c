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

// Rewrites the file at `path` in the background, after any rewrite of it still running: reopens
// it, applies the edit's transform and replaces the file atomically. Then, on the main queue: on
// success the completion (while the window is open) and the success toast; on any failure
// (unreadable or locked file, no page to change, a result without pages, a failed write) the
// toast "Couldn’t update <name>" while the window is open.
void startRewrite(const PageOpContext& context, const std::string& path, PageEdit edit, RewriteOptions options = {});

// The edit after the gate's question (or at once when it is switched off).
void confirmAndRewrite(const PageOpContext& context, const std::string& path, PageEdit edit, RewriteOptions options = {});

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
