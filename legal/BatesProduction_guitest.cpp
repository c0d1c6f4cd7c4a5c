// The stand-in bates.html in a real web view: it asks for the folder's summary on load, the Stamp
// button runs the stamper through the page bridge, and the page lists the progress and the outcome.
#include "legal/BatesProduction.h"

#include "library/LibraryLayer.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

#include <filesystem>

namespace ikw::legal {
namespace {

constexpr double kTimeout = 30;

class BatesProductionOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    BatesProductionOnScreen() { registerActions(bridge->actions, production); }

    // Waits until the script gives a non-empty text and returns it.
    std::string waitFor(ReviewWC& window, const std::string& script)
    {
        std::string shown;
        ui::gtk3::runMainLoopUntil([&] { return !(shown = ask(window, script)).empty(); }, kTimeout);
        return shown;
    }

    std::unique_ptr<WorkQueue> workers = makeConcurrentQueue("bates-screen");
    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<BatesProduction> production = std::make_shared<BatesProduction>(BatesProductionServices {
        .library = [this] { return library; },
        .workers = workers.get(),
        .pageOps = { .toolkit = toolkit.get() },
        .resolvedScheme = [] { return std::string("light"); },
    });
};

TEST_F(BatesProductionOnScreen, ThePageGetsTheSummaryStampsAndHearsTheOutcome)
{
    const std::string folder = home.file("Matter & Co/Production #1");
    ikw::testing::writeTestFile(folder + "/a.pdf", pdf::testing::numberedPdf(3));
    ikw::testing::writeTestFile(folder + "/b.pdf", pdf::testing::numberedPdf(1));
    ikw::testing::writeTestFile(globals().configPath, R"({"pageops_skip_bates": true})");

    production->openBatesFolder(folder);
    const auto window = windows.windows().back();
    const auto init = parseJson(waitFor(*window, "window.__batesInit || ''"));
    ASSERT_TRUE(init) << "no summary";
    EXPECT_EQ(init->at("folder"), folder);
    EXPECT_EQ(init->at("name"), "Production #1");
    EXPECT_EQ(init->at("count"), 2);
    EXPECT_EQ(init->at("pages"), 4);

    ask(*window, "document.getElementById('prefix').value = 'SCR'; document.getElementById('stamp').click(); ''");
    const auto done = parseJson(waitFor(*window, "window.__batesDone || ''"));
    ASSERT_TRUE(done) << "no outcome";
    EXPECT_EQ(done->at("stamped"), 2);
    EXPECT_EQ(done->at("beginLabel"), "SCR000001");
    EXPECT_EQ(done->at("endLabel"), "SCR000004");
    EXPECT_EQ(ask(*window, "Array.from(document.querySelectorAll('#progress li')).map(function(e){return e.textContent}).join('|')"),
        "Stamping a.pdf\u2026 1/2|Stamping b.pdf\u2026 2/2|Wrote audit manifest. 2/2");
    EXPECT_TRUE(std::filesystem::exists(folder + "/Bates-Stamped/SCR000004.pdf"));
}

}
}
