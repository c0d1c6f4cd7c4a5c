#include "library/GroupSync.h"

#include "library/CoverThumbs.h"
#include "review/EngineLocator.h"
#include "review/ReviewWC.h"

namespace ikw::library {

namespace {

// The group's signature: a window writes its group again only when this changes.
std::string groupSignature(const std::string& id, const std::string& name, const std::vector<std::string>& docIds)
{
    std::string signature = id + "|" + name + "|";
    for (std::size_t i = 0; i < docIds.size(); ++i)
        signature += (i > 0 ? "," : "") + docIds[i];
    return signature;
}

}

bool windowSyncsGroups(const ReviewWC& window)
{
    return window.hasContent && !window.isReader && !window.isOrganize && !window.isBates && !window.isRedact
        && !window.isCompareIntake && !window.timeline.isTimeline && !window.isCampaign;
}

std::shared_ptr<GroupSync> GroupSync::make(GroupSyncServices services)
{
    return std::shared_ptr<GroupSync>(new GroupSync(std::move(services)));
}

GroupSync::GroupSync(GroupSyncServices services)
    : m_services(std::move(services))
{
    if (!m_services.pagePicture)
        m_services.pagePicture = cover_thumbs::pageOneJpegBase64;
    if (!m_services.pagePath)
        m_services.pagePath = groupWriterHTMLPath;
    m_bridge = std::make_shared<GroupSyncBridge>(*m_services.toolkit, m_services.pagePath);
}

void GroupSync::scheduleGroupSync(ReviewWC& window)
{
    window.groupSync.groupSyncTimer.cancel();
    window.groupSync.groupSyncTimer = mainQueue().schedule(kDebounceSeconds, false,
        [weakSync = weak_from_this(), weakWindow = window.weak_from_this()] {
            const auto sync = weakSync.lock();
            const auto target = weakWindow.lock();
            if (sync && target)
                sync->runGroupSync(*target);
        });
}

void GroupSync::runGroupSync(ReviewWC& window)
{
    if (!windowSyncsGroups(window))
        return;
    std::string code = m_services.pairCode ? m_services.pairCode() : std::string();
    if (code.empty())
        return;
    m_workers->post([this, request = Request { window.sourcePaths, std::move(code), window.weak_from_this() }] {
        syncInBackground(request);
    });
}

void GroupSync::syncInBackground(const Request& request)
{
    const auto members = group_identity::memberPDFs(request.sourcePaths);
    std::vector<std::pair<std::string, std::string>> kept; // path, document identifier
    std::vector<std::string> ids;
    for (const auto& path : members) {
        if (auto id = m_documentIds.docId(path)) {
            ids.push_back(*id);
            kept.emplace_back(path, std::move(*id));
        }
    }
    if (kept.empty())
        return;
    const auto lib = group_identity::deriveLibrary(request.code);
    if (!lib)
        return;
    if (kept.size() >= kMinimumGroupSize) {
        GroupWrite group {
            .name = group_identity::groupName(request.sourcePaths, kept.size()),
            .ids = ids,
            .code = request.code,
            .lib = *lib,
            .groupId = group_identity::groupId(ids),
            .deleted = false,
        };
        mainQueue().post([bridge = std::weak_ptr(m_bridge), window = request.window, group = std::move(group)]() mutable {
            const auto target = window.lock();
            const auto writer = bridge.lock();
            if (!target || !writer)
                return;
            std::string signature = groupSignature(group.groupId, group.name, group.ids);
            if (target->groupSync.groupSyncSig == signature)
                return;
            target->groupSync.groupSyncSig = std::move(signature);
            writer->write(std::move(group));
        });
    }
    publishPictures(kept, request.code, *lib);
}

void GroupSync::publishPictures(const std::vector<std::pair<std::string, std::string>>& members, const std::string& code, const std::string& lib)
{
    std::vector<PictureItem> items;
    const std::size_t count = std::min(members.size(), kPictureCap);
    for (std::size_t i = 0; i < count; ++i) {
        const auto& [path, id] = members[i];
        if (m_bridge->thumbAlreadyPublished(id))
            continue;
        if (auto picture = m_services.pagePicture(path))
            items.push_back({ id, std::move(*picture) });
    }
    m_bridge->publishThumbs(std::move(items), code, lib);
}

void registerGroupSync(ReviewFeatures& features, const std::shared_ptr<GroupSync>& sync)
{
    features.scheduleGroupSync = [weak = std::weak_ptr(sync)](ReviewWC& window) {
        if (const auto open = weak.lock())
            open->scheduleGroupSync(window);
    };
}

}
