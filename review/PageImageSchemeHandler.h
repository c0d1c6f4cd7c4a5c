#pragma once

#include "platform/core/WorkQueue.h"
#include "review/PageImageDocumentCache.h"
#include "review/SchemeRequest.h"

#include <memory>
#include <string_view>

namespace ikw::review {

// Answers "vtpage" URLs with one page of a PDF rendered to PNG: "p" the path, "i" the 0-based page
// index (default 0), "w" the image width in pixels (default 1200, clamped to 64...6000). Pages
// render side by side on a concurrent queue; a stopped request is rendered but never answered.
// Error codes: 1 bad request, 2 no such document or page, 3 no image.
class PageImageSchemeHandler {
public:
    static constexpr std::string_view kScheme = "vtpage";
    static constexpr int kDefaultWidth = 1200;
    static constexpr int kMinimumWidth = 64;
    static constexpr int kMaximumWidth = 6000;

    // Renders on a concurrent queue of its own, "ikw.vtpage", with the process's shared cache.
    PageImageSchemeHandler();
    PageImageSchemeHandler(TaskQueue& renderQueue, std::shared_ptr<PageImageDocumentCache> cache);
    ~PageImageSchemeHandler();
    PageImageSchemeHandler(const PageImageSchemeHandler&) = delete;
    PageImageSchemeHandler& operator=(const PageImageSchemeHandler&) = delete;

    void start(const std::shared_ptr<SchemeRequest>& request, SchemeReply reply);
    void stop(SchemeRequest& request) { request.cancel(); }

private:
    std::unique_ptr<WorkQueue> m_ownQueue;
    TaskQueue& m_renderQueue;
    std::shared_ptr<PageImageDocumentCache> m_cache;
    // Work still queued when the handler goes away ends without answering.
    std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
};

// The page's scale for an image `width` pixels wide: 2.0 for a page without width, never under 0.1.
double pageImageScale(double pageWidth, int width);

}
