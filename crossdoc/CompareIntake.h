#pragma once

#include "library/LibraryActions.h"
#include "review/ReviewServices.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {
class ReviewWC;
struct UrlAction;
namespace ui {
class Dialogs;
}
}

namespace ikw::crossdoc {

// The page call that fills the intake slot "a" (older) or "b" (newer) with a document.
std::string compareSetScript(std::string_view slot, const std::string& path);

// One slot filled by a drop.
struct SlotFill {
    std::string slot;
    std::string path;
};

// The slots a drop onto the intake fills: folders are left out; two or more documents fill "a"
// then "b"; a single one goes to the half of the view it was dropped on.
std::vector<SlotFill> compareIntakeSlots(const std::vector<std::string>& paths, DropPoint point);

// Files dropped on a window showing the intake fill its slots instead of opening.
void compareIntakeDrop(ReviewWC& window, const std::vector<std::string>& paths, DropPoint point);

// The start of a comparison of two documents: the intake page with the older (A) and the newer
// (B) slot, filled by panels or drops; its "Compare" runs the engine's redline review in the same
// tab. One per application, made by the composition root. Main thread only.
class CompareIntake : public std::enable_shared_from_this<CompareIntake> {
public:
    CompareIntake(ui::Dialogs& dialogs, library::LibraryLookup library);

    // The menu command "Compare Two Documents…".
    void openCompare() { openCompareIntake(); }
    // "compare": writes the intake page into the reviews folder and shows it by the generated-page
    // tab rule.
    void openCompareIntake();
    // "comparepick" (item `side`): a panel for one document; the chosen file fills the slot.
    void comparePickSlot(const UrlAction& action);

private:
    ui::Dialogs& m_dialogs;
    library::LibraryLookup m_library;
};

}
