#pragma once

#include "platform/ui/WebView.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// Pages get the native bridge (boot script, URL actions, script messages) only when they are files
// under one of a few folders the product and its engine write: the two engine folders, the reviews
// folder and the bundle's resources. Any other page, a downloaded .html file for one, is a
// stranger. Paths are compared after resolving "..", percent escapes and symbolic links.

// The folders trusted in this process.
std::vector<std::string> defaultTrustedRoots();

bool isTrustedPageUrl(std::string_view url, const std::vector<std::string>& roots);

// `script` wrapped so that it runs only in a page under one of the roots.
std::string guardScriptToRoots(std::string_view script, const std::vector<std::string>& roots);

// What a window with the bridge does with a document that one of its frames is about to show.
// WebKit does not say which frame sends an action or a message, so no frame may hold a document
// that is not ours: a local file outside the roots is refused in every frame (a top-level one is
// handed to the desktop instead), and a subframe shows nothing but trusted files, about: pages,
// the schemes in `subframeSchemes` and downloads. The top frame may show other documents; they
// are strangers, and the bridge decides by the top frame's document.
struct DocumentVerdict {
    ui::ResponsePolicy policy = ui::ResponsePolicy::Refuse;
    std::optional<std::string> handOff; // the local file to open with the desktop instead
};
DocumentVerdict judgeDocument(const ui::DocumentResponse& document, const std::vector<std::string>& roots,
    const std::vector<std::string>& subframeSchemes = {});

}
