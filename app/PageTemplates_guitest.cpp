// The built-in pages in WebKitGTK, the engine the product shows them in: what they ask for through
// "qeliz" actions and what they do with the answers.
#include "app/Brand.h"
#include "app/PageTemplates.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"
#include "tests/support/TempHome.h"

#include <memory>
#include <glib.h>
#include <gtest/gtest.h>

#include <deque>

namespace ikw {
namespace {

constexpr double kTimeout = 15;

// The percent-decoded value of a query item of an action URL ("+" stays a plus).
std::string queryItem(const std::string& url, const std::string& name)
{
    const std::size_t question = url.find('?');
    if (question == std::string::npos)
        return {};
    GHashTable* items = g_uri_parse_params(url.c_str() + question + 1, -1, "&", G_URI_PARAMS_NONE, nullptr);
    if (!items)
        return {};
    const auto* value = static_cast<const char*>(g_hash_table_lookup(items, name.c_str()));
    std::string result = value ? value : "";
    g_hash_table_unref(items);
    return result;
}

std::string actionOf(const std::string& url)
{
    return url.substr(0, url.find('?'));
}

class PageTemplatesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(ui::gtk3::initializeGtk()) << "needs a display (run under xvfb-run)"; }

    void SetUp() override
    {
        window = toolkit->makeWindow({ .width = 900, .height = 700, .title = "pages", .offscreen = true });
        view = toolkit->makeWebView(toolkit->makeWebContext(), {});
        window->addTab(view, "page");
        window->show();
        view->setNavigationPolicy([this](const ui::NavigationAction& action) {
            if (!action.url.starts_with("qeliz:"))
                return ui::NavigationPolicy::Allow;
            actions.push_back(action.url);
            return ui::NavigationPolicy::Cancel;
        });
    }

    void load(const std::string& html)
    {
        bool finished = false;
        view->setLoadHandlers([&] { finished = true; }, [&](const std::string& reason) { ADD_FAILURE() << reason; });
        view->loadHtml(html, "file:///");
        ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return finished; }, kTimeout));
        view->setLoadHandlers({}, {});
    }

    Json run(const std::string& body)
    {
        // Shared with the callback: the answer may come after the wait gives up.
        const auto slot = std::make_shared<std::optional<ui::ScriptResult>>();
        auto& result = *slot;
        view->callAsync(body, Json::object(), [slot](ui::ScriptResult answer) { *slot = std::move(answer); });
        EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return result.has_value(); }, kTimeout));
        if (!result || result->error) {
            ADD_FAILURE() << body << ": " << (result && result->error ? *result->error : "no answer");
            return {};
        }
        return result->value.value_or(Json());
    }

    // Like run(), for a page that may be between loads: an error answers null.
    Json peek(const std::string& body)
    {
        // Shared with the callback: the answer may come after the wait gives up.
        const auto slot = std::make_shared<std::optional<ui::ScriptResult>>();
        auto& result = *slot;
        view->callAsync(body, Json::object(), [slot](ui::ScriptResult answer) { *slot = std::move(answer); });
        if (!ui::gtk3::runMainLoopUntil([&] { return result.has_value(); }, kTimeout) || result->error)
            return {};
        return result->value.value_or(Json());
    }

    Json text(const std::string& selector) { return run("return document.querySelector(" + jsQuote(selector) + ").textContent;"); }
    void click(const std::string& selector) { run("document.querySelector(" + jsQuote(selector) + ").click();"); }

    // The next action the page sent.
    std::string nextAction()
    {
        EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !actions.empty(); }, kTimeout));
        if (actions.empty())
            return {};
        std::string url = actions.front();
        actions.pop_front();
        return url;
    }

    // Sends a marker action and expects it to be the next one: nothing was sent before it.
    void expectNoAction()
    {
        run("location.href = 'qeliz://marker';");
        EXPECT_EQ(nextAction(), "qeliz://marker");
    }

    GLibMainQueue queue;
    ScopedMainQueue installed { queue };
    std::unique_ptr<ui::Toolkit> toolkit = ui::gtk3::makeGtkToolkit();
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::WebView> view;
    std::deque<std::string> actions;
};

