#pragma once

#include "platform/core/Json.h"

#include <cstddef>
#include <functional>
#include <string>

namespace ikw {
class ReviewWC;
class TaskQueue;
}

namespace ikw::assistants {

// The walk stops once it holds more than this many items, so an answer has at most one more.
inline constexpr std::size_t kOutlineItemLimit = 5000;

// The outline answer of a PDF file for the reader's table of contents:
// {"ok": false} when it does not open; {"ok": true, "hasOutline": false, "items": []} without an
// outline; else {"ok": true, "hasOutline": true, "items": [...], "pageCount": n}, each item
// {"title", "page" (1-based, -1 for none), "level" (0 at the top)} in reading order.
Json runOutline(const std::string& path);

// Computes a window's answer for its document's path, off the main thread.
using OutlineProducer = std::function<Json(const std::string& path)>;

// Runs `producer` on the window's document on `workers` and hands its answer to the page function
// `callback` on the main queue while the window and its web view exist. Nothing for a window
// without a document.
void sendOutline(ReviewWC& window, TaskQueue& workers, OutlineProducer producer, std::string callback);

}
