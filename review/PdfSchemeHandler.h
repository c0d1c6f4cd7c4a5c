#pragma once

#include "platform/core/WorkQueue.h"
#include "review/SchemeRequest.h"

#include <memory>
#include <string_view>

namespace ikw::review {

// Answers "vtpdf" URLs with the bytes of the PDF named by the query item "p". Only regular files
// that carry "%PDF-" within their first 1,024 bytes (where PDF readers look for the header) are
// served; anything else fails with code 1, so a page cannot read arbitrary files through it.
// Files are read on the given queue, never on the calling (main) thread.
class PdfSchemeHandler {
public:
    static constexpr std::string_view kScheme = "vtpdf";

    // Reads on a concurrent queue of its own, "ikw.vtpdf".
    PdfSchemeHandler();
    explicit PdfSchemeHandler(TaskQueue& readQueue) : m_readQueue(readQueue) { }

    void start(const std::shared_ptr<SchemeRequest>& request, SchemeReply reply);
    void stop(SchemeRequest& request) { request.cancel(); }

private:
    std::unique_ptr<WorkQueue> m_ownQueue;
    TaskQueue& m_readQueue;
};

}
