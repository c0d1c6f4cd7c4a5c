// A panel on the real toolkit under Xvfb: the engine's panel script writes the page, the window
// shows it without the review windows' bridge, and the page's action links reach the router.
#include "app/Globals.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"
#include "review/Panels.h"
#include "review/fake/StandInEngine.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <memory>

namespace ikw {
namespace {

constexpr double kTimeout = 20;

class PanelOnScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(ui::gtk3::initializeGtk()) << "needs a display (run under xvfb-run)"; }
    PanelOnScreen() { testing::installStandInEngine(home.path()); }

    std::optional<std::string> evaluate(PanelWC& panel, const std::string& script)
    {
        struct Answer {
            std::optional<std::string> text;
            bool done = false;
        };
        const auto answer = std::make_shared<Answer>(); // shared: the answer may come after the wait
        panel.web().evaluate(script, [answer](ui::ScriptResult result) {
            if (result.value && result.value->is_string())
                answer->text = result.value->get<std::string>();
            answer->done = true;
        });
        EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return answer->done; }, kTimeout));
        return answer->done ? answer->text : std::nullopt;
    }

    testing::TempHome home;
    ScopedGlobals scopedGlobals { Globals::build(Paths::fromEnvironment()) };
    GLibMainQueue queue;
    ScopedMainQueue installed { queue };
    std::unique_ptr<ui::Toolkit> toolkit = ui::gtk3::makeGtkToolkit();
    std::shared_ptr<Panels> panels = Panels::create(*toolkit);
};

TEST_F(PanelOnScreen, ThePageShowsWithoutTheBridgeAndItsActionsReachTheRouter)
{
    panels->openPanel("about");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return panels->visiblePanel("about") != nullptr; }, kTimeout));
    auto panel = panels->visiblePanel("about");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return evaluate(*panel, "document.body ? document.body.dataset.kind || '' : ''") == "about"; }, kTimeout));
    EXPECT_EQ(evaluate(*panel, "typeof ((window.webkit && window.webkit.messageHandlers) || {}).inkwarden"), "undefined");

    evaluate(*panel, "location.href = 'qeliz://closepanel'; ''");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !panel->isVisible(); }, kTimeout));
    EXPECT_EQ(evaluate(*panel, "document.body.dataset.kind"), "about"); // the page stayed
}

}
}
