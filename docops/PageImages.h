#pragma once

#include "review/EngineProcess.h"

#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
class UrlActions;
}

namespace ikw::docops {

// The page's "pagesReady" call for a file the engine gave no answer for: the file, no pages.
std::string pagesFallbackScript(const std::string& path);

// Has the engine make page images of `path`, then of each further file in turn, strictly one
// after another; each file is answered by its own "pagesReady" in the window's page while the
// window lives. The engine's answer reaches the page only as JSON; anything else, or no answer
// at all, gets the fallback.
void renderFilePages(ReviewWC& window, std::string path, std::vector<std::string> prefetch, EngineRunOptions options = {});

// The reader page's "pages" action (its file in "path", further files in "prefetch").
void registerPageImageActions(UrlActions& actions);

}
