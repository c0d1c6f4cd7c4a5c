#pragma once

#include "library/OpenRouter.h"
#include "review/ReviewWindows.h"

#include <memory>
#include <string>
#include <vector>

namespace ikw::library {

// Stores the way new document sets open under "multidoc_open_mode", as given, and saves the
// settings. Reading it back (`multidocOpenMode`) counts only "together" and "separately".
void setMultidocOpenMode(const std::string& mode);

// The document set a window shows: its set paths, else its source paths.
const std::vector<std::string>& documentSetOf(const ReviewWC& window);

// The open windows whose set paths are exactly `set` (same paths, same order), in list order.
std::vector<std::shared_ptr<ReviewWC>> windowsOfSet(const ReviewWindows& windows, const std::vector<std::string>& set);

// Tells each window's page how its set is shown now.
void pushSetStateTo(const std::vector<std::shared_ptr<ReviewWC>>& windows);

// Switches the set a window shows between one review over all of its documents ("together") and
// a reader per document that knows the whole set ("separately"); the chosen way becomes the
// default for new sets. Main thread only.
class DocumentSets {
public:
    DocumentSets(ReviewWindows& windows, Openers& openers, OpenRouter& router)
        : m_windows(windows)
        , m_openers(openers)
        , m_router(router)
    {
    }

    // `mode` is "together" or "separately"; `from` is the window whose page asked.
    void switchDocumentSet(const std::string& mode, ReviewWC& from);

private:
    void showSeparately(const std::vector<std::string>& set, ReviewWC& from);
    void showTogether(const std::vector<std::string>& set, const std::vector<std::shared_ptr<ReviewWC>>& ofSet);

    ReviewWindows& m_windows;
    Openers& m_openers;
    OpenRouter& m_router;
};

}
