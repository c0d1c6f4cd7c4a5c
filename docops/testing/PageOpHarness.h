#pragma once

#include "app/Globals.h"
#include "docops/FileOpHost.h"
#include "docops/PageRewrite.h"
#include "platform/core/WorkQueue.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "tests/support/TempHome.h"

#include <memory>
#include <string>
#include <vector>

namespace ikw::docops::testing {

// A review window as the page operations see it, recording what they asked of it.
class FakeFileOpHost final : public FileOpHost {
public:
    bool isOpen() const override { return open; }
    std::vector<std::string> sourcePaths() const override { return sources; }
    bool isReader() const override { return reader; }
    ui::Window* sheetParent() const override { return window.get(); }
    ui::Dialogs& dialogs() override { return fakeDialogs; }
    ui::Workspace& workspace() override { return fakeWorkspace; }
    void stampLoadedFile(const std::string& path) override;
    std::optional<FileStamp> loadedStamp() const override { return stamp; }
    void reloadReader(const std::string& path) override;
    void reloadSettingsPanelIfOpen() override { ++settingsPanelReloads; }

    bool open = true;
    bool reader = true;
    std::vector<std::string> sources;
    std::optional<FileStamp> stamp;
    std::shared_ptr<ui::fake::FakeWindow> window = std::make_shared<ui::fake::FakeWindow>(ui::WindowOptions {});
    ui::fake::FakeDialogs fakeDialogs;
    ui::fake::FakeWorkspace fakeWorkspace;
    int settingsPanelReloads = 0;

    // "stamp <path>" and "reload <path>", each with the number of scripts the page had been sent
    // by then, so that tests can see the order of the window's steps and the page's callbacks.
    std::vector<std::string> events;
    // The file's bytes when it was stamped.
    std::string stampedBytes;
    std::shared_ptr<ui::fake::FakeWebView> web;
};

// A temporary home with settings, a manual main queue, background workers and a fake window.
class PageOpHarness {
public:
    PageOpHarness();
    ~PageOpHarness();

    PageOpContext context() { return { host, web, &rewrites }; }
    // Runs background work and what it posts to the main queue until nothing is left.
    void settle();

    std::string file(const std::string& name) const { return home.file(name); }
    // Makes the window show the file, loaded as it is now.
    void show(const std::string& path);
    // A PDF at `name` whose pages read "Page first" ... "Page first+count-1".
    std::string writePdf(const std::string& name, int count, int first = 1);
    // The page markers of the file at the path (empty when it does not open).
    std::vector<int> markers(const std::string& path) const;
    void setSetting(const std::string& key, const Json& value);

    ikw::testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue mainQueue;
    WorkQueue workers { "pageop-tests", 4 };
    RewriteQueue rewrites { workers };
    std::shared_ptr<ui::fake::FakeWebView> web = std::make_shared<ui::fake::FakeWebView>();
    std::shared_ptr<FakeFileOpHost> host = std::make_shared<FakeFileOpHost>();
};

// The scripts "ikwToast(message,bad)" and "ikwPageOpDone(op,path)" as the page receives them.
std::string toastScript(const std::string& message, bool bad);
std::string doneScript(const std::string& operation, const std::string& path);

}
