#include "thumbnail-tool/ThumbnailRun.h"

#include "platform/core/FileSystem.h"

#include <cstdio>
#include <string>

namespace ikw::thumbnail {

void ResultWriter::emit(std::string_view source, bool ok)
{
    std::string line(source);
    line += ok ? "\tOK\n" : "\tFAIL\n";
    std::lock_guard lock(m_lock);
    m_sink(line);
}

ThumbnailRun::ThumbnailRun(ThumbnailRenderer& renderer, ResultWriter& results)
    : m_renderer(renderer)
    , m_results(results)
{
}

ThumbnailRun::~ThumbnailRun()
{
    finish();
}

void ThumbnailRun::submit(const ThumbnailJob& job)
{
    // An output that is already there counts as done, even while other jobs still render.
    if (realFileSystem().exists(job.output)) {
        m_results.emit(job.source, true);
        return;
    }
    if (job.pixelEdge() > kMaxPixelEdge) {
        m_results.emit(job.source, false);
        return;
    }
    m_slots.acquire();
    m_workers.post([this, job] { render(job); });
}

void ThumbnailRun::render(const ThumbnailJob& job)
{
    const auto png = m_renderer.render(job.source, static_cast<int>(job.pixelEdge()));
    const bool ok = png && writePngAtomically(*png, job.output);
    // The answer goes out before the slot is returned, so every line is written before exit.
    m_results.emit(job.source, ok);
    m_slots.release();
}

void ThumbnailRun::finish()
{
    m_workers.waitUntilIdle();
}

void runJobs(std::istream& input, ThumbnailRenderer& renderer, ResultWriter& results)
{
    ThumbnailRun run(renderer, results);
    std::string line;
    while (std::getline(input, line)) {
        if (const auto job = parseJobLine(line))
            run.submit(*job);
    }
    run.finish();
}

bool writePngAtomically(std::string_view png, const std::string& output)
{
    // No fsync: a thumbnail is cheap to make again, and the rename alone keeps a killed run from
    // leaving a truncated file under the output's name.
    const std::string temporary = temporarySiblingPath(output);
    if (realFileSystem().writeFile(temporary, png) && realFileSystem().rename(temporary, output))
        return true;
    std::remove(temporary.c_str());
    return false;
}

}
