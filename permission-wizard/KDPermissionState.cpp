#include "permission-wizard/KDPermissionState.h"

#include "permission-wizard/KDPermissionWizard.h"
#include "platform/core/Iso8601.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"

#include <ctime>

namespace ikw::wizard {

namespace {

// The slug becomes one folder name: nothing that climbs out of home or into another folder.
bool isFolderWord(const std::string& slug)
{
    return !slug.empty() && slug != "." && slug != ".." && slug.find('/') == std::string::npos
        && slug.find('\0') == std::string::npos;
}

Json permissionRow(const KDPermission& permission, const std::set<std::string>& skipped)
{
    return Json {
        { "id", permission.id },
        { "title", permission.title },
        { "capability_probe", permission.probe ? permission.probe() : false },
        { "optional", permission.isOptional },
        { "skipped", skipped.contains(permission.id) },
        { "rows_to_tick", permission.rowsToTick },
    };
}

}

std::optional<std::string> KDPermissionState::fileURL()
{
    const auto& slug = KDPermissionWizard::product().slug;
    if (!isFolderWord(slug))
        return std::nullopt;
    const std::string folder = joinPath(Paths::fromEnvironment().home, "." + slug);
    (void)KDPermissionWizard::host().fileSystem->createDirectories(folder);
    return joinPath(folder, "permissions.json");
}

void KDPermissionState::write(const std::vector<KDPermission>& permissions, const std::set<std::string>& skipped)
{
    Json rows = Json::array();
    for (const auto& permission : permissions)
        rows.push_back(permissionRow(permission, skipped));

    const auto& host = KDPermissionWizard::host();
    const Json state {
        { "product", KDPermissionWizard::product().name },
        { "bundle_id", host.bundleIdentifier() },
        { "app_path", host.bundlePath() },
        { "written_at", iso8601Utc(std::time(nullptr)) },
        { "permissions", std::move(rows) },
    };
    if (const auto path = fileURL())
        (void)host.fileSystem->replaceFile(*path, toPrettyJson(state));
}

}
