#pragma once

#include "library/LibraryActions.h"
#include "platform/core/Json.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
namespace ui {
class WebView;
}
}

namespace ikw::crossdoc {

// The link end a reader of `path` focuses when it next asks for its links.
struct LinkFocus {
    std::string path;
    std::string id;
    std::string end; // "a" or "b"
};

// Cross-document links across every reader: the two-step making of a link (the first end waits
// here while the user picks the second in any reader), the hand-off of a focus to a reader that
// is still opening, and the store changes that every reader hears about. One per application, made
// by the composition root; the library is looked up at each step, and without it no reader is
// told anything and nothing opens. "Every reader" is the library's reader list, taken afresh at
// each step. Main thread only.
class LinksController : public std::enable_shared_from_this<LinksController> {
public:
    explicit LinksController(library::LibraryLookup library);

    // The first end: remembered (replacing an earlier one), and every reader goes into link mode
    // with the end's label and a toast.
    void beginLink(const Json& endpoint);
    // The second end: with a first end waiting, the link is stored, link mode ends with "Link
    // created" and every reader reloads its links; without one, the passage becomes the first end.
    void finishLink(const Json& endpoint);
    // Forgets the first end and ends link mode everywhere, without a toast.
    void cancelLink();

    // Answers "links": the whole store for `window`'s page, with the waiting focus when it is for
    // the window's document (handed over once).
    void sendLinks(ReviewWC& window);
    // Answers "linkjump": reads the page's jump request from `asking` and shows that end.
    void handleLinkJump(const std::shared_ptr<ui::WebView>& asking);
    // Answers "linkopenpair": shows both ends of the link, "a" first.
    void handleLinkOpenPair(const std::string& id, const std::shared_ptr<ui::WebView>& asking);
    // Removes every link with the id; the store is rewritten (also when none matched).
    void deleteLink(const std::string& id);
    // Sets the note of every link with the id.
    void setLinkNote(const std::string& id, const std::string& note);
    // Every reader reloads its links.
    void reloadAllLinks();

    // The first end while a link is being made.
    std::optional<Json> pendingLinkEndpoint;
    std::optional<LinkFocus> pendingLinkFocus;

private:
    std::vector<std::shared_ptr<ReviewWC>> readers() const;
    void inEveryReader(const std::string& script) const;
    // Brings the first visible reader of `path` forward and focuses the end in it; without one,
    // opens the document at `page` and leaves the focus waiting for it.
    void showLinkEnd(const LinkFocus& focus, std::optional<int> page, const std::shared_ptr<ui::WebView>& asking);

    library::LibraryLookup m_library;
};

// The label of a link end in link mode, escaped for a single-quoted literal: the document's file
// name and its page ("it\'s.pdf · p.3"), "document" and 0 where the end has none.
std::string linkModeLabel(const Json& endpoint);

// Reads a page global holding JSON text ("window.NAME || ''") and hands over the object it holds;
// an empty text or anything but an object ends the read without a call.
void readPageObject(ui::WebView& web, const std::string& global, std::function<void(Json)> object);

}
