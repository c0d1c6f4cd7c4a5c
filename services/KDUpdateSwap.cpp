// Replacing the running application's bundle by a staged update.
#include "services/KDUpdate.h"

#include "app/Globals.h"
#include "platform/core/Paths.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "platform/core/TaskQueue.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace ikw::services::KDUpdate {

namespace {

// Runs after this process has exited. The text is fixed and every path is a positional
// parameter, so no path is ever read as shell code: $1 the process to outlive, $2 the old
// bundle (set aside), $3 the staging folder, $4 the bundle, $5 whether to start it again.
constexpr const char* kSwapScript =
    "while /bin/kill -0 \"$1\" 2>/dev/null; do /bin/sleep 0.3; done\n"
    "/bin/rm -rf -- \"$2\"\n"
    "/bin/rm -rf -- \"$3\"\n"
    "if [ \"$5\" = 1 ]; then exec \"$4/bin/CulmoraPhotos\"; fi\n";

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::optional<std::string> realPath(const std::string& path)
{
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved)
        return std::nullopt;
    return std::string(resolved.get());
}

// Removes a file or a whole folder; a symbolic link is removed, never followed.
void removeTree(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

struct StagedBundle {
    std::string bundle; // real path
    std::string folder; // the "KDUpdate-…" folder that holds it
};

// `staged` as the updater staged it: a real folder (no symbolic link) "<name>.app" directly in a
// "KDUpdate-…" folder directly in the staging root, all compared as real paths. The script
// removes that folder, so nothing else may pass.
std::optional<StagedBundle> stagedBundle(const std::string& staged)
{
    const std::string given = withoutTrailingSlashes(staged);
    struct stat info {};
    if (given.empty() || ::lstat(given.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    const auto root = stagingRoot();
    const auto realRoot = root ? realPath(*root) : std::nullopt;
    const auto bundle = realPath(given);
    if (!realRoot || !bundle || !bundle->ends_with(".app"))
        return std::nullopt;
    std::string folder = parentPath(*bundle);
    if (!lastPathComponent(folder).starts_with("KDUpdate-") || parentPath(folder) != *realRoot)
        return std::nullopt;
    return StagedBundle { *bundle, std::move(folder) };
}

bool isInside(const std::string& path, const std::string& folder)
{
    return path == folder || path.starts_with(folder + "/");
}

}

std::optional<std::string> stagingRoot()
{
    return privateTemporaryFolder(state()->paths, "Inkwarden");
}

std::optional<Error> swapAndRelaunch(const std::string& staged, bool relaunch)
{
    const auto updater = state();
    const std::string bundle = withoutTrailingSlashes(globals().appInfo.bundleDir);
    if (!bundle.ends_with(".app"))
        return err("not running from an .app bundle");
    const auto update = stagedBundle(staged);
    if (!update)
        return err("the update is not in the updater's staging folder: " + staged);
    const auto realBundle = realPath(bundle);
    if (!realBundle)
        return err("the application's bundle cannot be found: " + bundle);
    if (isInside(*realBundle, update->folder) || isInside(update->folder, *realBundle))
        return err("the update and the application overlap: " + staged);

    // The new version is copied beside the application first; until the exchange nothing has
    // changed, and a failure leaves only the copy to remove.
    const std::string sibling = bundle + ".new";
    removeTree(sibling); // left by an interrupted install
    if (const auto failed = updater->swapSteps.copyFolder(update->bundle, sibling)) {
        removeTree(sibling);
        return err("the update could not be copied beside the application: " + *failed);
    }
    if (const auto failed = updater->swapSteps.exchange(bundle, sibling)) {
        removeTree(sibling);
        return err("the update could not be put in place: " + *failed);
    }

    // From here the application's path holds the new version and the sibling the old one, which
    // the running process may still be using: the script removes it once the process is gone.
    const pid_t awaited = updater->awaitedProcess.value_or(::getpid());
    const DetachedStart script = updater->swapSteps.startDetached(
        { "/bin/sh", "-c", kSwapScript, "sh", std::to_string(awaited), sibling, update->folder, bundle, relaunch ? "1" : "0" });
    if (!script.started) {
        if (const auto failed = updater->swapSteps.exchange(bundle, sibling))
            return err("the update script could not start (" + script.error + "), and the new version stays in place: " + *failed);
        removeTree(sibling);
        return err("the update script could not start: " + script.error);
    }
    if (relaunch) {
        mainQueue().post([updater] {
            if (updater->requestQuit)
                updater->requestQuit();
        });
    }
    return std::nullopt;
}

}
