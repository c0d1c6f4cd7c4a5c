#include "crossdoc/LinksStore.h"

#include "app/Globals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Log.h"
#include "platform/core/TextMetrics.h"

#include <algorithm>
#include <limits>

namespace ikw::crossdoc {

namespace {

// The records of a store text, or nothing when the text is not an array of objects.
std::optional<std::vector<Json>> parseStore(std::string_view text)
{
    const auto parsed = parseJson(text);
    if (!parsed || !parsed->is_array())
        return std::nullopt;
    if (!std::all_of(parsed->begin(), parsed->end(), [](const Json& record) { return record.is_object(); }))
        return std::nullopt;
    return parsed->get<std::vector<Json>>();
}

// Keeps a store that exists but does not read as one beside it as ".bad", before it is written
// over: its content when it can be read, else the file itself. A missing store needs nothing.
bool keepDamagedStore(FileSystem& files, const std::string& path)
{
    if (!files.exists(path))
        return true;
    const auto text = files.readFile(path);
    if (text && parseStore(*text))
        return true;
    const std::string kept = path + ".bad";
    const auto status = text ? files.replaceFile(kept, *text) : files.rename(path, kept);
    if (!status) {
        logLine("[ikw] links: not saved, the damaged links.json could not be kept aside: " + status.message());
        return false;
    }
    logLine("[ikw] links: the damaged links.json was kept as links.json.bad");
    return true;
}

}

std::string linksStorePath()
{
    const std::string folder = globals().paths.mapLibraryPath("~/Library/Application Support/Inkwarden");
    realFileSystem().createDirectories(folder);
    return folder + "/links.json";
}

std::vector<Json> loadLinks()
{
    const auto text = realFileSystem().readFile(linksStorePath());
    if (!text)
        return {};
    return parseStore(*text).value_or(std::vector<Json> {});
}

void saveLinks(const std::vector<Json>& links)
{
    auto& files = realFileSystem();
    const std::string path = linksStorePath();
    if (!keepDamagedStore(files, path))
        return;
    if (const auto written = files.replaceFile(path, toPrettyJson(Json(links))); !written)
        logLine("[ikw] links: not saved: " + written.message());
}

std::optional<std::string> linkEndPath(const Json& end)
{
    return stringField(end, "path");
}

std::vector<Json> linksInvolving(const std::string& path)
{
    std::vector<Json> involved;
    for (auto& record : loadLinks()) {
        const auto endAt = [&](const char* name) {
            const auto end = record.find(name);
            const auto endPath = end == record.end() ? std::nullopt : linkEndPath(*end);
            return endPath && canonicallyEqual(*endPath, path);
        };
        if (endAt("a") || endAt("b"))
            involved.push_back(std::move(record));
    }
    return involved;
}

std::optional<long long> integerField(const Json& object, std::string_view key)
{
    if (!object.is_object())
        return std::nullopt;
    const auto found = object.find(std::string(key));
    if (found == object.end() || !found->is_number_integer())
        return std::nullopt;
    if (found->is_number_unsigned() && found->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<long long>::max()))
        return std::nullopt;
    return found->get<long long>();
}

std::optional<std::string> stringField(const Json& object, std::string_view key)
{
    if (!object.is_object())
        return std::nullopt;
    const auto found = object.find(std::string(key));
    if (found == object.end() || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

}
