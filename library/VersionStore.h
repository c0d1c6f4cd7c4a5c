#pragma once

#include "platform/core/FileSystem.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ikw::library {

// One banked copy of a document: "<seconds>-<size>__<name>" in the document's version folder.
struct VersionEntry {
    std::string path;
    double seconds = 0; // the document's modification time when banked, seconds after 1970
    std::int64_t size = 0;

    bool operator==(const VersionEntry&) const = default;
};

// What the store reads of a file.
struct VersionFileFacts {
    std::int64_t modifiedSeconds = 0;        // whole seconds, truncated toward zero
    std::int64_t size = 0;
    std::optional<std::int64_t> bornSeconds; // none where the file system keeps no creation time
};

std::optional<VersionFileFacts> readVersionFileFacts(const std::string& path);

// What the store touches, replaceable in tests.
struct VersionStoreSeams {
    FileSystem* fileSystem = &realFileSystem();
    std::function<std::optional<VersionFileFacts>(const std::string& path)> readFacts = readVersionFileFacts;
    std::function<std::time_t()> now = [] { return std::time(nullptr); };
};

// A few recent copies of every PDF shown in a reader, so that an earlier one can be brought back.
// Each document has a folder named by the stable hash of its path; the folder listing is the
// store (no index). The calls are synchronous and copy whole documents: run them off the main
// thread, one at a time (see VersionBank).
class VersionStore {
public:
    static constexpr std::size_t kKeptVersions = 8;
    static constexpr std::int64_t kMaximumAgeSeconds = 604800;

    using Seams = VersionStoreSeams;

    explicit VersionStore(std::string root, Seams seams = {}) : m_root(std::move(root)), m_seams(std::move(seams)) {}

    // The document's version folder, created (with its parents) on every call.
    std::string versionStoreDir(const std::string& document) const;
    // Banks the document when it is a non-empty PDF whose signature is not banked yet; true when
    // a new version was written.
    bool snapshotVersionFile(const std::string& document) const;
    // Keeps the 8 newest versions and drops those created more than 7 days ago; `keep` (the version
    // just written) is never removed.
    void pruneVersionStore(const std::string& folder, const std::string& keep = {}) const;
    // Newest first.
    std::vector<VersionEntry> listVersionSnapshots(const std::string& document) const;
    // Puts the version's bytes in the document's place: the version is copied beside the document
    // first, then the current content is banked, then the copy replaces the document (keeping its
    // mode, owner and extended attributes). On failure the document is unchanged.
    IoStatus restoreVersion(const std::string& version, const std::string& document) const;

    // The document's modification second, size and creation time, as the store reads them.
    std::optional<VersionFileFacts> facts(const std::string& path) const { return m_seams.readFacts(path); }

    // "<document>.ikwrestore.tmp"
    static std::string restoreTemporaryPath(const std::string& document);

private:
    std::string m_root;
    Seams m_seams;
};

// The store's folder: "versions" in the product's data folder.
std::string versionRoot();

}
