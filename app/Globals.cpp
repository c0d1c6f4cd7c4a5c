#include "app/Globals.h"

#include "app/PageTemplates.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Log.h"
#include "platform/core/Text.h"

#include <atomic>
#include <cstdlib>

namespace ikw {

namespace {

std::shared_ptr<const Globals>& installed()
{
    static std::shared_ptr<const Globals> value;
    return value;
}

std::string trimmedFile(const std::string& path)
{
    const auto text = realFileSystem().readFile(path);
    return text ? std::string(trim(*text)) : std::string();
}

AppInfo appInfoFor(const Paths& paths, const Brand& brand)
{
    const std::string bundleDir = parentPath(paths.resourcesDir);
    std::string shortVersion = trimmedFile(joinPath(paths.resourcesDir, "VERSION"));
    return AppInfo {
        .identifier = kApplicationId,
        .shortVersion = shortVersion.empty() ? "0" : std::move(shortVersion),
        .build = trimmedFile(joinPath(paths.resourcesDir, "BUILD")),
        .name = "CulmoraPhotos",
        .displayName = brand.name,
        .bundleDir = bundleDir,
        .iconPath = joinPath(paths.resourcesDir, "icons/inkwarden.png"),
    };
}

}

std::string readVersion(const Paths& paths)
{
    for (const std::string& path : { joinPath(paths.resourcesDir, "VERSION"), joinPath(joinPath(paths.home, kUserEngineFolder), "app/VERSION") }) {
        if (std::string version = trimmedFile(path); !version.empty())
            return version;
    }
    return "1.0.0";
}

int readDragMode(const Paths& paths)
{
    const auto value = parseInteger(trimmedFile(joinPath(paths.resourcesDir, "drag_mode")));
    if (!value || *value < INT32_MIN || *value > INT32_MAX)
        return 3;
    return static_cast<int>(*value);
}

Globals Globals::build(const Paths& paths)
{
    Globals globals;
    globals.paths = paths;
    globals.home = paths.home;
    globals.archive = joinPath(paths.home, kReviewsFolderName);
    globals.configPath = paths.mapLibraryPath("~/Library/Application Support/Inkwarden/config.json");
    globals.secretsPath = joinPath(paths.applicationSupport(kProductFolderName), "secrets.json");
    globals.brand = Brand::load(paths.resourcesDir);
    globals.loadingHTML = loadingPage(globals.brand);
    globals.askHTML = askPageTemplate(globals.brand);
    globals.visualDiffHTML = visualDiffPageTemplate();
    globals.compareIntakeHTML = compareIntakePage();
    globals.version = readVersion(paths);
    globals.dragMode = readDragMode(paths);
    globals.appInfo = appInfoFor(paths, globals.brand);
    return globals;
}

const Globals& globals()
{
    const auto& value = installed();
    if (!value) {
        logLine("process constants used before they were set");
        std::abort();
    }
    return *value;
}

void installGlobals(std::shared_ptr<const Globals> globals)
{
    installed() = std::move(globals);
}

ScopedGlobals::ScopedGlobals(Globals globals)
    : m_current(std::make_shared<const Globals>(std::move(globals)))
    , m_previous(installed())
{
    installed() = m_current;
}

ScopedGlobals::~ScopedGlobals()
{
    installed() = m_previous;
}

}
