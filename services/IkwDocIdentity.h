#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Every opened file gets a stable document id, kept with the file in an extended attribute so that
// it follows the file through moves, renames and our own rewrites.
namespace ikw::services::IkwDocIdentity {

// User attributes on Linux live in the "user." namespace.
inline constexpr std::string_view attr = "user.app.norvale.inkwarden.docid";
// A stored value this long or longer (in characters) is the id as it stands.
inline constexpr std::size_t kShortestKeptId = 8;

// The two attribute calls (following symbolic links), replaceable to test their failures.
struct AttributeCalls {
    std::function<ssize_t(const char* path, const char* name, void* value, std::size_t size)> get;
    std::function<int(const char* path, const char* name, const void* value, std::size_t size)> set;
};
AttributeCalls systemAttributeCalls();

// The id of the file or folder at `path`, made (a lower-case UUID) and stored when none of at
// least 8 characters is there; nothing for an empty or missing path, or when no id can be stored
// (read-only volume, no permission, a file system without user attributes). Blocking, a few bytes.
std::optional<std::string> ensure(const std::string& path, const AttributeCalls& calls = systemAttributeCalls());

}
