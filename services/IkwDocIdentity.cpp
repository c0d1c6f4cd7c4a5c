#include "services/IkwDocIdentity.h"

#include "platform/core/Identifiers.h"
#include "platform/core/Text.h"

#include <glib.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <memory>
#include <vector>

namespace ikw::services::IkwDocIdentity {

namespace {

const std::string kName(attr);

// The stored value's length in characters, invalid UTF-8 sequences counting as one replacement
// character each; the value itself when long enough to be kept.
std::optional<std::string> storedId(const std::string& path, const AttributeCalls& calls)
{
    const ssize_t size = calls.get(path.c_str(), kName.c_str(), nullptr, 0);
    if (size < 1)
        return std::nullopt;
    std::vector<char> bytes(static_cast<std::size_t>(size));
    const ssize_t read = calls.get(path.c_str(), kName.c_str(), bytes.data(), bytes.size());
    if (read < 1)
        return std::nullopt;
    const std::unique_ptr<gchar, decltype(&g_free)> text(g_utf8_make_valid(bytes.data(), read), g_free);
    if (static_cast<std::size_t>(g_utf8_strlen(text.get(), -1)) < kShortestKeptId)
        return std::nullopt;
    return std::string(text.get());
}

}

AttributeCalls systemAttributeCalls()
{
    return AttributeCalls {
        .get = [](const char* path, const char* name, void* value, std::size_t size) { return ::getxattr(path, name, value, size); },
        .set = [](const char* path, const char* name, const void* value, std::size_t size) { return ::setxattr(path, name, value, size, 0); },
    };
}

std::optional<std::string> ensure(const std::string& path, const AttributeCalls& calls)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    if (auto kept = storedId(path, calls))
        return kept;
    const std::string fresh = asciiLowercase(makeUuid());
    if (calls.set(path.c_str(), kName.c_str(), fresh.data(), fresh.size()) != 0)
        return std::nullopt;
    return fresh;
}

}
