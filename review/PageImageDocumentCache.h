#pragma once

#include "platform/pdf/Document.h"

#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace ikw::review {

// The open PDFs behind page images, keyed by the path exactly as requested and checked against the
// file's modification time, so a grid of thumbnails parses its file once and an edited file is
// opened afresh. A document handle serves one thread at a time, so each entry keeps one handle per
// thread that asked, opened lazily, and pages of one file render side by side. Handles are shared:
// emptying the cache never frees a document while a render still uses it.
class PageImageDocumentCache {
public:
    static constexpr std::size_t kCapacity = 7;

    // The one cache of the process, shared by every review window.
    static std::shared_ptr<PageImageDocumentCache> shared();

    // The calling thread's handle of the document at the path; null when it cannot be opened as a
    // PDF (an older entry for the path then stays). Opening an eighth document empties the cache.
    std::shared_ptr<const pdf::Document> documentFor(const std::string& path);

    std::size_t size() const;

private:
    struct Entry {
        std::optional<std::timespec> modified;
        std::mutex mutex;
        std::map<std::thread::id, std::shared_ptr<const pdf::Document>> handles;
    };

    static std::shared_ptr<const pdf::Document> threadHandle(Entry& entry, const std::string& path);

    mutable std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<Entry>> m_entries;
};

}
