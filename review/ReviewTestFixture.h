#pragma once

#include "app/Globals.h"
#include "platform/core/Json.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/ReviewWindows.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
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

    // The scripts `window`'s page was given that call `function`.
    std::vector<std::string> calls(const ReviewWC& window, const std::string& function)
    {
        std::vector<std::string> found;
        for (const auto& script : viewOf(window).evaluated) {
            if (script.starts_with("if(window." + function + ")"))
                found.push_back(script);
        }
        return found;
    }
    // The argument of the one call of `function` (an engine answer or an injected object), which
    // must be JSON; otherwise a text saying what was found.
    Json answerOf(const ReviewWC& window, const std::string& function)
    {
        const auto found = calls(window, function);
        if (found.size() != 1)
            return Json("calls: " + std::to_string(found.size()));
        const std::string head = "if(window." + function + ")try{" + function + "(";
        const std::string tail = ")}catch(e){}";
        const std::string& script = found.front();
        if (!script.ends_with(tail))
            return Json("unguarded: " + script);
        return parseJson(std::string_view(script).substr(head.size(), script.size() - head.size() - tail.size())).value_or(Json("unparsed: " + script));
    }

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
