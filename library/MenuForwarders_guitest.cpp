// The zoom forwarder's tile-size step on a folder page, in WebKitGTK.
#include "library/MenuForwarders.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace ikw::library {
namespace {

constexpr double kTimeout = 15;

// A folder page's grid: the tile width is the root's --tw (none set: the step starts from 180),
// with its slider; `ownSetter` gives the page its own setTW, which records what it was given.
std::string folderPage(const std::optional<int>& width, bool ownSetter)
{
    std::string html = "<!doctype html><html";
    if (width)
        html += " style=\"--tw:" + std::to_string(*width) + "px\"";
    html += "><body><input type=range id=tw min=120 max=380 value=" + std::to_string(width.value_or(180)) + "><script>window.masonryRuns=0;"
            "window.masonry=function(){masonryRuns++};";
    if (ownSetter)
        html += "window.setTW=function(v){window.setWith=v;document.documentElement.style.setProperty('--tw',v+'px')};";
    return html + "</script></body></html>";
}

class SizeStepTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(ui::gtk3::initializeGtk()) << "needs a display (run under xvfb-run)"; }

    void SetUp() override
    {
        window = toolkit->makeWindow({ .width = 600, .height = 400, .title = "folder", .offscreen = true });
        view = toolkit->makeWebView(toolkit->makeWebContext(), {});
        window->addTab(view, "folder");
        window->show();
    }

    void load(const std::string& html)
    {
        bool finished = false;
        view->setLoadHandlers([&] { finished = true; }, [&](const std::string& reason) { ADD_FAILURE() << reason; });
        view->loadHtml(html, "file:///");
        ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return finished; }, kTimeout));
    }

    Json evaluate(const std::string& script)
    {
        const auto slot = std::make_shared<std::optional<ui::ScriptResult>>();
        view->evaluate(script, [slot](ui::ScriptResult answer) { *slot = std::move(answer); });
        EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return slot->has_value(); }, kTimeout));
        if (!*slot || (*slot)->error) {
            ADD_FAILURE() << script << ": " << (*slot && (*slot)->error ? *(*slot)->error : "no answer");
            return {};
        }
        return (*slot)->value.value_or(Json());
    }

    std::unique_ptr<ui::Toolkit> toolkit = ui::gtk3::makeGtkToolkit();
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::WebView> view;
};

TEST_F(SizeStepTest, ZoomMovesTheTileWidthBySteps)
{
    struct Row {
        std::optional<int> width;
        int step;
        int expected;
    };
    const Row rows[] = {
        { std::nullopt, 20, 200 },
        { 180, -20, 160 },
        { 380, 20, 380 },
        { 370, 20, 380 },
        { 120, -20, 120 },
    };
    for (const bool ownSetter : { false, true }) {
        for (const auto& row : rows) {
            const std::string label = std::to_string(row.width.value_or(0)) + " by " + std::to_string(row.step) + (ownSetter ? " with setTW" : "");
            load(folderPage(row.width, ownSetter));
            evaluate(sizeStepScript(row.step));
            EXPECT_EQ(evaluate("getComputedStyle(document.documentElement).getPropertyValue('--tw').trim()"), std::to_string(row.expected) + "px") << label;
            EXPECT_EQ(evaluate("document.getElementById('tw').value"), std::to_string(row.expected)) << label;
            EXPECT_EQ(evaluate("masonryRuns"), 1) << label;
            EXPECT_EQ(evaluate("window.setWith || ''"), ownSetter ? std::to_string(row.expected) : "") << label;
        }
    }
}

}
}
