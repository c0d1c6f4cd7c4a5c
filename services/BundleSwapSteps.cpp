#include "services/BundleSwapSteps.h"

#include "platform/core/Text.h"
#include "platform/core/UniqueFd.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ikw::services {

namespace {

std::optional<std::string> copyFolder(const std::string& from, const std::string& to)
{
    ProcessOptions options;
    options.argv = { "/bin/cp", "-a", "--", from, to };
    const ProcessResult copied = runProcess(options);
    if (!copied.started)
        return copied.spawnError;
    if (!copied.succeeded()) {
        const std::string_view reason = trim(copied.standardError);
        return reason.empty() ? "cp ended with status " + std::to_string(copied.exitStatus) : std::string(reason);
    }
    const UniqueFd folder(::open(to.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid() || ::syncfs(folder.get()) != 0)
        return std::string("the copy could not be flushed to disk: ") + std::strerror(errno);
    return std::nullopt;
}

std::optional<std::string> exchange(const std::string& first, const std::string& second)
{
    if (::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) != 0)
        return std::strerror(errno);
    return std::nullopt;
}

}

BundleSwapSteps realBundleSwapSteps()
{
    return BundleSwapSteps {
        .copyFolder = copyFolder,
        .exchange = exchange,
        .startDetached = startDetachedProcess,
    };
}

}
