#pragma once

#include "crossdoc/CrossDocActions.h"
#include "crossdoc/LinksController.h"
#include "crossdoc/LinksStore.h"
#include "library/LibraryLayer.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <memory>
#include <string>
#include <vector>

namespace ikw::crossdoc::testing {

// Readers on the recording toolkit with the library and the links controller over them, the link
// actions registered as the application registers them, and links.json in the temporary home.
class LinksFixture : public ikw::testing::ReviewFixture {
protected:
    LinksFixture() { registerActions(actions, { .links = links }); }

    // A reader window showing `path`.
    std::shared_ptr<ReviewWC> reader(const std::string& path, bool visible = true)
    {
        auto window = windows.open(std::nullopt);
        window->isReader = true;
        window->hasContent = true;
        window->sourcePaths = { path };
        windowOf(*window).visible = visible;
        return window;
    }

    // The page of `window` sends the action `url` ("linkstart", "linknote?id=..."); a page global
    // it reads answers `global` (a string, or JSON null for none).
    void send(ReviewWC& window, const std::string& url, const Json& global = nullptr)
    {
        viewOf(window).nextResult = ui::ScriptResult { global, std::nullopt };
        const std::string host = url.substr(0, url.find('?'));
        actions.dispatch(host, UrlAction { window, "qeliz://" + url });
    }

    // What the page of `window` was asked to run since the last look, reads of page globals left
    // out.
    std::vector<std::string> scriptsOf(ReviewWC& window)
    {
        std::vector<std::string> scripts;
        for (auto& script : viewOf(window).evaluated) {
            if (!script.starts_with("window.__ikwLink"))
                scripts.push_back(std::move(script));
        }
        viewOf(window).evaluated.clear();
        return scripts;
    }

    std::string storePath() const { return home.file(".local/share/Inkwarden/links.json"); }
    std::string doc(const std::string& name) const { return home.file("docs/" + name); }
    // A document that exists on disk.
    std::string existingDoc(const std::string& name) const { return ikw::testing::writeTestFile(doc(name), "%PDF-1.4\n"); }

    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<LinksController> links = std::make_shared<LinksController>([this] { return library; });
    UrlActions actions;
};

}
