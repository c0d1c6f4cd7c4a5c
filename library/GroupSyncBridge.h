#pragma once

#include "platform/core/TaskQueue.h"
#include "platform/ui/Toolkit.h"

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace ikw::library {

// A first-page picture for the paired library: the document's identifier and base64 JPEG.
struct PictureItem {
    std::string id;
    std::string b64;
};

// A group as the group-writer page stores it.
struct GroupWrite {
    std::string name;
    std::vector<std::string> ids; // document identifiers in member order
    std::string code;             // the pair code as stored
    std::string lib;
    std::string groupId;
    bool deleted = false;
};

// The hidden group-writer page that publishes groups and pictures to the paired library. Its web
// view is made on first use in an off-screen window that is never shown, with a web context of
// its own and no script-message channel. Requests that arrive while the page loads wait and run
// in order once it has loaded; when the load fails they are dropped (their pictures were never
// marked published, so the next sync offers them again) and the next request loads the page anew.
// Page-call failures are logged as one line with the error text only: payloads and the pair code
// never reach the log.
class GroupSyncBridge : public std::enable_shared_from_this<GroupSyncBridge> {
public:
    static constexpr std::size_t kPicturesPerCall = 8;

    // `pagePath` answers where the page is each time it is loaded.
    GroupSyncBridge(ui::Toolkit& toolkit, std::function<std::string()> pagePath);
    ~GroupSyncBridge();
    GroupSyncBridge(const GroupSyncBridge&) = delete;
    GroupSyncBridge& operator=(const GroupSyncBridge&) = delete;

    // Any thread; the work runs on the main queue (at once when called there).
    void write(GroupWrite group);
    void publishThumbs(std::vector<PictureItem> items, std::string code, std::string lib);

    // Any thread.
    bool thumbAlreadyPublished(const std::string& id) const;
    void markThumbPublished(const std::vector<std::string>& ids);

    // Main thread: makes the view and starts loading the page, unless that has happened.
    void ensureLoaded();
    bool isReady() const { return m_ready; }
    std::size_t pendingCount() const { return m_pending.size(); }
    // The page's view, for tests that look into it; null before the first request.
    const std::shared_ptr<ui::WebView>& webView() const { return m_web; }

private:
    void onMainQueue(Task work);
    void enqueue(Task job);
    void pageFinished();
    void pageFailed(const std::string& reason);
    void sendGroup(const GroupWrite& group);
    void runThumbs(const std::vector<PictureItem>& items, const std::string& code, const std::string& lib);

    ui::Toolkit& m_toolkit;
    std::function<std::string()> m_pagePath;
    std::shared_ptr<ui::Window> m_window;
    std::shared_ptr<ui::WebView> m_web;
    bool m_ready = false;
    std::vector<Task> m_pending;
    mutable std::mutex m_thumbLock;
    std::set<std::string> m_publishedThumbs;
};

}
