#pragma once

#include "docops/PageRewrite.h"
#include "platform/pdf/Document.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw::docops {

// The PDFs among the paths that open (others are skipped), as one document: the only one itself,
// or all merged in the given order. None when none opens.
std::optional<pdf::Document> openAsOneDocument(const std::vector<std::string>& paths);

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
