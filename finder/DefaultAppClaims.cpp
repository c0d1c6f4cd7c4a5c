#include "finder/DefaultAppClaims.h"

#include "platform/core/Json.h"
#include "platform/core/Log.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Desktop.h"
#include "review/PanelWC.h"
#include "review/ReviewWC.h"

#include <algorithm>

namespace ikw::finder {

std::shared_ptr<DefaultAppClaims> DefaultAppClaims::create(DefaultAppServices services)
{
    return std::shared_ptr<DefaultAppClaims>(new DefaultAppClaims(std::move(services)));
}

std::string DefaultAppClaims::resourcesDir() const
{
    return m_services.resourcesDir ? m_services.resourcesDir() : std::string();
}

std::vector<ClaimGroup> DefaultAppClaims::claimGroups() const
{
    const std::string folder = resourcesDir();
    return finder::claimGroups(readDeclaredTypes(folder), readAllowList(folder));
}

std::vector<ContentType> DefaultAppClaims::claimedDefaultAppTypes() const
{
    return claimedTypes(claimGroups());
}

ClaimCounts DefaultAppClaims::claimedCounts() const
{
    const auto types = claimedDefaultAppTypes();
    const auto held = std::count_if(types.begin(), types.end(), [this](const ContentType& type) { return isDefaultFor(type.mimeType); });
    return { static_cast<int>(held), static_cast<int>(types.size()) };
}

bool DefaultAppClaims::isDefaultFor(const std::string& mimeType) const
{
    if (!m_services.workspace)
        return false;
    const auto application = m_services.workspace->defaultApplicationForType(mimeType);
    return application && application->id == m_services.applicationId;
}

bool DefaultAppClaims::isDefaultPDFApp() const
{
    return isDefaultFor(kPdfMimeType);
}

bool DefaultAppClaims::isDefaultForGroup(const ClaimGroup& group) const
{
    return std::all_of(group.types.begin(), group.types.end(), [this](const ContentType& type) { return isDefaultFor(type.mimeType); });
}

bool DefaultAppClaims::isDefaultViewerApp() const
{
    const auto groups = claimGroups();
    return !groups.empty() && std::all_of(groups.begin(), groups.end(), [this](const ClaimGroup& group) { return isDefaultForGroup(group); });
}

std::string DefaultAppClaims::defaultGroupsJSON() const
{
    Json groups = Json::array();
    for (const auto& group : claimGroups())
        groups.push_back({ { "name", group.name }, { "on", isDefaultForGroup(group) }, { "exts", groupExtensions(group) } });
    try {
        return toPlainJson(groups);
    } catch (const Json::exception&) {
        // A group name that is not UTF-8 cannot be written.
        return "[]";
    }
}

void DefaultAppClaims::makeDefaultPDFApp(Done completion)
{
    if (!m_services.defaultApps)
        return;
    std::weak_ptr<DefaultAppClaims> weak = weak_from_this();
    m_services.defaultApps->setDefault(m_services.applicationId, kPdfMimeType,
        [weak, completion = std::move(completion)](std::optional<std::string> error) {
            mainQueue().post([weak, completion, refused = error.has_value()] {
                const auto self = weak.lock();
                if (completion)
                    completion(!refused && self && self->isDefaultPDFApp());
                if (self && self->m_services.reloadSettingsPanelIfOpen)
                    self->m_services.reloadSettingsPanelIfOpen();
            });
        });
}

void DefaultAppClaims::makeDefaultViewerApp(Done completion)
{
    claimThenAsk(claimedDefaultAppTypes(), [](const DefaultAppClaims& self) { return self.isDefaultViewerApp(); }, std::move(completion));
}

void DefaultAppClaims::makeDefaultForGroup(const std::string& name, Done completion)
{
    const auto groups = claimGroups();
    const auto group = std::find_if(groups.begin(), groups.end(), [&](const ClaimGroup& each) { return each.name == name; });
    if (group == groups.end()) {
        if (completion)
            completion(false);
        return;
    }
    claimThenAsk(group->types, [chosen = *group](const DefaultAppClaims& self) { return self.isDefaultForGroup(chosen); }, std::move(completion));
}

void DefaultAppClaims::claimThenAsk(std::vector<ContentType> types, std::function<bool(const DefaultAppClaims&)> ours, Done completion)
{
    if (types.empty()) {
        if (completion)
            completion(false);
        return;
    }
    std::weak_ptr<DefaultAppClaims> weak = weak_from_this();
    // What the run itself saw does not matter: the desktop is asked again for the true state.
    claimSequentially(std::move(types), [weak, ours = std::move(ours), completion = std::move(completion)](bool) {
        const auto self = weak.lock();
        if (completion)
            completion(self && ours(*self));
        if (self && self->m_services.reloadSettingsPanelIfOpen)
            self->m_services.reloadSettingsPanelIfOpen();
    });
}

void DefaultAppClaims::claimSequentially(std::vector<ContentType> types, Done done)
{
    auto run = std::make_shared<ClaimRun>();
    run->queue.assign(types.begin(), types.end());
    run->done = std::move(done);
    step(run);
}

namespace {

// The next step of a run, on the main thread; a run whose claims object is gone ends there.
template<typename Run>
void onMain(std::weak_ptr<DefaultAppClaims> claims, std::shared_ptr<Run> run, std::function<void(DefaultAppClaims&)> next)
{
    mainQueue().post([claims = std::move(claims), run = std::move(run), next = std::move(next)] {
        if (const auto self = claims.lock())
            next(*self);
        else if (run->done)
            run->done(false);
    });
}

}

void DefaultAppClaims::step(const std::shared_ptr<ClaimRun>& run)
{
    while (!run->queue.empty()) {
        const ContentType type = run->queue.front();
        run->queue.pop_front();
        if (isDefaultFor(type.mimeType))
            continue;
        if (!m_services.defaultApps) {
            run->ok = false;
            continue;
        }
        std::weak_ptr<DefaultAppClaims> weak = weak_from_this();
        m_services.defaultApps->setDefault(m_services.applicationId, type.mimeType, [weak, run, mimeType = type.mimeType](std::optional<std::string> error) {
            const auto next = [run](DefaultAppClaims& self) {
                self.broadcastDefaultProgress();
                self.step(run);
            };
            if (error) {
                logLine("could not become the default for " + mimeType + ": " + *error);
                onMain(weak, run, [run, next](DefaultAppClaims& self) {
                    run->ok = false;
                    next(self);
                });
                return;
            }
            const auto self = weak.lock();
            if (!self) {
                onMain(weak, run, next);
                return;
            }
            // A claim that never shows is no failure: the final answer asks the desktop again.
            self->settleDefault(mimeType, kSettleTimeout, [weak, run, next](bool) { onMain(weak, run, next); });
        });
        return;
    }
    mainQueue().post([run] {
        if (run->done)
            run->done(run->ok);
    });
}

void DefaultAppClaims::settleDefault(const std::string& mimeType, double timeout, Done done)
{
    struct Settle {
        std::weak_ptr<DefaultAppClaims> claims;
        std::string mimeType;
        double deadline;
        Done done;
    };
    auto settle = std::make_shared<Settle>(Settle { weak_from_this(), mimeType, mainQueue().now() + timeout, std::move(done) });
    auto poll = std::make_shared<std::function<void()>>();
    // The poll holds itself only through the queue: once it stops, nothing keeps it.
    *poll = [settle, weakPoll = std::weak_ptr(poll)] {
        const auto self = settle->claims.lock();
        if (self && self->isDefaultFor(settle->mimeType)) {
            settle->done(true);
            return;
        }
        if (!self || mainQueue().now() >= settle->deadline) {
            settle->done(false);
            return;
        }
        if (const auto again = weakPoll.lock())
            mainQueue().postAfter(kSettlePollInterval, [again] { (*again)(); });
    };
    (*poll)();
}

void DefaultAppClaims::broadcastDefaultProgress()
{
    const auto [held, total] = claimedCounts();
    const std::string script = "if(window.__ikwDefaultProgress){__ikwDefaultProgress(" + std::to_string(held) + "," + std::to_string(total) + ")}";
    if (m_services.windows) {
        for (const auto& window : m_services.windows()) {
            if (window && !window->isClosed())
                window->evaluate(script);
        }
    }
    if (m_services.panels) {
        for (const auto& panel : m_services.panels()) {
            if (panel && panel->isVisible())
                panel->web().evaluate(script);
        }
    }
}

}
