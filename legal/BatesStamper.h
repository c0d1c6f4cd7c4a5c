#pragma once

#include "legal/BatesConfig.h"

#include "platform/core/FileSystem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Bates runs: numbered copies of PDFs and images in one output folder, continuing the folder's
// earlier runs and skipping the documents already stamped there.
namespace ikw::legal::BatesStamper {

inline constexpr std::string_view documentFailedMessage = "Could not read or stamp this document.";
inline constexpr std::string_view noInputMessage = "No PDFs or images to stamp.";
inline constexpr std::string_view badLabelSettingsMessage =
    "The label's font size must be a number above 0 and its margin a number.";
inline constexpr std::string_view folderFailedMessage = "Could not create the output folder.";
inline constexpr std::string_view allSkippedMessage = "Every document was already stamped in this folder.";
inline constexpr std::string_view nothingStampedMessage = "Nothing could be stamped.";
inline constexpr std::string_view manifestNotSavedMessage =
    "The copies were written, but the audit manifest could not be saved.";
inline constexpr std::string_view loadFileNotSavedMessage =
    "The copies and the audit manifest were written, but the load file could not be saved.";
inline constexpr std::string_view wroteManifestMessage = "Wrote audit manifest.";
// Followed by the path, its undecodable bytes escaped as \xNN.
inline constexpr std::string_view nonUtf8PathMessage =
    "This path is not valid UTF-8, so the audit manifest cannot record it exactly. Rename it and run again: ";

// One accepted source document of a run.
struct BatesDocResult {
    std::string source;           // as passed in
    std::string output;           // the stamped copy; empty when nothing was written
    std::int64_t pages = 0;       // 0 when skipped or failed
    std::int64_t begin = 0;       // 0 when skipped; the number it would have had when failed
    std::int64_t end = 0;         // 0 when skipped; `begin` when failed
    std::string beginLabel;       // a skipped document's recorded first label
    std::string endLabel;         // the same for a skipped document
    bool skipped = false;         // already stamped in this folder
    std::optional<std::string> error;

    bool operator==(const BatesDocResult&) const = default;
};

struct BatesRunResult {
    std::vector<BatesDocResult> documents; // every accepted source, in processing order
    std::int64_t stampedCount = 0;
    std::int64_t pageCount = 0;
    std::string beginLabel;  // empty unless something was stamped
    std::string endLabel;
    std::string manifestPath; // empty when the run stopped before reading the manifest
    std::string csvPath;
    std::string outputDir;    // as passed in
    std::optional<std::string> error;     // why the run failed; absent on success
    std::optional<std::string> collision; // the refusal when the start number was already assigned
};

// (message, 1-based index, total): "Stamping <name>…" before each accepted document, and
// "Wrote audit manifest." once the manifest and the load file of a run are saved.
using BatesProgress = std::function<void(const std::string& message, std::int64_t index, std::int64_t total)>;

// Stamps the PDFs and images among `files` into `outputDir` (created when missing) and records the
// run in the folder's audit manifest and load file. Blocking: run it off the main thread. Every
// failure is reported in the result, none thrown.
BatesRunResult stamp(const std::vector<std::string>& files, const std::string& outputDir, const BatesConfig& config,
    std::optional<std::int64_t> startOverride, const BatesProgress& progress = {},
    FileSystem& fileSystem = realFileSystem());

}
