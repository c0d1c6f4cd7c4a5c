// The stand-in review page in a real web view searches its folder: the page sends "search", the
// index catches up with the folder while the page shows its progress, and the hits of a Word
// document and a PDF arrive.
#include "crossdoc/CrossDocActions.h"
#include "crossdoc/CrossFolderSearch.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/EngineLauncher.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"
#include "tests/support/ZipFixtures.h"

namespace ikw::crossdoc {
namespace {

constexpr double kTimeout = 30;

class CrossFolderSearchOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    CrossFolderSearchOnScreen()
    {
        services.shellEngine = [this](std::vector<std::string> arguments) { engine.shellEngine(std::move(arguments)); };
        registerActions(bridge->actions, { .workers = &workers, .search = search });
    }
    ~CrossFolderSearchOnScreen() override { search->shutdown(); }

    EngineLauncher engine;
    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    WorkQueue workers { "cross-folder-search-gui", 2 };
    std::shared_ptr<CrossFolderSearch> search = std::make_shared<CrossFolderSearch>(workers);
};

TEST_F(CrossFolderSearchOnScreen, TheReviewPageGetsProgressThenHitsFromAWordDocumentAndAPdf)
{
    const std::string folder = home.file("Matter");
    ikw::testing::writeTestFile(folder + "/brief.pdf",
        pdf::testing::textPdf({ pdf::testing::TextFixturePage { { "Nothing here." } }, pdf::testing::TextFixturePage { { "The retainer is due." } } }));
    ikw::testing::writeTestFile(folder + "/letter.docx", ikw::testing::zipBytes({ { "[Content_Types].xml", "<Types/>" },
        { "word/document.xml", "<?xml version=\"1.0\"?><w:document xmlns:w=\"urn:w\"><w:body><w:p><w:r><w:t>Our retainer letter</w:t></w:r></w:p>"
                               "</w:body></w:document>" } }));

    const auto window = windows.open(std::nullopt);
    window->loadReview({ folder }, std::nullopt);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*window, "document.readyState === 'complete' && document.getElementById('q') ? 'ready' : ''") == "ready"; }, kTimeout));

    window->webView().evaluate("document.getElementById('q').value = 'retainer'; document.querySelector('#search button').click();");
    const auto state = [&] { return ask(*window, "document.body.dataset.searchState || ''"); };
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return state() == "indexed"; }, kTimeout)) << state();
    EXPECT_EQ(ask(*window, "document.body.dataset.progressSteps || ''"), "2");
    EXPECT_EQ(ask(*window, "document.getElementById('progress').textContent").rfind("Indexing 2 of 2: ", 0), 0u);
    EXPECT_EQ(ask(*window, "document.getElementById('found').textContent"), "2 documents, 2 hits");
    const std::string listed = ask(*window, "Array.from(document.querySelectorAll('#hits li')).map(function (li) { return li.textContent; }).sort().join('|')");
    EXPECT_EQ(listed, "brief.pdf page 2: The retainer is due.|letter.docx para \u00b61: Our retainer letter");
}

}
}
