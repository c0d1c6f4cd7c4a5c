#pragma once

#include "legal/BatesConfig.h"

#include "platform/core/FileSystem.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The audit manifest of a Bates output folder: every run, every number range handed out and every
// source already stamped there. It is what keeps numbering unique across runs, so it is read
// strictly and replaced atomically.
namespace ikw::legal::BatesStamper {

inline constexpr std::string_view manifestName = "inkwarden-bates-manifest.json";

// The configuration of a run as recorded; `halo` is not part of it.
struct ManifestSettings {
    std::string prefix;
    std::int64_t start = 0;
    std::int64_t pad = 0;
    std::string position;
    std::int64_t fontSize = 0;
    std::int64_t margin = 0;
    bool nameByBates = false;

    static ManifestSettings from(const BatesConfig& config);
    bool operator==(const ManifestSettings&) const = default;
};

struct ManifestDoc {
    std::string source; // exactly as the caller passed it
    std::string output;
    std::int64_t pages = 0;
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::string beginLabel;
    std::string endLabel;

    bool operator==(const ManifestDoc&) const = default;
};

struct ManifestRun {
    std::string timestamp; // ISO 8601, UTC, whole seconds
    ManifestSettings settings;
    std::string settingsHash;
    std::vector<ManifestDoc> documents;
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::string beginLabel;
    std::string endLabel;

    bool operator==(const ManifestRun&) const = default;
};

struct AssignedRange {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::string timestamp;

    bool operator==(const AssignedRange&) const = default;
};

struct Manifest {
    std::string tool = "Inkwarden Bates";
    std::int64_t schema = 1;
    std::vector<ManifestRun> runs;          // oldest first
    std::vector<AssignedRange> assigned;    // in run order
    std::map<std::string, std::string> sources; // source path -> first label of its copy
    std::int64_t nextNumber = 1;

    bool operator==(const Manifest&) const = default;
};

// Pretty JSON with sorted keys and "\/" for slashes.
std::string encodeManifest(const Manifest& manifest);
// Nothing unless every key of every record is present with its JSON type; extra keys are dropped.
std::optional<Manifest> decodeManifest(std::string_view text);

enum class ManifestStatus {
    missing,    // no file yet: a new production
    loaded,
    unreadable, // a file exists but cannot be read or decoded; runs must not overwrite it
};

struct LoadedManifest {
    ManifestStatus status = ManifestStatus::missing;
    Manifest manifest; // a new manifest unless `status` is loaded
};

// The folder path, "/", and the file name.
std::string manifestPath(std::string_view dir);

LoadedManifest loadManifest(std::string_view dir, const FileSystem& files = realFileSystem());
// Replaces the folder's manifest atomically: a failed write leaves the previous file as it was.
IoStatus writeManifest(const Manifest& manifest, std::string_view dir, FileSystem& files = realFileSystem());

// Records a finished run that stamped `documents` (at least one, numbered consecutively): its run
// entry and assigned range share begin, end and timestamp, and `nextNumber` follows its end.
// `sources` is left to the caller, which fills it while stamping.
void recordRun(Manifest& manifest, const BatesConfig& config, std::vector<ManifestDoc> documents, std::string timestamp);

// The greatest `end` among the assigned ranges; nothing when there are none.
std::optional<std::int64_t> greatestAssignedEnd(const Manifest& manifest);

}
