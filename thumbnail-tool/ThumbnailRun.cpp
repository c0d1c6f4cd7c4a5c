#include "thumbnail-tool/ThumbnailRun.h"
#include "platform/core/WriteAll.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"
#include "platform/core/UniqueFd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

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
    const std::optional<int> edge = job.pixelEdge();
    if (!edge) {
        m_results.emit(job.source, false);
        return;
    }
    m_slots.acquire();
    m_workers.post([this, job, edge = *edge] { render(job, edge); });
}

void ThumbnailRun::render(const ThumbnailJob& job, int pixelEdge)
{
    const auto png = m_renderer.render(job.source, pixelEdge);
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

namespace {

// A new file of a short name of its own in `folder`: the output's name may already be as long as
// a name can be, so the temporary name is not built from it.
std::optional<std::pair<std::string, UniqueFd>> createTemporaryIn(const std::string& folder)
{
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string name = ".qelthumb-" + randomHex(6);
        std::string path = folder.empty() ? name : joinPath(folder, name);
        UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.valid())
            return std::make_pair(std::move(path), std::move(fd));
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

}

bool writePngAtomically(std::string_view png, const std::string& output)
{
    // No fsync: a thumbnail is cheap to make again, and the rename alone keeps a killed run from
    // leaving a truncated file under the output's name.
    auto temporary = createTemporaryIn(parentPath(output));
    if (!temporary)
        return false;
    auto& [path, fd] = *temporary;
    const bool written = writeAll(fd.get(), png);
    const bool closed = ::close(fd.release()) == 0;
    if (written && closed && ::rename(path.c_str(), output.c_str()) == 0)
        return true;
    ::unlink(path.c_str());
    return false;
}

}