TEST_F(PageTemplatesTest, LoadingPageStepsThroughItsMessagesAndShowsTheFinishedReview)
{
    testing::TempHome home;
    const std::string file = testing::writeTestFile(home.file(".loading-x.html"), loadingPage(Brand::fallback()));
    // A clock that moves one message (1.5 s) per load: each reload carries the time it was made.
    view->addUserScript("Date.now = function () { return Number(new URLSearchParams(location.search).get('_') || 0) + 1500; };");
    view->loadFile(file);
    const auto status = [&] { return peek("const s = document.getElementById('s'); return s ? location.search + ' ' + s.textContent : null;"); };
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !status().is_null(); }, kTimeout));
    EXPECT_EQ(status(), " Gathering your files…");
    EXPECT_EQ(text("a[href='qeliz://cancel']"), "Cancel");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return status() == "?_=1500 Looking everything over…"; }, kTimeout)) << status();

    testing::writeTestFile(file, "<!doctype html><title>Finished</title><p>review</p>");
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return peek("return document.title;") == "Finished"; }, kTimeout));
}

TEST_F(PageTemplatesTest, AskPageSendsOneRequestAtATimeAndHighlightsCitations)
{
    const std::string folder = "/docs/My \"folder\" </script><!--<script> 100%";
    const std::string hostileName = "<img src=x onerror=window.pwned=1>";
    load(fillAskPage(askPageTemplate(Brand::fallback()), AskPageScope {
        .path = folder,
        .name = hostileName,
        .isFolder = true,
        .files = { { "a.pdf", "PDF" }, { "b \"2\".docx", "DOCX" } },
        .count = 5,
    }));
    const std::string status = nextAction();
    EXPECT_EQ(actionOf(status), "qeliz://ai");
    EXPECT_EQ(queryItem(status, "mode"), "status");
    EXPECT_EQ(queryItem(status, "doc"), folder);
    EXPECT_EQ(run("return window.pwned === undefined;"), true);
    EXPECT_EQ(text("#scopeName"), hostileName);
    EXPECT_EQ(text("#scopeSub"), "Folder · 5 documents");
    EXPECT_EQ(run("return document.querySelectorAll('.row').length;"), 2);
    EXPECT_EQ(text(".more"), "+ 3 more not shown");

    // Asking only the focused file.
    click(".row[data-name='a.pdf']");
    EXPECT_EQ(text("#scopeSub"), "1 of 5 in " + hostileName);
    run("document.getElementById('question').value = 'What is due?'; document.getElementById('composer').requestSubmit();");
    const std::string ask = nextAction();
    EXPECT_EQ(queryItem(ask, "mode"), "ask");
    EXPECT_EQ(queryItem(ask, "id"), "m1");
    EXPECT_EQ(queryItem(ask, "doc"), folder + "/a.pdf");
    EXPECT_EQ(queryItem(ask, "q"), "What is due?");
    EXPECT_EQ(run("return document.getElementById('askButton').disabled;"), true);

    // While the answer is out, nothing else is sent.
    run("document.getElementById('question').value = 'And then?'; document.getElementById('composer').requestSubmit();");
    click("#quick button");
    expectNoAction();

    run("iwReply('m1', { answer: 'Pay within 30 days (p. 4) and [the buyer pays, p.7]; not (page 3) nor [unrelated]', pages: [4, 7], ms: 1234 });");
    EXPECT_EQ(run("return Array.from(document.querySelectorAll('#m1 mark.cite')).map(m => m.textContent);"),
        Json({ "(p. 4)", "[the buyer pays, p.7]" }));
    EXPECT_EQ(text("#m1 .foot span"), "Read pages 4, 7 · 1.2s");
    EXPECT_EQ(run("return document.getElementById('askButton').disabled;"), false);

    click("#askAll");
    EXPECT_EQ(text("#scopeSub"), "Folder · 5 documents");
    click("#quick button");
    const std::string summarize = nextAction();
    EXPECT_EQ(queryItem(summarize, "mode"), "summarize");
    EXPECT_EQ(queryItem(summarize, "id"), "m2");
    EXPECT_EQ(queryItem(summarize, "doc"), folder);
    run("iwReply('m2', { summary: '' });");
    EXPECT_EQ(text("#m2 .body"), "(no answer)");

    run("iwStatus({ running: false });");
    EXPECT_EQ(run("return getComputedStyle(document.getElementById('banner')).display;"), "block");
}

