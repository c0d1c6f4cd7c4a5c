#pragma once

#include "thumbnail-tool/ThumbnailJob.h"
#include "platform/imaging/thumbnails/ThumbnailRenderer.h"

#include "platform/core/WorkQueue.h"

#include <functional>
#include <istream>
#include <memory>
#include <mutex>
#include <semaphore>
#include <string_view>

namespace ikw::thumbnail {

// Writes result lines, one at a time: the source exactly as received, a tab, "OK" or "FAIL".
// The sink gets whole lines and must deliver each at once (the program flushes standard output
// inside the lock, so a caller waiting for one answer never waits for the buffer).
class ResultWriter {
public:
    explicit ResultWriter(std::function<void(std::string_view line)> sink) : m_sink(std::move(sink)) {}
    void emit(std::string_view source, bool ok);

private:
    std::mutex m_lock;
    std::function<void(std::string_view)> m_sink;
};

// Runs thumbnail jobs, at most `maxInFlight` renders at a time: submit() blocks while that many
// run, so reading input waits for a free slot.
class ThumbnailRun {
public:
    static constexpr int kMaxInFlight = 6;

    ThumbnailRun(ThumbnailRenderer& renderer, ResultWriter& results);
    ~ThumbnailRun();

    void submit(const ThumbnailJob& job);
    // Returns once every submitted job has answered.
    void finish();

private:
    void render(const ThumbnailJob& job, int pixelEdge);

    ThumbnailRenderer& m_renderer;
    ResultWriter& m_results;
    std::counting_semaphore<kMaxInFlight> m_slots { kMaxInFlight };
    WorkQueue m_workers { "qelthumb", kMaxInFlight };
};

// Reads job lines to the end of `input`, answers each, and returns when all have answered.
void runJobs(std::istream& input, ThumbnailRenderer& renderer, ResultWriter& results);

// Writes the PNG into a temporary file (".qelthumb-" and six characters) in the output's folder and
// renames it into place, so that a killed run never leaves a truncated PNG under the output's name.
// On failure only the temporary file is removed.
bool writePngAtomically(std::string_view png, const std::string& output);

}
