#pragma once

#include "app/Globals.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"
#include "review/EngineLauncher.h"
#include "review/ReviewWindows.h"
#include "review/TrustedRoots.h"
#include "review/fake/StandInEngine.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ikw::testing {

// Review windows on the real toolkit under Xvfb, in a temporary home with the stand-in engine
// installed and the GLib loop as the main queue.
class ReviewOnScreenFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(ui::gtk3::initializeGtk()) << "needs a display (run under xvfb-run)"; }

    ReviewOnScreenFixture()
    {
        installStandInEngine(home.path());
        services.toolkit = toolkit.get();
        services.webContext = toolkit->makeWebContext();
        services.trustedRoots = defaultTrustedRoots();
        services.newLoadingFile = newLoadingFile;
    }

    // The result of a script in the window's page, as text ("" until it answers).
    std::string ask(ReviewWC& window, const std::string& script)
    {
        // The answer may come after the wait gives up, so it lands in state the callback shares.
        struct Answer {
            std::string text;
            bool answered = false;
        };
        const auto answer = std::make_shared<Answer>();
        window.webView().evaluate(script, [answer](ui::ScriptResult result) {
            answer->answered = true;
            if (result.value && result.value->is_string())
                answer->text = result.value->get<std::string>();
        });
        ui::gtk3::runMainLoopUntil([&] { return answer->answered; }, 5);
        return answer->answered ? answer->text : std::string();
    }

    TempHome home;
    ScopedGlobals scopedGlobals { Globals::build(Paths::fromEnvironment()) };
    GLibMainQueue queue;
    ScopedMainQueue installed { queue };
    std::unique_ptr<ui::Toolkit> toolkit = ui::gtk3::makeGtkToolkit();
    ReviewServices services;
    ReviewWindows windows { services };
};

}
