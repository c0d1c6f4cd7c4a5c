#pragma once

#include <string>
#include <string_view>

namespace ikw {

// Moves and copies that never replace an existing file, so that two racing operations onto one
// name cannot destroy a file: the name is claimed atomically (renameat2 with RENAME_NOREPLACE,
// or a hard link where the file system lacks it).
struct PlaceResult {
    enum class Outcome { placed, nameTaken, failed };
    Outcome outcome = Outcome::failed;
    std::string path;    // where the file now is, when placed
    std::string message; // why not, otherwise

    bool ok() const { return outcome == Outcome::placed; }
    explicit operator bool() const { return ok(); }
};

// Fails with nameTaken, touching neither file, when `to` exists. Across file systems the item (a
// file, or a folder with everything in it, links kept as links) is copied and the source removed
// once the copy is in place; a failed copy leaves the source whole and no partial copy.
PlaceResult moveWithoutReplacing(const std::string& from, const std::string& to);

// Whether a copy reaches the disk before it appears under its name. A copy that only stands in for
// a file still in its place (a cache, a spare version) may skip the wait.
enum class CopyFlush { toDisk, cacheOnly };

// Copies a regular file's bytes, permission bits, times and user attributes ("user.*"). The copy
// is written under a hidden name and appears at `to` only when complete.
PlaceResult copyWithoutReplacing(const std::string& from, const std::string& to, CopyFlush flush = CopyFlush::toDisk);

// Into `folder` as `name`, or the first free "name 2.ext", "name 3.ext", ... (see UniqueName.h).
PlaceResult moveToUniqueName(const std::string& from, std::string_view folder, std::string_view name);
PlaceResult copyToUniqueName(const std::string& from, std::string_view folder, std::string_view name);

}