TEST_F(PageTemplatesTest, AskPageOnAnEmptyFolder)
{
    load(fillAskPage(askPageTemplate(Brand::fallback()),
        AskPageScope { .path = "/empty", .name = "empty", .isFolder = true, .files = {}, .count = 0 }));
    nextAction();
    EXPECT_EQ(run("return document.querySelectorAll('.row').length;"), 0);
    EXPECT_EQ(text("#files .empty"),
        "No readable documents found in this folder. Use Switch… to pick a different folder or a single file.");
}

TEST_F(PageTemplatesTest, VisualDiffNextChangeWalksPageByPage)
{
    const std::string a = "/x/</script>/old \"v1\" <b>.pdf";
    const std::string b = "/x/new & v2.pdf";
    load(fillVisualDiffPage(visualDiffPageTemplate(), a, b));
    const std::string first = nextAction();
    EXPECT_EQ(actionOf(first), "qeliz://visualdiff");
    EXPECT_EQ(queryItem(first, "page"), "1");
    EXPECT_EQ(queryItem(first, "a"), a);
    EXPECT_EQ(queryItem(first, "b"), b);
    EXPECT_EQ(text("#nameA"), "old \"v1\" <b>.pdf");
    EXPECT_EQ(run("return document.getElementById('nameA').title;"), a);

    run("ikwVisualDiff({ page: 1, total: 4, frac: 0 });");
    EXPECT_EQ(text("#pageLabel"), "1 / 4");
    EXPECT_EQ(text("#changeLabel"), "identical");
    click("#prev");
    expectNoAction();

    click("#nextChange");
    EXPECT_EQ(queryItem(nextAction(), "page"), "2");
    run("ikwVisualDiff({ page: 2, total: 4, frac: 0 });");
    EXPECT_EQ(queryItem(nextAction(), "page"), "3");
    run("ikwVisualDiff({ page: 3, total: 4, frac: 0.256 });");
    EXPECT_EQ(text("#pageLabel"), "3 / 4");
    EXPECT_EQ(text("#changeLabel"), "26% changed");

    click("#nextChange");
    EXPECT_EQ(queryItem(nextAction(), "page"), "4");
    run("ikwVisualDiff({ page: 4, total: 4, removed: true, frac: 1 });");
    EXPECT_EQ(text("#pageLabel"), "4 / 4");
    EXPECT_EQ(text("#changeLabel"), "page removed");

    click("#nextChange");
    EXPECT_EQ(text("#message"), "No further changes");
    click("#next");
    click("#prev");
    expectNoAction(); // page 3 is cached
    EXPECT_EQ(text("#changeLabel"), "26% changed");
}

TEST_F(PageTemplatesTest, CompareIntakeFillsSwapsAndComparesBothSlots)
{
    load(compareIntakePage());
    EXPECT_EQ(run("return window.__intakeReady;"), true);
    click("#compare");
    expectNoAction();

    click("#slot-b");
    EXPECT_EQ(nextAction(), "qeliz://comparepick?side=b");
    const std::string older = "/x/old & \"draft\".pdf";
    run("ikwCompareSet('a', " + jsQuote(older) + ", 'old.pdf'); ikwCompareSet('b', '/x/new.pdf', 'new.pdf');");
    EXPECT_EQ(text("#slot-a .main"), "old.pdf");
    EXPECT_EQ(text("#slot-a .hint"), "drop or click to choose a different file");

    click("#swap");
    EXPECT_EQ(text("#slot-a .main"), "new.pdf");
    click("#compare");
    const std::string go = nextAction();
    EXPECT_EQ(actionOf(go), "qeliz://comparego");
    EXPECT_EQ(queryItem(go, "a"), "/x/new.pdf");
    EXPECT_EQ(queryItem(go, "b"), older);

    click("#slot-a .remove");
    EXPECT_EQ(text("#slot-a .main"), "Drop the older document here");
    EXPECT_EQ(run("return document.getElementById('compare').disabled;"), true);
    expectNoAction();
}

}
}
