#pragma once

#include "assistants/BridgeRequest.h"
#include "platform/core/Json.h"
#include "platform/core/TaskQueue.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
class ReviewWindows;
}

namespace ikw::library {
class LibraryLayer;
}

// The operations an agent asks of the application through the bridge. Each runs on the main
// thread and answers exactly once, through its reply, with a JSON object that goes out with
// status 200; an operation's own failure is {"ok": false, "error": ...}.
namespace ikw::assistants {

using BridgeReply = std::function<void(Json)>;

// A reader page gets this long to answer a script before the operation goes on without it.
inline constexpr double kPageScriptSeconds = 10;

// The annotated copy the reader keeps of a document, when it has one for the document's present
// version. Left empty, no document has one.
struct AnnotationSidecars {
    std::function<bool(const std::string& document)> exists;
    std::function<std::string(const std::string& document)> path;
};

// What the operations work with.
struct BridgeEndpointContext {
    library::LibraryLayer& library;
    const AnnotationSidecars& sidecars;
    // Reads and exports PDFs off the main thread.
    TaskQueue& documentQueue;
};

// One word per window: welcome, reader, grid, timeline, organize, redact, bates or review.
std::string kindOf(const ReviewWC& window);
// The open review windows in list order.
std::vector<std::shared_ptr<ReviewWC>> liveWindows(const ReviewWindows& windows);

// "/status": app, version, build, pid, windows and current_document.
Json statusReply(const ReviewWindows& windows);
// "/windows": every live window, the key window first, readers with their viewer's page.
void handleWindows(const ReviewWindows& windows, BridgeReply reply);
// "/open?path=...[&page=N]": opens a document in a reader, or a folder as a review.
void handleOpen(library::LibraryLayer& library, const BridgeQuery& query, BridgeReply reply);
// "/goto?page=N[&window=ID|&path=...]": turns a reader to a page (clamped by the page).
void handleGoto(const ReviewWindows& windows, const BridgeQuery& query, BridgeReply reply);
// "/annotations[?path=...]": a document's annotations from its open reader, sidecar or file.
void handleAnnotations(const BridgeEndpointContext& context, const BridgeQuery& query, BridgeReply reply);

}
