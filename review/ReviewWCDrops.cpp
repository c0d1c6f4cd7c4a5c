// Files dropped on a review window: inserted into a PDF reader through its page rail, handed to
// the compare intake, or opened from here.

#include "review/DropRouting.h"
#include "review/ReviewWC.h"

#include "platform/core/FileSystem.h"

namespace ikw {

void ReviewWC::readerDrop(const std::vector<std::string>& paths, DropPoint point)
{
    const auto document = sourcePaths.empty() ? std::string() : sourcePaths.front();
    const DropTarget target { isCompareIntake, isReader, document, !document.empty() && realFileSystem().exists(document) };
    switch (routeDrop(target, paths)) {
    case DropRoute::CompareIntake:
        if (m_services.features.compareIntakeDrop)
            m_services.features.compareIntakeDrop(*this, paths, point);
        return;
    case DropRoute::AskRail: {
        std::weak_ptr<ReviewWC> weak = weak_from_this();
        // The point is measured from the top of the page already, as the rail expects.
        web->evaluate(railDropScript(point.x, point.y), [weak, paths, document](ui::ScriptResult result) {
            auto self = weak.lock();
            if (!self || self->isClosed())
                return;
            const auto answer = readRailAnswer(result);
            auto& insert = self->m_services.features.insertDroppedPDFs;
            if (answer.over && insert)
                insert(*self, droppedPDFs(paths), answer.at, document);
            else
                self->openHere(paths);
        });
        return;
    }
    case DropRoute::Open:
        openHere(paths);
        return;
    }
}

void ReviewWC::openHere(const std::vector<std::string>& paths)
{
    if (m_services.features.recordRecent)
        m_services.features.recordRecent(paths);
    if (isDocumentPair(paths) && m_services.features.routeTwoFileOpen) {
        m_services.features.routeTwoFileOpen(paths);
        return;
    }
    loadReview(paths, std::nullopt);
}

}
