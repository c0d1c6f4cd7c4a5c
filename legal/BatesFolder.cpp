#include "legal/BatesFolder.h"

#include "legal/BatesInputs.h"
#include "legal/BatesManifest.h"
#include "platform/core/Paths.h"
#include "platform/core/RegularFile.h"
#include "platform/core/TextMetrics.h"
#include "platform/pdf/Document.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>
#include <tuple>

namespace ikw::legal {

namespace {

// The folder path without trailing slashes (the root stays "/").
std::string withoutTrailingSlashes(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::optional<std::vector<std::string>> directEntryNames(const std::string& folder)
{
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        return std::nullopt;
    std::vector<std::string> names;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (error)
            return std::nullopt;
        names.push_back(entries->path().filename().string());
    }
    if (error)
        return std::nullopt;
    return names;
}

bool isListedInput(const std::string& name)
{
    return !name.starts_with('.') && BatesStamper::inputKind(name) != BatesStamper::InputKind::none;
}

bool isOpenableFolder(const std::string& folder)
{
    std::error_code error;
    return !folder.empty() && folder.front() == '/' && folder.find('\0') == std::string::npos
        && std::filesystem::is_directory(folder, error);
}

}

std::string batesOutputDir(const std::string& folder)
{
    return joinPath(folder, batesOutputFolderName);
}

std::string resolveBatesFolder(const std::optional<std::string>& folderItem, const std::vector<std::string>& sourcePaths)
{
    if (folderItem)
        return *folderItem;
    return sourcePaths.empty() ? std::string() : sourcePaths.front();
}

std::vector<std::string> batesInputList(const std::string& folder)
{
    auto names = directEntryNames(folder).value_or(std::vector<std::string> {});
    std::erase_if(names, [](const std::string& name) { return !isListedInput(name); });
    struct Keyed {
        std::string key;
        std::string name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (auto& name : names)
        keyed.push_back({ toNFC(name), std::move(name) });
    // UTF-8 bytes compare in code-point order; the raw name settles two spellings of one name.
    std::ranges::sort(keyed, [](const Keyed& a, const Keyed& b) { return std::tie(a.key, a.name) < std::tie(b.key, b.name); });
    std::vector<std::string> paths;
    paths.reserve(keyed.size());
    for (const auto& entry : keyed)
        paths.push_back(joinPath(folder, entry.name));
    return paths;
}

std::int64_t batesPageCount(const std::vector<std::string>& paths)
{
    std::int64_t total = 0;
    for (const auto& path : paths) {
        if (BatesStamper::inputKind(path) != BatesStamper::InputKind::pdf) {
            total += 1;
            continue;
        }
        // A FIFO or device named *.pdf would block the reader.
        if (!isRegularFile(path))
            continue;
        if (const auto document = pdf::Document::openFile(path))
            total += document->pageCount();
    }
    return total;
}

Json batesSummary(const std::string& folder, const std::string& version)
{
    Json summary { { "folder", folder }, { "ver", version } };
    if (!isOpenableFolder(folder)) {
        summary["err"] = folderNotOpenedMessage;
        return summary;
    }
    const auto inputs = batesInputList(folder);
    summary["name"] = lastPathComponent(withoutTrailingSlashes(folder));
    summary["count"] = static_cast<std::int64_t>(inputs.size());
    summary["pages"] = batesPageCount(inputs);

    const auto loaded = BatesStamper::loadManifest(batesOutputDir(folder));
    if (loaded.status != BatesStamper::ManifestStatus::loaded)
        return summary;
    const auto& manifest = loaded.manifest;
    if (const auto existingMax = BatesStamper::greatestAssignedEnd(manifest)) {
        summary["existingMax"] = *existingMax;
        // A hand-edited manifest may hold any 64-bit end; the next number must not wrap.
        summary["suggestedStart"] = *existingMax < std::numeric_limits<std::int64_t>::max() ? *existingMax + 1 : *existingMax;
        if (!manifest.runs.empty())
            summary["prefix"] = manifest.runs.back().settings.prefix;
    }
    return summary;
}

}
