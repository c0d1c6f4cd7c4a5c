#pragma once

#include "library/LibraryActions.h"
#include "platform/core/Json.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ikw {
class WorkQueue;
struct UrlAction;
namespace ui {
class Dialogs;
}
}

namespace ikw::crossdoc {

// Two PDFs compared as pictures, page by page: the panels that choose them, the generated
// visual-diff page, and the page-pair answers the page asks for. One per application, made by the
// composition root. The diffs run on a pool of two workers, so however fast the page asks (arrow
// keys, its "Next change" scan), at most two pairs of page pictures are in memory at once; the
// page caches answers by page number, so they may arrive in any order. Main thread only.
class VisualCompare : public std::enable_shared_from_this<VisualCompare> {
public:
    // One page-pair answer (see visualDiffPage); tests put a stand-in here.
    using DiffFunction = std::function<std::optional<Json>(const std::string& pathA, const std::string& pathB, long long pageIndex)>;

    VisualCompare(ui::Dialogs& dialogs, library::LibraryLookup library, DiffFunction diff = {});
    ~VisualCompare();
    VisualCompare(const VisualCompare&) = delete;
    VisualCompare& operator=(const VisualCompare&) = delete;

    // The menu command "Visual Page Diff (two PDFs)…".
    void openVisualCompare() { pickVisualCompare(); }
    // Asks for two PDFs (one panel, or a second one when only one was chosen) and compares them.
    void pickVisualCompare();
    // Records both as recent, writes the filled page into the reviews folder and shows it by the
    // generated-page tab rule.
    void openVisualCompareDocs(const std::string& pathA, const std::string& pathB);
    // "xcompare" (items `a` and `b`, absolute paths): two PDFs get the visual diff, anything else
    // the engine's compare review.
    void handleWorkbenchCompare(const UrlAction& action);
    // "visualdiff" (items `page`, 1-based, default 1, and `a` and `b`): one answer to the page's
    // ikwVisualDiff, unless the window has closed by then; no answer for a page below 1 or beyond
    // both documents.
    void sendVisualDiff(const UrlAction& action);

private:
    void askForSecond(const std::string& first);

    ui::Dialogs& m_dialogs;
    library::LibraryLookup m_library;
    DiffFunction m_diff;
    // Set when the application ends, so that diffs still queued end at once.
    std::shared_ptr<std::atomic<bool>> m_ending = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<WorkQueue> m_diffWorkers;
};

}
