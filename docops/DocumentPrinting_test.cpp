#include "docops/DocumentPrinting.h"

#include "docops/ReviewPageOps.h"
#include "platform/core/Base64.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageBridgeTestFixture.h"

#include <gtest/gtest.h>

namespace ikw::docops {
namespace {

class DocumentPrinting : public ikw::testing::PageBridgeFixture {
protected:
    DocumentPrinting()
    {
        PageOpServices parts;
        parts.toolkit = &toolkit;
        registerActions(bridge->actions, parts);
    }

    // The reader page offers `offered` in __ikwPrintB64 and sends "printdoc".
    void printWithOffer(const std::string& offered)
    {
        view().nextResult = ui::ScriptResult { Json(offered), std::nullopt };
        send("qeliz://printdoc");
        queue.drain();
    }
    std::vector<ui::fake::FakePrinting::Job>& jobs() { return toolkit.fakePrinting.jobs; }
};

TEST_F(DocumentPrinting, TheBytesThePageOffersArePrintedInItsWindow)
{
    window->sourcePaths = { home.file("contract.docx") };
    printWithOffer(encodeBase64(pdf::testing::numberedPdf(3)));
    ASSERT_EQ(jobs().size(), 1u);
    EXPECT_EQ(jobs()[0].parent, &window->window());
    EXPECT_EQ(jobs()[0].document.pages.size(), 3u);
    EXPECT_EQ(jobs()[0].document.jobName, "contract.docx");
    // Pages are drawn when the printer asks, at its scale.
    const std::optional<ui::PrintBitmap> page = jobs()[0].document.renderPage(0, 2.0);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->width, 1224);
    EXPECT_EQ(page->height, 1584);
}

TEST_F(DocumentPrinting, WithoutUsableBytesTheWindowsOwnPdfIsPrintedNotTheKeyWindows)
{
    const std::string own = home.file("own.PDF");
    pdf::testing::writeFixture(own, pdf::testing::numberedPdf(2));
    const std::string other = home.file("other.pdf");
    pdf::testing::writeFixture(other, pdf::testing::numberedPdf(5));
    window->sourcePaths = { own };
    const std::shared_ptr<ReviewWC> key = windows.open(page);
    key->sourcePaths = { other };
    windowOf(*key).active = true;
    windowOf(*key).focusedLast = true;
    for (const std::string& offered : { std::string("not base64!"), encodeBase64("not a pdf"), std::string() }) {
        jobs().clear();
        printWithOffer(offered);
        ASSERT_EQ(jobs().size(), 1u) << offered;
        EXPECT_EQ(jobs()[0].document.pages.size(), 2u) << offered;
    }
}

TEST_F(DocumentPrinting, NothingToPrintToastsInThePage)
{
    window->sourcePaths = { home.file("contract.docx") };
    printWithOffer("");
    EXPECT_TRUE(jobs().empty());
    ASSERT_FALSE(view().evaluated.empty());
    EXPECT_EQ(view().evaluated.back(), "window.__ikwToast && __ikwToast('Could not prepare the document to print')");
}

TEST_F(DocumentPrinting, PrintDocAsksThePageToPrintItself)
{
    printDoc(*window);
    ASSERT_FALSE(view().evaluated.empty());
    EXPECT_EQ(view().evaluated.back(), "if(window.__ikwPrint){__ikwPrint()}");
}

}
}
