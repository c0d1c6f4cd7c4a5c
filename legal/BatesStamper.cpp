#include "legal/BatesStamper.h"

#include "legal/BatesCopies.h"
#include "legal/BatesInputs.h"
#include "legal/BatesLoadFile.h"
#include "legal/BatesManifest.h"
#include "legal/BatesOutputNames.h"
#include "legal/BatesStart.h"

#include "platform/core/Iso8601.h"
#include "platform/core/Paths.h"
#include "platform/core/RegularFile.h"
#include "platform/core/TextMetrics.h"
#include "platform/pdf/Document.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <set>
#include <unistd.h>

namespace ikw::legal::BatesStamper {

namespace {

// The font size and the margin come from a page: they must make a drawable label.
bool labelSettingsAreValid(const BatesConfig& config)
{
    return std::isfinite(config.fontSize) && config.fontSize > 0 && std::isfinite(config.margin);
}

std::vector<std::string> acceptedInputs(const std::vector<std::string>& files)
{
    std::vector<std::string> accepted;
    std::ranges::copy_if(files, std::back_inserter(accepted),
        [](const std::string& path) { return inputKind(path) != InputKind::none; });
    return accepted;
}

std::optional<std::string> firstNonUtf8Path(const std::vector<std::string>& accepted, const std::string& outputDir)
{
    if (!isValidUtf8(outputDir))
        return outputDir;
    const auto found = std::ranges::find_if(accepted, [](const std::string& path) { return !isValidUtf8(path); });
    return found == accepted.end() ? std::nullopt : std::optional(*found);
}

// The most pages the document can take numbers for: a PDF's page count, 1 for an image, 0 for
// what does not open.
std::int64_t pageBoundOf(const std::string& path)
{
    if (inputKind(path) == InputKind::image)
        return 1;
    if (!isRegularFile(path))
        return 0;
    const std::optional<pdf::Document> document = pdf::Document::openFile(path);
    return document ? document->pageCount() : 0;
}

// The pages of the inputs not yet stamped here, each path counted once: the run may hand out no
// more numbers than these.
std::int64_t pageBound(const std::vector<std::string>& accepted, const Manifest& manifest)
{
    std::int64_t bound = 0;
    std::set<std::string, std::less<>> counted;
    for (const std::string& path : accepted) {
        if (!manifest.sources.contains(path) && counted.insert(path).second)
            bound += pageBoundOf(path);
    }
    return bound;
}

BatesDocResult skippedDoc(const std::string& source, const std::string& recordedLabel)
{
    return { source, {}, 0, 0, 0, recordedLabel, recordedLabel, true, std::nullopt };
}

BatesDocResult failedDoc(const std::string& source, const BatesConfig& config, std::int64_t number)
{
    return { source, {}, 0, number, number, config.label(number), config.label(number), false,
        std::string(documentFailedMessage) };
}

// Stamps one document into a hidden file in the folder and places it under its name, so that
// no half-written copy is ever visible there. Numbers past `lastNumber` were not cleared for the
// run: a document that grew since the run began fails instead of taking them.
std::optional<ManifestDoc> stampDocument(const std::string& source, const std::string& outputDir,
    const BatesConfig& config, std::int64_t number, std::int64_t lastNumber)
{
    const std::string name = copyName(config, number, source);
    const std::string temporary = temporarySiblingPath(outputDir + "/" + name);
    const std::int64_t pages = stampFile(source, temporary, config, number);
    if (pages >= 1 && number + pages - 1 <= lastNumber) {
        const PlaceResult placed = placeCopy(temporary, outputDir, name);
        if (placed) {
            const std::int64_t end = number + pages - 1;
            return ManifestDoc { source, placed.path, pages, number, end, config.label(number), config.label(end) };
        }
    }
    ::unlink(temporary.c_str());
    return std::nullopt;
}

BatesDocResult stampedDoc(const ManifestDoc& doc)
{
    return { doc.source, doc.output, doc.pages, doc.begin, doc.end, doc.beginLabel, doc.endLabel, false, std::nullopt };
}

void report(const BatesProgress& progress, const std::string& message, std::int64_t index, std::int64_t total)
{
    if (progress)
        progress(message, index, total);
}

}

BatesRunResult stamp(const std::vector<std::string>& files, const std::string& outputDir, const BatesConfig& config,
    std::optional<std::int64_t> startOverride, const BatesProgress& progress, FileSystem& fileSystem)
{
    BatesRunResult result;
    result.outputDir = outputDir;
    const std::vector<std::string> accepted = acceptedInputs(files);
    const auto total = static_cast<std::int64_t>(accepted.size());
    if (accepted.empty()) {
        result.error = noInputMessage;
        return result;
    }
    // The manifest keys its records by path text: a name it cannot hold exactly could collide
    // with another and be stamped again under new numbers.
    if (const auto undecodable = firstNonUtf8Path(accepted, outputDir)) {
        result.error = std::string(nonUtf8PathMessage) + escapeInvalidUtf8(*undecodable);
        return result;
    }
    if (!labelSettingsAreValid(config)) {
        result.error = badLabelSettingsMessage;
        return result;
    }
    if (!fileSystem.createDirectories(outputDir) || !fileSystem.isDirectory(outputDir)) {
        result.error = folderFailedMessage;
        return result;
    }

    LoadedManifest loaded = loadManifest(outputDir, fileSystem);
    result.manifestPath = manifestPath(outputDir);
    result.csvPath = csvPath(outputDir);
    const std::int64_t bound = pageBound(accepted, loaded.manifest);
    const RunStart start = chooseRunStart(loaded, config, startOverride, bound);
    if (!start.start) {
        result.error = start.refusal;
        if (start.collision)
            result.collision = start.refusal;
        return result;
    }

    Manifest& manifest = loaded.manifest;
    const std::int64_t lastNumber = *start.start + std::max<std::int64_t>(bound, 1) - 1;
    std::int64_t number = *start.start;
    std::vector<ManifestDoc> stamped;
    for (std::int64_t index = 0; index < total; ++index) {
        const std::string& source = accepted[static_cast<std::size_t>(index)];
        report(progress, "Stamping " + lastPathComponent(source) + "\u2026", index + 1, total);
        if (const auto recorded = manifest.sources.find(source); recorded != manifest.sources.end()) {
            result.documents.push_back(skippedDoc(source, recorded->second));
            continue;
        }
        std::optional<ManifestDoc> doc = stampDocument(source, outputDir, config, number, lastNumber);
        if (!doc) {
            result.documents.push_back(failedDoc(source, config, number));
            continue;
        }
        result.documents.push_back(stampedDoc(*doc));
        ++result.stampedCount;
        result.pageCount += doc->pages;
        manifest.sources[source] = doc->beginLabel;
        number = doc->end + 1;
        stamped.push_back(std::move(*doc));
    }

    if (result.stampedCount == 0) {
        const bool allSkipped = std::ranges::all_of(result.documents, &BatesDocResult::skipped);
        result.error = allSkipped ? allSkippedMessage : nothingStampedMessage;
        return result;
    }
    result.beginLabel = config.label(*start.start);
    result.endLabel = config.label(number - 1);
    recordRun(manifest, config, std::move(stamped), iso8601Utc(std::time(nullptr)));
    // The manifest is what keeps these numbers from being handed out again: a run whose manifest
    // was not saved is no success.
    if (!writeManifest(manifest, outputDir, fileSystem)) {
        result.error = manifestNotSavedMessage;
        return result;
    }
    if (!writeCSV(manifest, outputDir, fileSystem)) {
        result.error = loadFileNotSavedMessage;
        return result;
    }
    report(progress, std::string(wroteManifestMessage), total, total);
    return result;
}

}
