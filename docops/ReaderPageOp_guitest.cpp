// A reader page asks for a rotation through the real review window, dispatcher and change poll: the
// file on disk changes once and a fresh reader page for it loads once.
#include "app/Settings.h"
#include "docops/ReviewPageOps.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

#include <filesystem>

namespace ikw::docops {
namespace {

constexpr double kTimeout = 20;

int firstPageRotation(const std::string& path)
{
    const auto document = pdf::Document::openFile(path);
    return document ? document->pageRotation(0) : -1;
}

using ReaderPageOp = ikw::testing::ReviewOnScreenFixture;

TEST_F(ReaderPageOp, ARotationFromTheReaderWritesOnceAndReloadsOnce)
{
    cfgSetBool("pageops_confirm", false);
    WorkQueue workers { "pageops", 2 };
    RewriteQueue rewrites { workers };

    int pagesReady = 0;
    int reloadsInPlace = 0;
    std::vector<std::string> readerPagesFor;
    services.features.pushEditState = [&](ReviewWC&) { ++pagesReady; };
    services.features.reloadReaderInPlace = [&](ReviewWC&) { ++reloadsInPlace; };
    const std::string document = home.file("Matter/brief.pdf");
    const std::string page = joinPath(globals().archive, "reader.html");
    const auto bridge = installPageBridge(services);
    registerActions(bridge->actions,
        PageOpServices { .toolkit = toolkit.get(),
            .rewrites = &rewrites,
            .reloadSettingsPanelIfOpen = {},
            .readerURL = [&](const std::string& pdf) {
                readerPagesFor.push_back(pdf);
                return std::optional<std::string>("file://" + page);
            } });

    ikw::testing::writeTestFile(document, pdf::testing::numberedPdf(3));
    // The page asks once; window.name survives its reload.
    ikw::testing::writeTestFile(page,
        "<html><body><script>if (window.name !== 'asked') { window.name = 'asked';"
        " location.href = 'qeliz://pageop?op=rotate&pages=1'; }</script></body></html>");
    auto window = windows.open(page);
    window->isReader = true;
    window->hasContent = true;
    window->sourcePaths = { document };
    window->stampLoadedFile(document);

    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return firstPageRotation(document) == 90 && pagesReady == 2; }, kTimeout))
        << "rotation " << firstPageRotation(document) << ", reader pages " << readerPagesFor.size() << ", pages " << pagesReady;
    const auto written = std::filesystem::last_write_time(document);
    // Two more poll periods: the completion stamped the new file, so the poll finds nothing to reload.
    ui::gtk3::runMainLoopUntil([] { return false; }, 6);
    EXPECT_EQ(readerPagesFor, (std::vector<std::string> { document }));
    EXPECT_EQ(reloadsInPlace, 0);
    EXPECT_EQ(pagesReady, 2);
    EXPECT_EQ(std::filesystem::last_write_time(document), written);
    EXPECT_EQ(firstPageRotation(document), 90);
}

}
}
