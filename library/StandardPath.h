#pragma once

#include <string>
#include <string_view>

namespace ikw::library {

// A path as the history and the recent items key it, worked out from the text alone (no link is
// followed, nothing need exist): a leading "~" becomes the home folder, empty and "." components
// go, ".." removes the component before it in an absolute path, and no "/" trails (but "/"
// itself). A relative path keeps its ".." components.
std::string standardizedPath(std::string_view path, std::string_view home);
// The same with the process's home folder.
std::string standardizedPath(std::string_view path);

}
