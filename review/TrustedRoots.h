#pragma once

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

}
