#pragma once

#include "review/EngineRunner.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {
class TaskQueue;
struct UrlAction;
}

namespace ikw::assistants {

struct ReaderHelperServices {
    // Where the outline and the quote checks run.
    TaskQueue* workers = nullptr;
    // Runs the local AI script; empty: runAI.
    std::function<void(std::vector<std::string> arguments, EngineAnswer completion)> runAI {};
    // Where the passages to explain wait for the script; empty: this user's private temporary folder.
    std::function<std::optional<std::string>()> stagingFolder {};
};

// The reader's helpers that need the native side: the PDF's own outline, the AI table of contents,
// the AI's explanation of search passages and the check that a quoted text occurs in the shown
// PDF. Each answers the page that asked through one page function, while that page exists. One
// per application; main thread only.
class ReaderHelpers : public std::enable_shared_from_this<ReaderHelpers> {
public:
    explicit ReaderHelpers(ReaderHelperServices services);

    // "outline": ikwOutline with the document's outline answer.
    void outline(const UrlAction& action);
    // "aitoc": one AI table-of-contents run per window at a time; its progress lines go to
    // ikwTocProgress, its answer to ikwAiToc. A request while a run is going is dropped.
    void aiToc(const UrlAction& action);
    // "xexplain" (`hits`: Base64 of a non-empty JSON array of objects, `q`): ikwExplain with the AI's
    // reply. Any other `hits` gets no answer.
    void explain(const UrlAction& action);
    // "verifytext" (`q`): ikwVerifyResult(true or false) for the PDF the page holds as Base64 in
    // window.__ikwVerifyB64.
    void verifyText(const UrlAction& action);

private:
    std::optional<std::string> stagePassages(const std::string& json) const;

    ReaderHelperServices m_services;
};

}
