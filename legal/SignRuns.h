#pragma once

#include "library/LibraryActions.h"

#include <functional>
#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
}

namespace ikw::legal {

// Whether a path may join a sign run: not a folder, and a document type the reader can sign.
bool qualifiesForSignRun(const std::string& path);

struct SignRunServices {
    library::LibraryLookup library;
    // Banks a version of a PDF before it is shown for signing.
    std::function<void(const std::string& path)> snapshotVersionFile;
};

// Runs of documents signed one after another in one tab. The run lives in the window's
// `signRun` and ends with the window. Main thread only.
class SignRuns {
public:
    explicit SignRuns(SignRunServices services);

    // "signrun": one qualifying document opens as a plain reader; two or more start a run in a
    // window chosen by the generated-page tab rule.
    void openSignRun(const std::vector<std::string>& paths) const;
    // "signrunnext" (+1) and "signrunprev" (-1). Documents that have gone are skipped in the
    // direction of travel; with nothing left that way the window stays as it is.
    void stepSignRun(ReviewWC& window, int step) const;
    // Shows the document at the run's index, moving on by `direction` past documents that have
    // gone; false (and the index unchanged) when none is left that way.
    bool loadSignRunDoc(ReviewWC& window, int direction = 1) const;

private:
    void show(ReviewWC& window, const std::string& document) const;

    SignRunServices m_services;
};

}
