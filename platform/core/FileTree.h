#pragma once

#include "platform/core/FileSystem.h"

#include <string>

namespace ikw {

// Copies the item at `from` to `to`, which must not exist yet: a file with its bytes, a folder
// with everything in it, a symbolic link as a link (never followed), a FIFO as a FIFO. Each copy
// keeps its permission bits, times, owner (where permitted) and user attributes, and its data is
// on the disk when this returns. On failure nothing of the copy is left. Other kinds of item
// (sockets, devices) fail the copy.
IoStatus copyTree(const std::string& from, const std::string& to);

// Removes a file, a link or a folder with everything in it; links are removed, never followed.
// Goes on past items it cannot remove and reports the first failure.
IoStatus removeTree(const std::string& path);

}
