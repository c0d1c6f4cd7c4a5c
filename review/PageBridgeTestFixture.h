#pragma once

#include "app/AppDelegate.h"
#include "review/PageBridge.h"
#include "review/ReviewTestFixture.h"

#include <memory>
#include <string>
#include <vector>

namespace ikw::testing {

// A review window on a trusted page, with the page bridge installed and an application delegate
// whose welcome page is a fixed file. Statistics and recent items are recorded.
class PageBridgeFixture : public ReviewFixture {
protected:
    PageBridgeFixture()
    {
        writeTestFile(page, "<html></html>");
        writeTestFile(welcome, "<html></html>");
        ReviewActionParts parts;
        parts.recordRecent = [this](const std::vector<std::string>& paths) { recents.push_back(paths); };
        parts.recordStat = [this](const std::string& id) { stats.push_back(id); };
        bridge = installPageBridge(services, {}, std::move(parts));
        bridge->openWindows = [this] { return windows.windows(); };
        installAppDelegate(delegate.get());
        window = windows.open(page);
    }
    ~PageBridgeFixture() override { installAppDelegate(nullptr); }

    ui::NavigationPolicy send(const std::string& url) { return viewOf(*window).navigate({ url }); }
    ui::fake::FakeWebView& view() { return viewOf(*window); }

    const std::string page = home.file("reviews/page.html");
    const std::string welcome = home.file("reviews/.welcome-1.html");
    std::shared_ptr<PageBridge> bridge;
    std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>(LaunchServices {},
        DelegateParts { .windows = &windows, .writeWelcomePage = [this] { return std::optional<std::string>(welcome); } });
    std::shared_ptr<ReviewWC> window;
    std::vector<std::vector<std::string>> recents;
    std::vector<std::string> stats;
};

}
