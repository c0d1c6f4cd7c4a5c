#include "services/FinderShare.h"

#include "app/Globals.h"
#include "platform/core/TaskQueue.h"
#include "review/ReviewWC.h"

#include <algorithm>
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

    // Brings the requested reader to the front the first time it is found open (the newest one when
    // the file is open twice); the user may look elsewhere afterwards.
    void presentOnce()
    {
        if (m_presented || !m_hooks.windows || !m_hooks.present)
            return;
        const auto list = m_hooks.windows();
        const auto it = std::find_if(list.rbegin(), list.rend(), [this](const auto& review) { return review && isRequestedReader(*review); });
        if (it == list.rend())
            return;
        m_presented = true;
        m_hooks.present(**it);
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
        presentOnce();
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
    bool m_presented = false;
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
    const auto request = std::make_shared<FinderShareRequest>(path, std::move(hooks));
    request->presentOnce(); // a reader that opened at once
    request->scheduleTry(kFinderShareFirstTry);
}

}
