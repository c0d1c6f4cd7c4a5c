#include "library/VersionStore.h"

#include "app/Globals.h"
#include "app/StableHash.h"
#include "platform/core/FileMoves.h"
#include "platform/core/Paths.h"
#include "platform/core/Text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace ikw::library {

namespace {

// The names in a folder that do not begin with "."; an unreadable folder lists as empty.
std::vector<std::string> visibleNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!name.starts_with('.'))
            names.push_back(std::move(name));
    }
    return names;
}

std::string signatureOf(const VersionFileFacts& facts)
{
    return std::to_string(facts.modifiedSeconds) + "-" + std::to_string(facts.size);
}

bool isPdfName(std::string_view path)
{
    constexpr std::string_view kExtension = ".pdf";
    if (path.size() < kExtension.size())
        return false;
    const auto tail = path.substr(path.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

struct Signature {
    double seconds = 0;
    std::int64_t size = 0;
};

// "<seconds>-<size>" before the first "_"; more pieces are ignored, empty ones skipped.
std::optional<Signature> parseSignature(const std::string& name)
{
    const auto pieces = split(name.substr(0, name.find('_')), '-', false);
    if (pieces.size() < 2)
        return std::nullopt;
    Signature signature;
    const auto& [secondsText, sizeText] = std::tie(pieces[0], pieces[1]);
    auto parsed = std::from_chars(secondsText.data(), secondsText.data() + secondsText.size(), signature.seconds);
    if (parsed.ec != std::errc() || parsed.ptr != secondsText.data() + secondsText.size() || !std::isfinite(signature.seconds))
        return std::nullopt;
    parsed = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), signature.size);
    if (parsed.ec != std::errc() || parsed.ptr != sizeText.data() + sizeText.size())
        return std::nullopt;
    return signature;
}

// Oldest first: names without a signature, then by (seconds, size), then by name.
bool olderName(const std::string& left, const std::string& right)
{
    const auto a = parseSignature(left);
    const auto b = parseSignature(right);
    if (a.has_value() != b.has_value())
        return !a.has_value();
    if (a && (a->seconds != b->seconds || a->size != b->size))
        return std::tie(a->seconds, a->size) < std::tie(b->seconds, b->size);
    return left < right;
}

}

std::string versionRoot()
{
    return joinPath(globals().paths.applicationSupport(kProductFolderName), "versions");
}

std::string VersionStore::restoreTemporaryPath(const std::string& document)
{
    return document + ".ikwrestore.tmp";
}

std::optional<VersionFileFacts> readVersionFileFacts(const std::string& path)
{
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_MTIME | STATX_SIZE | STATX_BTIME, &info) != 0)
        return std::nullopt;
    if (!(info.stx_mask & STATX_MTIME) || !(info.stx_mask & STATX_SIZE))
        return std::nullopt;
    VersionFileFacts facts;
    facts.modifiedSeconds = info.stx_mtime.tv_sec;
    if (info.stx_mtime.tv_sec < 0 && info.stx_mtime.tv_nsec > 0)
        ++facts.modifiedSeconds; // toward zero
    facts.size = static_cast<std::int64_t>(info.stx_size);
    if (info.stx_mask & STATX_BTIME)
        facts.bornSeconds = info.stx_btime.tv_sec;
    return facts;
}

std::string VersionStore::versionStoreDir(const std::string& document) const
{
    const std::string folder = m_root + "/" + ikwStableHash(document);
    m_seams.fileSystem->createDirectories(folder);
    return folder;
}

bool VersionStore::snapshotVersionFile(const std::string& document) const
{
    if (!isPdfName(document))
        return false;
    const auto facts = m_seams.readFacts(document);
    if (!facts || facts->size < 1)
        return false;
    const std::string folder = versionStoreDir(document);
    const std::string prefix = signatureOf(*facts) + "__";
    const auto names = visibleNames(folder);
    if (std::any_of(names.begin(), names.end(), [&](const std::string& name) { return name.starts_with(prefix); }))
        return false;
    const std::string version = folder + "/" + prefix + lastPathComponent(document);
    // A version is a spare copy of a file that is still in its place: it does not wait for the
    // disk, which would make banking several times slower than a plain copy. A restore flushes
    // the copy that takes the document's place.
    if (!copyWithoutReplacing(document, version, CopyFlush::cacheOnly))
        return false;
    pruneVersionStore(folder, version);
    return true;
}

void VersionStore::pruneVersionStore(const std::string& folder, const std::string& keep) const
{
    FileSystem& files = *m_seams.fileSystem;
    auto names = visibleNames(folder);
    std::sort(names.begin(), names.end(), olderName);
    const std::string kept = lastPathComponent(keep);
    for (std::size_t index = 0; names.size() > kKeptVersions + index && index < names.size(); ++index) {
        if (names[index] != kept)
            files.removeFile(folder + "/" + names[index]);
    }
    const std::int64_t cutOff = static_cast<std::int64_t>(m_seams.now()) - kMaximumAgeSeconds;
    for (const auto& name : visibleNames(folder)) {
        const std::string path = folder + "/" + name;
        if (name == kept)
            continue;
        const auto facts = m_seams.readFacts(path);
        if (facts && facts->bornSeconds && *facts->bornSeconds < cutOff)
            files.removeFile(path);
    }
}

std::vector<VersionEntry> VersionStore::listVersionSnapshots(const std::string& document) const
{
    const std::string folder = versionStoreDir(document);
    std::vector<VersionEntry> entries;
    for (const auto& name : visibleNames(folder)) {
        if (name.find("__") == std::string::npos)
            continue;
        if (const auto signature = parseSignature(name))
            entries.push_back({ folder + "/" + name, signature->seconds, signature->size });
    }
    std::stable_sort(entries.begin(), entries.end(), [](const VersionEntry& a, const VersionEntry& b) { return a.seconds > b.seconds; });
    return entries;
}

IoStatus VersionStore::restoreVersion(const std::string& version, const std::string& document) const
{
    FileSystem& files = *m_seams.fileSystem;
    const std::string temporary = restoreTemporaryPath(document);
    files.removeFile(temporary);
    if (const auto copied = copyWithoutReplacing(version, temporary); !copied)
        return IoStatus::failure(copied.message);
    snapshotVersionFile(document);
    const auto replaced = files.commitReplacement(temporary, document);
    if (!replaced)
        files.removeFile(temporary);
    return replaced;
}

}
