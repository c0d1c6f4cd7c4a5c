#include "library/HistoryCovers.h"

#include "app/Globals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "review/JsLiterals.h"

#include <glib.h>
#include <sys/stat.h>

#include <mutex>

namespace ikw::library {

namespace {

constexpr std::size_t kKeyDigits = 24;

std::optional<std::string> fileUrl(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri)
        return std::nullopt;
    std::string url = uri;
    g_free(uri);
    return url;
}

}

std::string coverKeyFor(const std::string& path, std::int64_t modifiedSeconds, std::uint64_t size)
{
    return sha256Hex(path + "|" + std::to_string(modifiedSeconds) + "|" + std::to_string(size)).substr(0, kKeyDigits);
}

std::string coverKey(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return coverKeyFor(path, 0, 0);
    // Whole seconds toward zero: a time before 1970 with a fraction rounds up, not down.
    std::int64_t seconds = status.st_mtim.tv_sec;
    if (seconds < 0 && status.st_mtim.tv_nsec > 0)
        ++seconds;
    return coverKeyFor(path, seconds, static_cast<std::uint64_t>(status.st_size));
}

std::string historyCoversFolder()
{
    return joinPath(globals().archive, ".covers");
}

std::string coversScript(const CoverMap& covers)
{
    return "window.__ikwCovers && __ikwCovers(" + jsStringObject({ covers.begin(), covers.end() }) + ")";
}

// One render: the paths still to look at, the renders under way and the covers found so far.
// The completion and the deadline belong to the main thread.
struct HistoryCovers::Batch {
    std::vector<std::string> paths;
    std::function<void(CoverMap)> completion;
    Timer deadline;

    std::mutex lock;
    std::size_t next = 0;
    int running = 0;
    CoverMap covers;

    // On the main thread: answers once, with the covers found so far.
    void finish()
    {
        if (!completion)
            return;
        deadline.cancel();
        CoverMap found;
        {
            const std::lock_guard guard(lock);
            found = covers;
        }
        auto answer = std::move(completion);
        completion = nullptr;
        answer(std::move(found));
    }
};

HistoryCovers::HistoryCovers(std::shared_ptr<thumbnail::ThumbnailRenderer> renderer, CoverSettings settings, FileSystem& files)
    : m_renderer(std::move(renderer)), m_settings(std::move(settings)), m_files(files)
{
}

std::string HistoryCovers::coverPath(const std::string& document) const
{
    return joinPath(m_settings.folder, coverKey(document) + ".png");
}

void HistoryCovers::render(const std::vector<std::string>& paths, std::function<void(CoverMap)> completion)
{
    auto batch = std::make_shared<Batch>();
    batch->paths = paths;
    batch->completion = std::move(completion);
    // The deadline holds the batch weakly: once answered, only late renders keep it.
    batch->deadline = mainQueue().schedule(m_settings.waitSeconds, false, [weak = std::weak_ptr<Batch>(batch)] {
        if (const auto pending = weak.lock())
            pending->finish();
    });
    m_queue.post([this, batch] {
        // A folder that cannot be made still lets existing covers through.
        (void)m_files.createDirectories(m_settings.folder);
        pump(batch);
    });
}

// Starts renders until `inFlight` run or no path is left; answers once nothing is left to do.
void HistoryCovers::pump(const std::shared_ptr<Batch>& batch)
{
    std::unique_lock guard(batch->lock);
    while (batch->running < m_settings.inFlight && batch->next < batch->paths.size()) {
        const std::string document = batch->paths[batch->next++];
        guard.unlock();
        const std::string cover = coverPath(document);
        const bool ready = m_files.exists(cover);
        const auto url = fileUrl(cover);
        guard.lock();
        if (!url)
            continue;
        if (ready) {
            batch->covers[document] = *url;
            continue;
        }
        ++batch->running;
        m_queue.post([this, batch, document, cover] { renderOne(batch, document, cover); });
    }
    if (batch->running == 0 && batch->next == batch->paths.size())
        mainQueue().post([batch] { batch->finish(); });
}

void HistoryCovers::renderOne(const std::shared_ptr<Batch>& batch, const std::string& document, const std::string& cover)
{
    const auto png = m_renderer->renderInBox(document, m_settings.box);
    // Written through a temporary file and renamed: a half-written cover is never found.
    const bool written = png && !png->empty() && m_files.replaceFile(cover, *png).ok();
    {
        const std::lock_guard guard(batch->lock);
        --batch->running;
        if (written)
            if (const auto url = fileUrl(cover))
                batch->covers[document] = *url;
    }
    pump(batch);
}

}
