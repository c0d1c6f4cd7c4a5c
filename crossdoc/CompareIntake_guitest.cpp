// The built-in compare-intake page in a real web view: drops fill both slots, and its "Compare"
// button starts the engine's compare review of the two documents in order.
#include "crossdoc/CompareIntake.h"
#include "crossdoc/CrossDocActions.h"
#include "library/LibraryLayer.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"
#include "review/ReviewWC.h"

#include <algorithm>

namespace ikw::crossdoc {
namespace {

constexpr double kTimeout = 30;

class CompareIntakeOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    CompareIntakeOnScreen()
    {
        registerActions(bridge->actions, { .compareIntake = intake });
        services.features.compareIntakeDrop = compareIntakeDrop;
        services.shellEngine = [this](std::vector<std::string> arguments) { engineRuns.push_back(std::move(arguments)); };
    }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<CompareIntake> intake = std::make_shared<CompareIntake>(toolkit->dialogs(), [this] { return library; });
    std::vector<std::vector<std::string>> engineRuns;
};

TEST_F(CompareIntakeOnScreen, DroppedDocumentsFillTheSlotsAndCompareStartsTheirReview)
{
    const auto older = ikw::testing::writeTestFile(home.file("Matter/draft \"one\"\\v1.txt"), "first\n");
    const auto newer = ikw::testing::writeTestFile(home.file("Matter/draft two\nfinal & 100%.txt"), "second\n");
    intake->openCompareIntake();
    const auto window = windows.windows().back();
    ASSERT_TRUE(window->isCompareIntake);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*window, "String(window.__intakeReady === true)") == "true"; }, kTimeout));

    window->readerDrop({ older, newer }, DropPoint { 10, 10, 800 });
    const std::string slots = "document.getElementById('slot-a').title + '|' + document.getElementById('slot-b').title + '|' + "
                              "document.querySelector('#slot-b .main').textContent";
    EXPECT_EQ(ask(*window, slots), older + "|" + newer + "|" + "draft two\nfinal & 100%.txt");

    ask(*window, "document.getElementById('compare').click(), ''");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !engineRuns.empty(); }, kTimeout));
    const auto& run = engineRuns.front();
    ASSERT_GE(run.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(run.end() - 2, run.end()), (std::vector<std::string> { older, newer }));
    const auto mode = std::find(run.begin(), run.end(), "--mode");
    ASSERT_NE(mode, run.end());
    EXPECT_EQ(*(mode + 1), "compare");
    EXPECT_FALSE(window->isCompareIntake);
    EXPECT_EQ(window->reviewMode, "compare");
}

}
}
