// The stand-in reader page in a real web view searches its document: the page sends
// "readersearch", the dispatcher runs the search on the workers, and the page lists the hits.
#include "crossdoc/CrossDocActions.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/EngineLocator.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

#include <glib.h>

namespace ikw::crossdoc {
namespace {

constexpr double kTimeout = 20;

using ReaderSearchOnScreen = ikw::testing::ReviewOnScreenFixture;

TEST_F(ReaderSearchOnScreen, TheReaderPageSearchesItsDocumentAndListsTheHits)
{
    WorkQueue workers { "reader-search-gui", 2 };
    const auto bridge = installPageBridge(services);
    registerActions(bridge->actions, { .workers = &workers });

    using pdf::testing::TextFixturePage;
    const std::string document = home.file("Matter/brief.pdf");
    ikw::testing::writeTestFile(document, pdf::testing::textPdf({ TextFixturePage { { "The INVOICE is attached." } },
        TextFixturePage { { "Nothing on this page." } }, TextFixturePage { { "A second invoice, paid." } } },
        "/PageLabels << /Nums [0 << /S /r >>] >>"));

    auto window = windows.open(std::nullopt);
    window->isReader = true;
    window->hasContent = true;
    window->sourcePaths = { document };
    gchar* escaped = g_uri_escape_string(document.c_str(), nullptr, false);
    window->webView().loadUrl("file://" + readerHTMLPath() + "?pdf=" + escaped + "&orig=" + escaped);
    g_free(escaped);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*window, "document.readyState === 'complete' && document.getElementById('q') ? 'ready' : ''") == "ready"; }, kTimeout));

    window->webView().evaluate("document.getElementById('q').value = 'invoice'; document.querySelector('#search button').click();");
    const std::string listed = "Array.from(document.querySelectorAll('#hits li')).map(function (li) { return li.textContent; }).join('|')";
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !ask(*window, listed).empty(); }, kTimeout)) << "no hits arrived";
    EXPECT_EQ(ask(*window, listed), "p. i: The INVOICE is attached.|p. iii: A second invoice, paid.");
    EXPECT_EQ(ask(*window, "document.getElementById('found').textContent"), "2 found");
}

}
}
