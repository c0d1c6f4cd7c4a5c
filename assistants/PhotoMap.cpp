#include "assistants/PhotoMap.h"

#include "platform/core/Base64.h"
#include "platform/core/BoundedFileRead.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"

#include <map>

namespace ikw::assistants {

namespace {

// Far above the map of the largest export.
constexpr std::uint64_t kMostMapBytes = 16 * 1024 * 1024;

std::optional<std::map<std::string, std::string>> readPhotoMap(const std::string& folder)
{
    const BoundedFileRead file = readRegularFileWithin(joinPath(folder, kPhotoMapFile), kMostMapBytes);
    if (file.status != BoundedFileRead::Status::Read)
        return std::nullopt;
    const auto json = parseJson(file.bytes);
    if (!json || !json->is_object())
        return std::nullopt;
    std::map<std::string, std::string> map;
    for (const auto& [name, identifier] : json->items()) {
        if (!identifier.is_string())
            return std::nullopt;
        map.emplace(name, identifier.get<std::string>());
    }
    return map;
}

std::optional<std::vector<std::string>> namesFrom(const std::string& namesBase64)
{
    const auto text = decodeBase64(namesBase64);
    const auto json = text ? parseJson(*text) : std::nullopt;
    if (!json || !json->is_array())
        return std::nullopt;
    std::vector<std::string> names;
    for (const auto& name : *json) {
        if (!name.is_string())
            return std::nullopt;
        names.push_back(name.get<std::string>());
    }
    return names;
}

}

std::optional<std::vector<std::string>> photoIdentifiersFor(const std::string& folder, const std::string& namesBase64)
{
    const auto map = readPhotoMap(folder);
    const auto names = map ? namesFrom(namesBase64) : std::nullopt;
    if (!names)
        return std::nullopt;
    std::vector<std::string> identifiers;
    for (const auto& name : *names) {
        if (const auto found = map->find(name); found != map->end())
            identifiers.push_back(found->second);
    }
    return identifiers;
}

}
