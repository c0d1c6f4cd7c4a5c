#include "finder/ClaimGroups.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"

#include <algorithm>

namespace ikw::finder {

std::optional<AllowList> allowListFrom(const std::string& brandText)
{
    const auto brand = parseJson(brandText);
    if (!brand || !brand->is_object())
        return std::nullopt;
    const auto types = brand->find("default_app_types");
    if (types == brand->end() || !types->is_array() || types->empty())
        return std::nullopt;
    AllowList allowed;
    for (const auto& identifier : *types) {
        if (!identifier.is_string())
            return std::nullopt;
        allowed.insert(identifier.get<std::string>());
    }
    return allowed;
}

std::optional<AllowList> readAllowList(const std::string& resourcesDir)
{
    const auto text = realFileSystem().readFile(joinPath(resourcesDir, "brand.json"));
    return text ? allowListFrom(*text) : std::nullopt;
}

std::vector<ClaimGroup> claimGroups(const DeclaredTypes& declared, const std::optional<AllowList>& allowed)
{
    std::vector<ClaimGroup> groups;
    for (const auto& entry : declared.groups) {
        ClaimGroup group { entry.name, {} };
        for (const auto& identifier : entry.identifiers) {
            if (isNeverClaimed(identifier) || (allowed && !allowed->contains(identifier)))
                continue;
            if (const TypeInfo* info = declared.find(identifier))
                group.types.push_back({ identifier, info->mimeType, info->extension });
        }
        if (!group.types.empty())
            groups.push_back(std::move(group));
    }
    return groups;
}

std::vector<ContentType> claimedTypes(const std::vector<ClaimGroup>& groups)
{
    std::vector<ContentType> types;
    for (const auto& group : groups)
        types.insert(types.end(), group.types.begin(), group.types.end());
    return types;
}

std::string groupExtensions(const ClaimGroup& group)
{
    std::vector<std::string> seen;
    std::string text;
    for (const auto& type : group.types) {
        if (type.extension.empty() || std::find(seen.begin(), seen.end(), type.extension) != seen.end())
            continue;
        seen.push_back(type.extension);
        text += (text.empty() ? "." : " .") + type.extension;
    }
    return text;
}

}
