#pragma once

#include "platform/core/Json.h"
#include "services/IkwDocIdentity.h"

#include <optional>
#include <string>

namespace ikw::library {

// A document's place in a run of documents (a signing run, say): index counts from 0.
struct ReaderRun {
    int index = 0;
    int total = 0;
    std::string name;
};

struct ReaderURLRequest {
    std::string pdf;  // the PDF the page shows
    std::string orig; // the document it stands for
    std::optional<int> page {};
    std::optional<std::string> verb {};
    std::optional<ReaderRun> run {};
    std::optional<std::string> docId {}; // the document's stable id, when it has one
};

// What the page's colours depend on when the URL is built.
struct ReaderLook {
    std::string scheme = "light";  // the application's resolved scheme
    bool nightPagesNow = false;    // the night schedule is on now and relights pages
};

// The reader page's URL with its query items in their fixed order (pdf, orig, theme, docid, sb, z,
// zw, ptmode, ptheme, pair, page, verb, run, runname); nothing when `readerPage` is not an absolute path.
std::optional<std::string> readerURL(const ReaderURLRequest& request, const Json& settings, const ReaderLook& look, const std::string& readerPage);

// The id the page gets: that of the document the user opened (`orig`), else that of the PDF;
// nothing when the file has none and none can be stored.
std::optional<std::string> readerDocId(const ReaderURLRequest& request,
    const services::IkwDocIdentity::AttributeCalls& calls = services::IkwDocIdentity::systemAttributeCalls());

// The same for the running application: the engine's reader page, the settings and look of now.
std::optional<std::string> readerURL(const ReaderURLRequest& request);

}
