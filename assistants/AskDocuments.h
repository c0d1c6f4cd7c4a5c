#pragma once

#include "app/PageTemplates.h"
#include "library/LibraryActions.h"
#include "review/EngineRunner.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace ikw {
struct UrlAction;
namespace ui {
class Dialogs;
}
}

namespace ikw::assistants {

// The documents the ask page offers in a folder.
const std::set<std::string>& askDocExts();
// At most this many of a folder's documents are listed on the ask page; `count` tells them all.
inline constexpr std::size_t kAskPageFileLimit = 300;

// What the ask page shows for `path`: a folder lists its documents (in byte order, each with its
// upper-case extension); a document, or a path that is gone, lists nothing and counts 0.
AskPageScope askPageScope(const std::string& path);

struct AskServices {
    library::LibraryLookup library;
    ui::Dialogs* dialogs = nullptr;
    // Runs the local AI script; empty: runAI.
    std::function<void(std::vector<std::string> arguments, EngineAnswer completion)> runAI {};
};

// Ask a document or folder: the picker, the filled ask page in a review tab, and the page's "ai"
// requests answered by the engine's local AI script. One per application; main thread only.
class AskDocuments : public std::enable_shared_from_this<AskDocuments> {
public:
    explicit AskDocuments(AskServices services);

    // "Ask a Document or Folder (Private AI)…" and the page action "ask": a file or a folder.
    void pickAskDoc();
    // Records the path as recent, writes its ask page into the reviews folder and shows it by the
    // generated-page tab rule.
    void openAsk(const std::string& path);
    // "ai" (`mode`, `id`, `doc`, `q`): `status` answers iwStatus; `ask`, `summarize` and `terms`
    // about a document answer iwReply with the request's id. Anything else gets no answer.
    void handleAI(const UrlAction& action);

private:
    void run(std::vector<std::string> arguments, EngineAnswer completion) const;

    AskServices m_services;
};

}
