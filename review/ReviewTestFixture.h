#pragma once

#include "app/Globals.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/ReviewWindows.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ikw::testing {

// Review windows on the recording toolkit, a fake clock and a temporary home; engine starts are
// recorded instead of run.
class ReviewFixture : public ::testing::Test {
protected:
    ReviewFixture()
    {
        services.toolkit = &toolkit;
        services.webContext = toolkit.makeWebContext();
        services.shellEngine = [this](std::vector<std::string> arguments) { engineRuns.push_back(std::move(arguments)); };
        services.newLoadingFile = [this] { return home.file("reviews/.loading-" + std::to_string(++loadingFiles) + ".html"); };
        services.resolvedScheme = [] { return std::string("dark"); };
        services.trustedRoots = { home.file("reviews") };
    }

    ui::fake::FakeWebView& viewOf(const ReviewWC& window) { return static_cast<ui::fake::FakeWebView&>(window.webView()); }
    ui::fake::FakeWindow& windowOf(const ReviewWC& window) { return static_cast<ui::fake::FakeWindow&>(window.window()); }
    void writeConfig(const std::string& json) { writeTestFile(globals.get().configPath, json); }

    TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue queue;
    ui::fake::FakeToolkit toolkit;
    ReviewServices services;
    ReviewWindows windows { services };
    std::vector<std::vector<std::string>> engineRuns;
    int loadingFiles = 0;
};

}
