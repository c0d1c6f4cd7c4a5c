#include "review/PageImageSchemeHandler.h"

#include "platform/pdf/PageImage.h"
#include "review/UrlQuery.h"

#include <algorithm>

namespace ikw::review {

namespace {

struct PageImageJob {
    std::string path;
    long long index;
    int width;
};

SchemeAnswer renderAnswer(PageImageDocumentCache& cache, const PageImageJob& job)
{
    const auto failure = [](int code) { return SchemeError { std::string(PageImageSchemeHandler::kScheme), code }; };
    const std::shared_ptr<const pdf::Document> document = cache.documentFor(job.path);
    if (!document || job.index < 0 || job.index >= document->pageCount())
        return failure(2);
    const int index = static_cast<int>(job.index);
    const std::optional<pdf::Size> cropSize = document->pageSize(index, pdf::PageBox::Crop);
    if (!cropSize)
        return failure(2);
    const std::optional<pdf::PageImage> image
        = pdf::renderPageImage(*document, index, pageImageScale(cropSize->width, job.width), pdf::PageBox::Crop);
    if (!image)
        return failure(3);
    std::optional<std::string> png = pdf::encodePng(*image);
    if (!png)
        return failure(3);
    return SchemeResponse::ok("image/png", std::move(*png));
}

}

double pageImageScale(double pageWidth, int width)
{
    const double scale = pageWidth <= 0 ? 2.0 : width / pageWidth;
    return std::max(scale, 0.1);
}

PageImageSchemeHandler::PageImageSchemeHandler()
    : m_ownQueue(makeConcurrentQueue("ikw.vtpage"))
    , m_renderQueue(*m_ownQueue)
    , m_cache(PageImageDocumentCache::shared())
{
}

PageImageSchemeHandler::PageImageSchemeHandler(TaskQueue& renderQueue, std::shared_ptr<PageImageDocumentCache> cache)
    : m_renderQueue(renderQueue)
    , m_cache(std::move(cache))
{
}

PageImageSchemeHandler::~PageImageSchemeHandler()
{
    // Let go of the token first, so that work the queue still runs ends silently.
    m_alive.reset();
}

void PageImageSchemeHandler::start(const std::shared_ptr<SchemeRequest>& request, SchemeReply reply)
{
    const std::string& url = request->url();
    std::optional<std::string> path = urlQuery(url, "p");
    if (!path) {
        reply(SchemeError { std::string(kScheme), 1 });
        return;
    }
    // A missing or malformed index or width takes the default.
    const long long index = queryInteger(url, "i").value_or(0);
    const long long width = queryInteger(url, "w").value_or(kDefaultWidth);
    PageImageJob job { std::move(*path), index, static_cast<int>(std::clamp<long long>(width, kMinimumWidth, kMaximumWidth)) };

    m_renderQueue.post([alive = std::weak_ptr<const bool>(m_alive), cache = m_cache, request, reply = std::move(reply),
                           job = std::move(job)] {
        if (alive.expired())
            return;
        SchemeAnswer answer = renderAnswer(*cache, job);
        // Rendering is not cut short by a stop; only the answer is withheld.
        if (!request->isCancelled())
            reply(std::move(answer));
    });
}

}
