#include "services/FinderShare.h"

#include "app/Globals.h"
#include "platform/core/TaskQueue.h"
#include "review/ReviewWC.h"

#include <filesystem>

namespace ikw::services {

namespace {

class FinderShareRequest : public std::enable_shared_from_this<FinderShareRequest> {
public:
    FinderShareRequest(std::string path, FinderShareHooks hooks)
        : m_path(normalisedSharePath(path))
        , m_hooks(std::move(hooks))
    {
    }

    void scheduleTry(double seconds)
    {
        // The queued try owns the request: the last one ends it.
        mainQueue().postAfter(seconds, [self = shared_from_this()] { self->tryShare(); });
    }

private:
    bool isRequestedReader(const ReviewWC& review) const
    {
        return review.isReader && !review.sourcePaths.empty() && normalisedSharePath(review.sourcePaths.front()) == m_path;
    }

    void tryShare()
    {
        ++m_tries;
        const auto review = m_hooks.keyReviewWC ? m_hooks.keyReviewWC() : nullptr;
        if (review && isRequestedReader(*review)) {
            if (m_hooks.share)
                m_hooks.share(*review);
            return;
        }
        if (m_tries < kFinderShareTries)
            scheduleTry(kFinderShareInterval);
    }

    std::string m_path;
    FinderShareHooks m_hooks;
    int m_tries = 0;
};

}

std::string normalisedSharePath(const std::string& path)
{
    const std::string expanded = globals().paths.expandTilde(path);
    std::string normal = std::filesystem::path(expanded).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

void finderShare(const std::string& path, FinderShareHooks hooks)
{
    if (hooks.noteDidOpen)
        hooks.noteDidOpen();
    if (hooks.runEngine)
        hooks.runEngine(path);
    if (hooks.activate)
        hooks.activate();
    std::make_shared<FinderShareRequest>(path, std::move(hooks))->scheduleTry(kFinderShareFirstTry);
}

}
