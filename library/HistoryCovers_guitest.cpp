// The File History page on the real toolkit under Xvfb, with the stand-in engine: its covers
// request reaches the covers service and the map comes back to the page.
#include "library/LibraryActions.h"
#include "library/LibraryLayer.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/EngineLauncher.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

namespace ikw::library {
namespace {

constexpr double kTimeout = 30;

class HistoryCoversOnScreen : public testing::ReviewOnScreenFixture {
protected:
    HistoryCoversOnScreen()
    {
        services.shellEngine = [this](std::vector<std::string> arguments) { engine.shellEngine(std::move(arguments)); };
        registerActions(bridge->actions, [this] { return layer; });
    }

    EngineLauncher engine;
    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows);
};

TEST_F(HistoryCoversOnScreen, ThePageGetsACoverForEachDocumentThatHasOne)
{
    const auto text = testing::writeTestFile(home.file("Matter/notes.bin"), std::string("\x01\x02\x03", 3));
    const auto pdf = home.file("Matter/Lease \"draft\".pdf");
    pdf::testing::writeFixture(pdf, pdf::testing::numberedPdf(2));
    layer->history().record(pdf, false, "open");
    layer->history().record(text, false, "open");
    layer->history().record(home.file("Matter/gone.pdf"), false, "open");

    layer->historyPage().openHistory("recents");
    ASSERT_FALSE(windows.windows().empty());
    const auto page = windows.windows().back();
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*page, "document.body && document.body.dataset.standin || ''") == "history"; }, kTimeout));

    page->webView().evaluate("document.getElementById('covers').click()");
    const std::string covered = "Object.keys(window.__lastCovers || {}).join('|')";
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !ask(*page, covered).empty(); }, kTimeout));
    EXPECT_EQ(ask(*page, covered), pdf);
    const auto url = ask(*page, "window.__lastCovers[" + jsQuote(pdf) + "]");
    EXPECT_TRUE(url.starts_with("file://" + home.file("")) && url.ends_with(".png")) << url;
    EXPECT_EQ(testing::readTestFile(layer->covers().coverPath(pdf)).substr(1, 3), "PNG");
}

}
}
