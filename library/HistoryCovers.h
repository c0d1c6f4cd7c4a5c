#pragma once

#include "platform/core/WorkQueue.h"
#include "platform/imaging/thumbnails/ThumbnailRenderer.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ikw {
class FileSystem;
}

namespace ikw::library {

// Document path (as asked) to the cover file's "file://" URL; documents without a cover are absent.
using CoverMap = std::map<std::string, std::string>;

// The cover key: the first 24 hex digits of the SHA-256 of "<path>|<seconds>|<bytes>".
std::string coverKeyFor(const std::string& path, std::int64_t modifiedSeconds, std::uint64_t size);
// The same from the file's own modification time (whole seconds, toward zero) and size; a file
// that cannot be read counts 0 for both.
std::string coverKey(const std::string& path);

struct CoverSettings {
    // Where the cover files go: ".covers" in the reviews folder.
    std::string folder;
    // Covers are asked to fit 330 x 427 points at scale 2.0.
    thumbnail::PixelBox box { 660, 854 };
    int inFlight = 4;
    double waitSeconds = 20.0;
};

// Cover pictures for the rows of the File History page, kept as PNG files named by the cover key
// (a changed document gets a new key; old files stay). Main thread only; the rendering runs on the
// covers' own queue.
class HistoryCovers {
public:
    HistoryCovers(std::shared_ptr<thumbnail::ThumbnailRenderer> renderer, CoverSettings settings, FileSystem& files);
    HistoryCovers(const HistoryCovers&) = delete;
    HistoryCovers& operator=(const HistoryCovers&) = delete;

    // Answers at once. Existing cover files are reported as they are; missing ones are rendered,
    // at most `inFlight` at a time, and written through a temporary file. `completion` runs once,
    // on the main queue, with what is ready when every cover is done or `waitSeconds` have passed,
    // whichever comes first; covers finished later still write their files.
    void render(const std::vector<std::string>& paths, std::function<void(CoverMap)> completion);

    const std::string& folder() const { return m_settings.folder; }
    std::string coverPath(const std::string& document) const;

private:
    struct Batch;
    void pump(const std::shared_ptr<Batch>& batch);
    void renderOne(const std::shared_ptr<Batch>& batch, const std::string& document, const std::string& cover);

    std::shared_ptr<thumbnail::ThumbnailRenderer> m_renderer;
    CoverSettings m_settings;
    FileSystem& m_files;
    // Declared last: destroying it finishes the queued work, which uses the members above.
    WorkQueue m_queue { "covers", 8 };
};

// The covers folder: ".covers" in the reviews folder.
std::string historyCoversFolder();

// The call that hands the map to the page: window.__ikwCovers && __ikwCovers({...}).
std::string coversScript(const CoverMap& covers);

}
