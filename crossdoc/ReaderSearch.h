#pragma once

#include <string>

namespace ikw {
class TaskQueue;
struct UrlAction;
}

namespace ikw::crossdoc {

// The reader's search (the page action "readersearch"): searches the document of the `path` item,
// or without one the window's first source path, for the `q` item on the background workers, and
// hands the live search result to the page's ikwReaderSearchResults on the main queue, unless the
// window has closed by then. Without a document to search the page gets the empty answer at once.
// A `path` that is not absolute counts as a missing file. Main thread.
void readerSearch(const UrlAction& action, TaskQueue& workers);

// The page call with the fixed empty answer for the query.
std::string emptyReaderSearchAnswer(const std::string& q);

}
