// Two stand-in readers in real web views link a passage of one to a passage of the other through
// the page actions, as the application wires them: both pages hear link mode, the creation and
// the reload, list the link, and a jump focuses the other end, also in a reader that has to open
// first.
#include "crossdoc/CrossDocActions.h"
#include "crossdoc/LinksController.h"
#include "crossdoc/LinksStore.h"
#include "library/LibraryLayer.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

namespace ikw::crossdoc {
namespace {

constexpr double kTimeout = 30;

class LinksOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    LinksOnScreen()
    {
        // Separate windows, so that one reader can leave the screen alone.
        ikw::testing::writeTestFile(globals().configPath, R"({"open_in":"window"})");
        registerActions(bridge->actions, { .links = links });
    }

    std::string textOf(ReviewWC& window, const std::string& id) { return ask(window, "document.getElementById('" + id + "').textContent"); }
    bool waitFor(ReviewWC& window, const std::string& script, const std::string& expected)
    {
        return ui::gtk3::runMainLoopUntil([&] { return ask(window, script) == expected; }, kTimeout);
    }
    void click(ReviewWC& window, const std::string& selector)
    {
        window.webView().evaluate("document.querySelector(" + jsQuote(selector) + ").click()");
    }

    // A reader opened as the application opens one, once its page has loaded and listed its links.
    std::shared_ptr<ReviewWC> openReader(const std::string& path)
    {
        library->openers().openReader(path, {});
        auto window = windows.windows().back();
        EXPECT_TRUE(waitFor(*window, "document.body && document.body.dataset.linkLists ? 'ready' : ''", "ready"));
        return window;
    }

    std::string makeDocument(const std::string& name, const std::string& line)
    {
        using pdf::testing::TextFixturePage;
        return ikw::testing::writeTestFile(home.file("Matter/" + name), pdf::testing::textPdf({ TextFixturePage { { line } } }));
    }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<LinksController> links = std::make_shared<LinksController>([this] { return library; });
};

TEST_F(LinksOnScreen, TwoReadersMakeAListAndJumpAlongALink)
{
    const auto lease = makeDocument("it's a lease.pdf", "Rent is due on the first.");
    const auto memo = makeDocument("R\u00e9sum\u00e9 memo.pdf", "Grace period of five days.");
    auto first = openReader(lease);
    auto second = openReader(memo);
    ASSERT_TRUE(first->isReader && second->isReader);

    const std::string passage = "Rent is due \u2014 it's\nthe first";
    first->webView().evaluate("document.getElementById('passage').value = " + jsQuote(passage));
    click(*first, "#linkfrom");
    for (auto* reader : { first.get(), second.get() })
        EXPECT_TRUE(waitFor(*reader, "document.getElementById('linkmode').textContent", "Linking from it's a lease.pdf \u00b7 p.1"));
    EXPECT_EQ(textOf(*second, "toast"), "Linking: select a passage in another document, then Link here");

    second->webView().evaluate("document.getElementById('passage').value = 'Grace period \u00fcber alles'");
    click(*second, "#linkhere");
    for (auto* reader : { first.get(), second.get() }) {
        EXPECT_TRUE(waitFor(*reader, "document.body.dataset.linkReloads || ''", "1"));
        EXPECT_EQ(textOf(*reader, "linkmode"), "");
        EXPECT_EQ(textOf(*reader, "toast"), "Link created");
    }
    const auto stored = loadLinks();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]["a"]["path"], lease);
    EXPECT_EQ(stored[0]["a"]["text"], passage);
    EXPECT_EQ(stored[0]["a"]["rect"], Json::array({ 72, 700, 300, 716 })); // the page's own fields survive
    EXPECT_EQ(stored[0]["b"]["path"], memo);
    const std::string id = stored[0]["id"];

    // The reload asked for the list again: each page lists the link from its own end.
    const std::string listed = "Array.from(document.querySelectorAll('#links li')).map(function (li) { return li.firstChild.textContent; }).join('|')";
    EXPECT_TRUE(waitFor(*first, listed, passage + " \u2192 Grace period \u00fcber alles "));
    EXPECT_TRUE(waitFor(*second, listed, "Grace period \u00fcber alles \u2192 " + passage + " "));

    // A jump to the other end focuses it in its reader.
    click(*first, "#links li button");
    EXPECT_TRUE(waitFor(*second, "document.getElementById('focus').textContent", "Focused b of " + id));

    // With that reader off the screen the jump opens the document again, and the new reader gets
    // the focus with its first list.
    second->window().hide();
    const auto before = windows.windows().size();
    click(*first, "#links li button");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return windows.windows().size() == before + 1; }, kTimeout));
    const auto reopened = windows.windows().back();
    EXPECT_EQ(reopened->sourcePaths, std::vector<std::string> { memo });
    EXPECT_TRUE(waitFor(*reopened, "document.getElementById('focus') ? document.getElementById('focus').textContent : ''", "Focused b of " + id));
    EXPECT_FALSE(links->pendingLinkFocus);
}

}
}
