// Review windows on the real toolkit under Xvfb: an engine run shows its page, and a reader
// follows its file on disk.
#include "platform/core/Paths.h"
#include "review/ReviewOnScreenFixture.h"

namespace ikw {
namespace {

constexpr double kTimeout = 20;

class ReviewWindowOnScreen : public testing::ReviewOnScreenFixture {
protected:
    ReviewWindowOnScreen()
    {
        services.shellEngine = [this](std::vector<std::string> arguments) { engine.shellEngine(std::move(arguments)); };
        // Every finished page reports what it shows.
        services.features.pushEditState = [this](ReviewWC& window) {
            ++pagesReady;
            window.webView().evaluate(kDescribePage, [this](ui::ScriptResult result) {
                if (result.value && result.value->is_string())
                    pages.push_back(result.value->get<std::string>());
            });
        };
    }

    static constexpr const char* kDescribePage = "document.title + '|' + (document.body.dataset.mode || '') + '|' + Array.from(document.querySelectorAll('li'))"
                                                 ".map(function(e){return e.textContent}).join('|')";

    EngineLauncher engine;
    int pagesReady = 0;
    std::vector<std::string> pages;
};

TEST_F(ReviewWindowOnScreen, AReviewRunsTheEngineAndShowsItsPage)
{
    const auto folder = home.file("Matter");
    testing::writeTestFile(folder + "/a.pdf", "%PDF-1.4");
    auto window = windows.open(std::nullopt);
    window->loadReview({ folder }, "compare");

    // The stand-in shows its mode, lists the reviewed paths, then the options it was given.
    const auto expected = "Review|compare|" + folder + "|--choose";
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !pages.empty() && pages.back() == expected; }, kTimeout))
        << (pages.empty() ? "no page" : pages.back());
}

TEST_F(ReviewWindowOnScreen, AReaderReloadsOnceWhenItsFileChangesKeepingItsView)
{
    const auto document = testing::writeTestFile(home.file("Matter/brief.pdf"), "first");
    const auto page = testing::writeTestFile(joinPath(globals().archive, "reader.html"),
        "<html><head><title>Reader</title><script>window.__ikwCaptureView=function(){return {page:7}}</script></head></html>");
    int reloads = 0;
    services.features.reloadReaderInPlace = [&](ReviewWC& window) {
        ++reloads;
        window.webView().reload();
    };
    auto window = windows.open(page);
    window->isReader = true;
    window->sourcePaths = { document };
    window->stampLoadedFile(document);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return pages.size() == 1; }, kTimeout));
    EXPECT_EQ(pages.front(), "Reader||");

    testing::writeTestFile(document, "second, longer");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return reloads == 1 && pagesReady == 2; }, kTimeout));
    // Two more poll periods: the reloaded reader stamped the file, so nothing further happens.
    ui::gtk3::runMainLoopUntil([] { return false; }, 6);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(window->reader.pendingViewRestore, "{\"page\":7}");
}

}
}
