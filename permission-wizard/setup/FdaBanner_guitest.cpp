// The Full Disk Access banner on real review pages, in a home whose name holds every character
// that could break out of the banner's script or markup.
#include "permission-wizard/setup/FdaBanner.h"
#include "permission-wizard/setup/FullDiskAccess.h"
#include "permission-wizard/setup/TestIcon.h"
#include "platform/core/Paths.h"
#include "review/ReviewOnScreenFixture.h"

namespace ikw::setup {
namespace {

constexpr double kTimeout = 20;

Paths pathsWithHome(std::string home)
{
    Paths paths = Paths::fromEnvironment();
    paths.home = std::move(home);
    return paths;
}

class FdaBannerOnScreen : public testing::ReviewOnScreenFixture {
protected:
    FdaBannerOnScreen()
    {
        testing::installStandInEngine(oddHome);
        services.trustedRoots = defaultTrustedRoots();
        services.shellEngine = [this](std::vector<std::string> arguments) { engine.shellEngine(std::move(arguments)); };
        services.features.injectFDABanner = [this](ReviewWC& window) {
            ++injections;
            access->injectFDABanner(window);
        };
    }

    // Waits until `script` (which gives text) answers `expected` in the window's page.
    bool pageAnswers(ReviewWC& window, const std::string& script, const std::string& expected)
    {
        std::string last;
        const bool answered = ui::gtk3::runMainLoopUntil([&] { return (last = ask(window, script)) == expected; }, kTimeout);
        EXPECT_TRUE(answered) << script << " answered " << last;
        return answered;
    }

    std::string bannerCount = "String(document.querySelectorAll('#__fdab').length)";

    const std::string oddHome = home.file("a'b\"<c\\d");
    ScopedGlobals oddGlobals { Globals::build(pathsWithHome(oddHome)) };
    EngineLauncher engine;
    int injections = 0;
    std::shared_ptr<FullDiskAccess> access = FullDiskAccess::create({
        .probe = [] { return false; },
        .iconPath = [icon = testing::writeTestIcon(home.file("icon.png"), 32, 32)] { return icon; },
        .markFolder = globals().archive,
    });
};

TEST_F(FdaBannerOnScreen, ShowsOncePerPageOnlyOverAGridOrAStageWhateverTheHomeIsCalled)
{
    // The engine's review page has neither.
    testing::writeTestFile(home.file("Matter/a.pdf"), "%PDF-1.4");
    auto review = windows.open(std::nullopt);
    review->loadReview({ home.file("Matter") }, "compare");
    ASSERT_TRUE(pageAnswers(*review, "String(document.body && document.body.dataset.standin)", "review"));
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return injections >= 1; }, kTimeout));
    ui::gtk3::runMainLoopUntil([] { return false; }, 1);
    EXPECT_EQ(ask(*review, bannerCount), "0");

    for (const char* holder : { "grid", "stage" }) {
        SCOPED_TRACE(holder);
        const auto page = testing::writeTestFile(joinPath(globals().archive, std::string(holder) + ".html"),
            std::string("<!doctype html><html><body><div id=\"") + holder + "\"></div></body></html>");
        auto window = windows.open(page);
        ASSERT_TRUE(pageAnswers(*window, bannerCount, "1"));
        // The mark is the banner's only image, and it loads: the file URL survived the odd name.
        EXPECT_EQ(ask(*window, "String(document.querySelectorAll('#__fdab img').length)"), "1");
        EXPECT_TRUE(pageAnswers(*window, "String(document.querySelector('#__fdab img').naturalWidth)", "256"));
        EXPECT_EQ(ask(*window, "document.querySelector('#__fdab a').getAttribute('href')"), "qeliz://fda");

        // Run again by hand: no error, and still one banner.
        struct Outcome {
            bool done = false;
            std::optional<std::string> error;
        };
        auto outcome = std::make_shared<Outcome>();
        window->webView().evaluate(fdaBannerScript(access->appMarkPNG()), [outcome](ui::ScriptResult result) {
            outcome->done = true;
            outcome->error = result.error;
        });
        ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return outcome->done; }, kTimeout));
        EXPECT_EQ(outcome->error, std::nullopt);
        EXPECT_EQ(ask(*window, bannerCount), "1");

        // The dismiss control takes it away; the removal script finds nothing left to do.
        ask(*window, "document.querySelector('#__fdab [title=Dismiss]').click(), ''");
        EXPECT_EQ(ask(*window, bannerCount), "0");
    }
}

}
}
