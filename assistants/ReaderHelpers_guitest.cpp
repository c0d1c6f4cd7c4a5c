// The stand-in reader in a real web view asks for its document's outline and has quotes checked
// against the PDF it shows, through the real dispatcher, worker queue and page evaluation.
#include "assistants/AssistantActions.h"
#include "assistants/ReaderHelpers.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/EngineLocator.h"
#include "review/PageBridge.h"
#include "review/ResourceSchemes.h"
#include "review/ReviewOnScreenFixture.h"

namespace ikw::assistants {
namespace {

constexpr double kTimeout = 30;

class ReaderHelpersOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    ReaderHelpersOnScreen()
    {
        review::registerResourceSchemes(*services.webContext, services.trustedRoots);
        registerActions(bridge->actions, { .reader = helpers });
    }

    std::string waitForData(ReviewWC& window, const std::string& name)
    {
        std::string shown;
        ui::gtk3::runMainLoopUntil([&] { return !(shown = ask(window, "document.body.dataset." + name + " || ''")).empty(); }, kTimeout);
        return shown;
    }
    std::string verify(ReviewWC& window, const std::string& quote, int answers)
    {
        ask(window, "document.getElementById('verifyq').value = " + jsQuote(quote) + "; document.getElementById('verify').click(); ''");
        const std::string count = std::to_string(answers);
        ui::gtk3::runMainLoopUntil([&] { return ask(window, "document.body.dataset.verifies || ''") == count; }, kTimeout);
        return ask(window, "document.getElementById('verified').textContent");
    }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    WorkQueue workers { "reader helpers", 2 };
    std::shared_ptr<ReaderHelpers> helpers = std::make_shared<ReaderHelpers>(ReaderHelperServices { .workers = &workers });
};

TEST_F(ReaderHelpersOnScreen, TheReaderGetsItsOutlineAndItsQuotesChecked)
{
    const std::string document = home.file("Brief.pdf");
    ikw::testing::writeTestFile(document,
        pdf::testing::outlinedPdf(3, { { "Facts", 1, { { "The hearing", 2 } } }, { "Ruling", 3 } }));
    auto window = windows.open(std::nullopt);
    window->isReader = true;
    window->hasContent = true;
    window->sourcePaths = { document };
    window->webView().loadUrl("file://" + readerHTMLPath() + "?pdf=" + document);
    ASSERT_EQ(waitForData(*window, "verifyReady"), "1");

    ask(*window, "document.getElementById('outline').click(); ''");
    const std::optional<Json> outline = parseJson(waitForData(*window, "outline"));
    ASSERT_TRUE(outline);
    EXPECT_EQ(*outline,
        Json({ { "ok", true }, { "hasOutline", true }, { "pageCount", 3 },
            { "items",
                { { { "title", "Facts" }, { "page", 1 }, { "level", 0 } }, { { "title", "The hearing" }, { "page", 2 }, { "level", 1 } },
                    { { "title", "Ruling" }, { "page", 3 }, { "level", 0 } } } } }));

    EXPECT_EQ(verify(*window, "Page 3", 1), "Page 3: true");
    EXPECT_EQ(verify(*window, "Page 4", 2), "Page 4: false");
}

}
}
