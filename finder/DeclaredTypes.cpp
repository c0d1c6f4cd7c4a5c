#include "finder/DeclaredTypes.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"

#include <algorithm>
#include <array>

namespace ikw::finder {

namespace {

std::optional<DeclaredGroup> groupFrom(const Json& entry)
{
    if (!entry.is_object())
        return std::nullopt;
    const auto name = entry.find("name");
    const auto types = entry.find("types");
    if (name == entry.end() || !name->is_string() || types == entry.end() || !types->is_array())
        return std::nullopt;
    DeclaredGroup group { name->get<std::string>(), {} };
    for (const auto& identifier : *types) {
        if (!identifier.is_string())
            return std::nullopt;
        group.identifiers.push_back(identifier.get<std::string>());
    }
    return group;
}

std::optional<TypeInfo> typeFrom(const Json& entry)
{
    if (!entry.is_object())
        return std::nullopt;
    const auto mime = entry.find("mime");
    if (mime == entry.end() || !mime->is_string() || mime->get<std::string>().empty())
        return std::nullopt;
    TypeInfo info { mime->get<std::string>(), {} };
    if (const auto ext = entry.find("ext"); ext != entry.end() && ext->is_string())
        info.extension = ext->get<std::string>();
    return info;
}

}

const TypeInfo* DeclaredTypes::find(std::string_view identifier) const
{
    const auto found = types.find(identifier);
    return found == types.end() ? nullptr : &found->second;
}

DeclaredTypes parseDeclaredTypes(const Json& table)
{
    DeclaredTypes declared;
    if (!table.is_object())
        return declared;
    if (const auto groups = table.find("groups"); groups != table.end() && groups->is_array()) {
        for (const auto& entry : *groups) {
            if (auto group = groupFrom(entry))
                declared.groups.push_back(std::move(*group));
        }
    }
    if (const auto types = table.find("types"); types != table.end() && types->is_object()) {
        for (const auto& [identifier, entry] : types->items()) {
            if (auto info = typeFrom(entry))
                declared.types.emplace(identifier, std::move(*info));
        }
    }
    return declared;
}

DeclaredTypes readDeclaredTypes(const std::string& resourcesDir)
{
    const auto text = realFileSystem().readFile(joinPath(resourcesDir, kDeclaredTypesFile));
    const auto table = text ? parseJson(*text) : std::nullopt;
    return table ? parseDeclaredTypes(*table) : DeclaredTypes {};
}

bool isNeverClaimed(std::string_view identifier)
{
    static constexpr std::array<std::string_view, 3> kNeverClaimed { "public.folder", "public.directory", "public.html" };
    return std::find(kNeverClaimed.begin(), kNeverClaimed.end(), identifier) != kNeverClaimed.end();
}

std::vector<std::string> announcedMimeTypes(const DeclaredTypes& declared)
{
    std::vector<std::string> mimeTypes;
    for (const auto& group : declared.groups) {
        for (const auto& identifier : group.identifiers) {
            const TypeInfo* info = declared.find(identifier);
            if (!info || isNeverClaimed(identifier))
                continue;
            if (std::find(mimeTypes.begin(), mimeTypes.end(), info->mimeType) == mimeTypes.end())
                mimeTypes.push_back(info->mimeType);
        }
    }
    return mimeTypes;
}

}
