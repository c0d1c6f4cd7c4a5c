#pragma once

#include <functional>
#include <string>

namespace ikw::crossdoc {

enum class WalkStep { Continue, Stop };

// Walks everything below a folder, depth first: each entry by its path (the folder's path, "/"
// and the name), a subfolder's entries right after the subfolder itself, the entries of each
// folder in byte order of their names, so that walks repeat. Hidden entries (names starting with
// ".") are passed over with everything inside them; packages (see isPackageName) are listed but not
// entered; symbolic links are listed but never followed; a subfolder that cannot be read is passed
// over and the walk goes on. The visitor may stop the walk. `listing`, when given, is told of each
// folder (the first one included) just before its entries are read.
void walkFolder(const std::string& folder, const std::function<WalkStep(const std::string& path)>& visit,
    const std::function<void(const std::string& folder)>& listing = {});

// Folders that desktop systems show as one document (an application bundle, a rich-text
// package, a photo library, ...), by their extension in any letter case. Linux has no such
// packages of its own; the list keeps folders copied from other systems closed.
bool isPackageName(const std::string& name);

}
