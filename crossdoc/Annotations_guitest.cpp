// A stand-in reader in a real web view autosaves its annotated PDF through the page action, as the
// application wires it; the document opened again shows the annotated copy.
#include "crossdoc/AnnotationActions.h"
#include "crossdoc/AnnotationSidecars.h"
#include "crossdoc/CrossDocActions.h"
#include "library/LibraryLayer.h"
#include "platform/core/Base64.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

#include <filesystem>

namespace ikw::crossdoc {
namespace {

constexpr double kTimeout = 30;

class AnnotationsOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    AnnotationsOnScreen()
    {
        ikw::testing::writeTestFile(globals().configPath, R"({"open_in":"window"})");
        registerActions(bridge->actions, { .annotations = { .toolkit = toolkit.get(), .documents = annotationQueue.get() } });
    }

    bool waitFor(ReviewWC& window, const std::string& script, const std::string& expected)
    {
        return ui::gtk3::runMainLoopUntil([&] { return ask(window, script) == expected; }, kTimeout);
    }
    std::shared_ptr<ReviewWC> openReader(const std::string& path)
    {
        library->openers().openReader(path, {});
        auto window = windows.windows().back();
        EXPECT_TRUE(waitFor(*window, "document.getElementById('annotb64') ? 'ready' : ''", "ready"));
        return window;
    }
    std::string shownPdf(ReviewWC& window) { return ask(window, "new URLSearchParams(location.search).get('pdf') || ''"); }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library
        = std::make_shared<library::LibraryLayer>(services, windows, library::LibraryHooks { .readerPdf = readerPdfFor });
    std::unique_ptr<WorkQueue> annotationQueue = makeSerialQueue("annotations-guitest");
};

TEST_F(AnnotationsOnScreen, TheAutosavedCopyIsShownWhenTheDocumentOpensAgain)
{
    const auto document = ikw::testing::writeTestFile(home.file("Matter/Lease.pdf"), pdf::testing::numberedPdf(2));
    const std::string annotated = pdf::testing::annotatedPdf();
    auto reader = openReader(document);
    EXPECT_EQ(shownPdf(*reader), document);

    reader->webView().evaluate("document.getElementById('annotb64').value = " + jsQuote(encodeBase64(annotated)) + ";"
                               "document.getElementById('autosave').click()");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return annotSidecarExists(document); }, kTimeout));
    annotationQueue->waitUntilIdle();
    EXPECT_EQ(ikw::testing::readTestFile(annotSidecarPath(document)), annotated);

    auto again = openReader(document);
    EXPECT_NE(again, reader);
    EXPECT_EQ(shownPdf(*again), annotSidecarPath(document));
    EXPECT_EQ(again->sourcePaths, std::vector<std::string> { document });
}

}
}
