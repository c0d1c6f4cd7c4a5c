#include "crossdoc/AnnotationSidecars.h"

#include "app/Globals.h"
#include "app/StableHash.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "review/FileStamp.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace ikw::crossdoc {

std::string annotSidecarDir()
{
    const std::string folder = joinPath(globals().paths.applicationSupport(kProductFolderName), "annotations");
    (void)realFileSystem().createDirectories(folder);
    return folder;
}

std::string annotSourceSig(const std::string& document)
{
    const auto facts = readFileFacts(document);
    if (!facts || !facts->mtime || !facts->size)
        return {};
    // duration_cast truncates toward zero, as the signature wants (999.9 s is 999).
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(facts->mtime->time_since_epoch()).count();
    return std::to_string(static_cast<long long>(seconds)) + "-" + std::to_string(*facts->size);
}

std::string annotSidecarName(const std::string& document, const std::string& signature)
{
    return ikwStableHash(document) + "__" + (signature.empty() ? std::string("nosrc") : signature) + ".pdf";
}

std::string annotSidecarPath(const std::string& document)
{
    return joinPath(annotSidecarDir(), annotSidecarName(document, annotSourceSig(document)));
}

bool annotSidecarExists(const std::string& document)
{
    const auto signature = annotSourceSig(document);
    return !signature.empty() && realFileSystem().exists(joinPath(annotSidecarDir(), annotSidecarName(document, signature)));
}

std::vector<std::string> annotStaleSidecars(const std::string& document)
{
    const std::string prefix = ikwStableHash(document) + "__";
    // The signature as it is: for an unreadable document the "nosrc" copy counts as stale.
    const std::string current = prefix + annotSourceSig(document) + ".pdf";
    const std::string folder = annotSidecarDir();
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(prefix) && name != current)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    for (const auto& name : names)
        paths.push_back(joinPath(folder, name));
    return paths;
}

std::string staleSidecarsLogLine(std::size_t count, const std::string& document)
{
    return "[ikw] annotations: " + std::to_string(count) + " stale sidecar(s) for " + lastPathComponent(document)
        + " \u2014 serving the current document";
}

}
