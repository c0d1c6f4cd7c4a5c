// The stand-in engine's timeline page in a real web view: it asks for the timeline when it has
// loaded, and its Reorder button gets the one neighbour pair the first run did not compute.
#include "crossdoc/CrossDocActions.h"
#include "crossdoc/DraftTimeline.h"
#include "library/LibraryLayer.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

namespace ikw::crossdoc {
namespace {

constexpr double kTimeout = 30;

class DraftTimelineOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    DraftTimelineOnScreen() { registerActions(bridge->actions, { .draftTimeline = timeline }); }

    // Waits until `script` answers `expected` in the window's page; the last answer.
    std::string waitForAnswer(ReviewWC& window, const std::string& script, const std::string& expected)
    {
        std::string shown;
        ui::gtk3::runMainLoopUntil([&] { return (shown = ask(window, script)) == expected; }, kTimeout);
        return shown;
    }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<DraftTimeline> timeline = std::make_shared<DraftTimeline>(toolkit->dialogs(), [this] { return library; });
};

TEST_F(DraftTimelineOnScreen, ThePageGetsTheTimelineAndAReorderAddsTheMissingPair)
{
    const std::vector<std::string> drafts {
        ikw::testing::writeTestFile(home.file("Memo/v1.txt"), "alpha\nbeta\n"),
        ikw::testing::writeTestFile(home.file("Memo/v2.txt"), "alpha\ngamma\n"),
        ikw::testing::writeTestFile(home.file("Memo/v3.txt"), "delta\ngamma\n"),
    };
    timeline->openDraftTimeline(drafts);
    const auto window = windows.windows().back();
    ASSERT_TRUE(window->timeline.isTimeline);

    const std::string shown = "state.drafts.map(function(d){return d.name}).join(' ') + ' | ' + Object.keys(state.diffs).sort().join(' ')";
    EXPECT_EQ(waitForAnswer(*window, shown, "v1.txt v2.txt v3.txt | 0>1 1>2"), "v1.txt v2.txt v3.txt | 0>1 1>2");
    EXPECT_EQ(ask(*window, "JSON.stringify(state.diffs['0>1'])"), R"({"added":["gamma"],"removed":["beta"]})");

    ask(*window, "document.getElementById('order').value = '2,0,1'; document.getElementById('reorder').click(); ''");
    EXPECT_EQ(waitForAnswer(*window, shown, "v1.txt v2.txt v3.txt | 0>1 1>2 2>0"), "v1.txt v2.txt v3.txt | 0>1 1>2 2>0");
    EXPECT_EQ(ask(*window, "JSON.stringify(state.diffs['2>0'])"), R"({"added":["alpha","beta"],"removed":["delta","gamma"]})");
    EXPECT_EQ(window->timeline.timelineDiffs.size(), 3u);
}

}
}
