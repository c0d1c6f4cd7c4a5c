#include "library/GroupSyncBridge.h"

#include "platform/core/Json.h"
#include "platform/core/Log.h"
#include "platform/core/TextMetrics.h"

#include <algorithm>

namespace ikw::library {

namespace {

constexpr int kViewSide = 8;
constexpr const char* kWriteGroupCall = "return await window.__ikwWriteGroup(payload);";
constexpr const char* kPublishThumbsCall = "return await window.__ikwPublishThumbs(payload);";

// The JSON text handed to the page as its `payload` string; nothing when a text in it is not
// UTF-8, since the page would get other bytes than the group has.
std::optional<std::string> payloadText(const Json& payload, const std::vector<std::string>& texts)
{
    if (!std::all_of(texts.begin(), texts.end(), [](const std::string& text) { return isValidUtf8(text); }))
        return std::nullopt;
    return toJson(payload);
}

}

GroupSyncBridge::GroupSyncBridge(ui::Toolkit& toolkit, std::function<std::string()> pagePath)
    : m_toolkit(toolkit)
    , m_pagePath(std::move(pagePath))
{
}

GroupSyncBridge::~GroupSyncBridge()
{
    if (m_web)
        m_web->setLoadHandlers({}, {});
}

void GroupSyncBridge::ensureLoaded()
{
    if (m_web)
        return;
    m_window = m_toolkit.makeWindow({ .width = kViewSide, .height = kViewSide, .title = "Group writer", .offscreen = true, .resizable = false });
    m_web = m_toolkit.makeWebView(m_toolkit.makeWebContext(), { .width = kViewSide, .height = kViewSide, .scriptMessages = false });
    m_window->addTab(m_web, "Group writer");
    const std::weak_ptr<GroupSyncBridge> weak = weak_from_this();
    m_web->setLoadHandlers(
        [weak] {
            if (const auto self = weak.lock())
                self->pageFinished();
        },
        [weak](const std::string& reason) {
            if (const auto self = weak.lock())
                self->pageFailed(reason);
        });
    m_web->loadFile(m_pagePath());
}

void GroupSyncBridge::pageFinished()
{
    m_ready = true;
    auto jobs = std::exchange(m_pending, {});
    for (auto& job : jobs)
        job();
}

void GroupSyncBridge::pageFailed(const std::string& reason)
{
    const std::size_t dropped = m_pending.size();
    m_pending.clear();
    m_ready = false;
    logLine("Inkwarden group writer page did not load (" + std::to_string(dropped) + " requests dropped): " + reason);
    // The view is let go after its own signal has returned; the next request makes a new one.
    mainQueue().post([window = std::exchange(m_window, nullptr), web = std::exchange(m_web, nullptr)] {});
}

void GroupSyncBridge::enqueue(Task job)
{
    ensureLoaded();
    if (m_ready)
        job();
    else
        m_pending.push_back(std::move(job));
}

void GroupSyncBridge::onMainQueue(Task work)
{
    // On the main thread already: at once, so that requests keep the order they were made in.
    if (mainQueue().isMainThread())
        work();
    else
        mainQueue().post(std::move(work));
}

void GroupSyncBridge::write(GroupWrite group)
{
    onMainQueue([weak = weak_from_this(), group = std::move(group)] {
        const auto self = weak.lock();
        if (!self)
            return;
        self->enqueue([weak, group] {
            if (const auto bridge = weak.lock())
                bridge->sendGroup(group);
        });
    });
}

void GroupSyncBridge::sendGroup(const GroupWrite& group)
{
    if (!m_web)
        return;
    const Json payload {
        { "name", group.name },
        { "docs", group.ids },
        { "code", group.code },
        { "lib", group.lib },
        { "groupId", group.groupId },
        { "deleted", group.deleted },
    };
    const auto text = payloadText(payload, { group.name, group.code });
    if (!text)
        return;
    m_web->callAsync(kWriteGroupCall, Json { { "payload", *text } }, [](ui::ScriptResult result) {
        if (result.error)
            logLine("Inkwarden group sync error: " + *result.error);
    });
}

void GroupSyncBridge::publishThumbs(std::vector<PictureItem> items, std::string code, std::string lib)
{
    if (items.empty())
        return;
    onMainQueue([weak = weak_from_this(), items = std::move(items), code = std::move(code), lib = std::move(lib)] {
        const auto self = weak.lock();
        if (!self)
            return;
        self->enqueue([weak, items, code, lib] {
            if (const auto bridge = weak.lock())
                bridge->runThumbs(items, code, lib);
        });
    });
}

void GroupSyncBridge::runThumbs(const std::vector<PictureItem>& items, const std::string& code, const std::string& lib)
{
    if (!m_web)
        return;
    for (std::size_t start = 0; start < items.size(); start += kPicturesPerCall) {
        const std::size_t end = std::min(items.size(), start + kPicturesPerCall);
        Json batch = Json::array();
        std::vector<std::string> ids;
        for (std::size_t i = start; i < end; ++i) {
            batch.push_back({ { "id", items[i].id }, { "b64", items[i].b64 } });
            ids.push_back(items[i].id);
        }
        const auto text = payloadText(Json { { "items", batch }, { "code", code }, { "lib", lib } }, { code });
        if (!text)
            continue;
        m_web->callAsync(kPublishThumbsCall, Json { { "payload", *text } }, [weak = weak_from_this(), ids = std::move(ids)](ui::ScriptResult result) {
            if (result.error) {
                logLine("Inkwarden cover backfill error: " + *result.error);
                return;
            }
            if (const auto self = weak.lock())
                self->markThumbPublished(ids);
        });
    }
}

bool GroupSyncBridge::thumbAlreadyPublished(const std::string& id) const
{
    const std::lock_guard lock(m_thumbLock);
    return m_publishedThumbs.contains(id);
}

void GroupSyncBridge::markThumbPublished(const std::vector<std::string>& ids)
{
    const std::lock_guard lock(m_thumbLock);
    m_publishedThumbs.insert(ids.begin(), ids.end());
}

}
