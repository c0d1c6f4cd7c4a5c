#pragma once

#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
}

namespace ikw::crossdoc {

// What a cross-folder search covers, taken from a window's source paths when the request arrives.
struct SearchScope {
    // Every document below these folders.
    std::vector<std::string> dirs;
    // The window's own PDFs, searched first and kept in the answer even outside the folders.
    std::vector<std::string> explicitFiles;
};

// The folders of the source paths in order: a folder stays, an existing file gives its folder,
// a missing path gives nothing; each folder once, where it first appears. A single document thus
// makes its whole folder (with its subfolders) the scope.
std::vector<std::string> searchScopeDirs(const std::vector<std::string>& sourcePaths);
// The same for a window's source paths. Main thread.
std::vector<std::string> searchScopeDirs(const ReviewWC& window);
// The source paths ending in ".pdf" in any letter case, in order, whether or not they exist.
std::vector<std::string> searchExplicitFiles(const std::vector<std::string>& sourcePaths);
SearchScope searchScope(const std::vector<std::string>& sourcePaths);

// The name a page shows for the scope: the first folder's last component ("/" for the root); ""
// without folders.
std::string scopeName(const std::vector<std::string>& dirs);

}
