// The WebKitGTK backend end to end, in an offscreen window under Xvfb.
#include "platform/core/GLibMainQueue.h"
#include "platform/core/Json.h"
#include "platform/ui/PageScript.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"

#include <cairo.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>

#include <thread>

namespace ikw::ui {
namespace {

constexpr double kTimeout = 15;

class WebViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gtk3::initializeGtk()) << "needs a display (run under xvfb-run)"; }

    void SetUp() override
    {
        context = toolkit->makeWebContext();
        window = toolkit->makeWindow({ .width = 400, .height = 300, .title = "test", .offscreen = true });
        view = addView();
        window->show();
    }

    std::shared_ptr<WebView> addView()
    {
        auto added = toolkit->makeWebView(context, {});
        window->addTab(added, "tab");
        return added;
    }

    static void load(WebView& target, const std::string& html)
    {
        bool finished = false;
        target.setLoadHandlers([&] { finished = true; }, [&](const std::string& reason) { FAIL() << reason; });
        target.loadHtml(html, "file:///");
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return finished; }, kTimeout));
        target.setLoadHandlers({}, {});
    }

    static ScriptResult call(WebView& target, const std::string& body, const Json& arguments = Json::object())
    {
        std::optional<ScriptResult> result;
        target.callAsync(body, arguments, [&](ScriptResult answer) { result = std::move(answer); });
        EXPECT_TRUE(gtk3::runMainLoopUntil([&] { return result.has_value(); }, kTimeout));
        return result.value_or(ScriptResult {});
    }

    GLibMainQueue queue;
    ScopedMainQueue installed { queue };
    std::unique_ptr<Toolkit> toolkit = gtk3::makeGtkToolkit();
    std::shared_ptr<WebContext> context;
    std::shared_ptr<Window> window;
    std::shared_ptr<WebView> view;
};

TEST_F(WebViewTest, SchemeAnsweredFromAWorkerThreadIsReadByFetch)
{
    std::thread::id answeredOn;
    std::vector<std::thread> workers;
    context->registerScheme("vtpdf", [&](std::shared_ptr<SchemeRequest> request) {
        workers.emplace_back([&answeredOn, request] {
            answeredOn = std::this_thread::get_id();
            request->respond({ .status = 206, .mimeType = "text/plain",
                .headers = { { "Access-Control-Allow-Origin", "*" }, { "Access-Control-Expose-Headers", "X-Page" }, { "X-Page", "7" } },
                .body = "bytes of " + request->url() });
        });
    });
    load(*view, "<p>fetching</p>");
    const auto result = call(*view,
        "const r = await fetch('vtpdf://doc/a.pdf?p=1'); return [r.status, r.headers.get('X-Page'), await r.text()];");
    for (auto& worker : workers)
        worker.join();
    ASSERT_FALSE(result.error) << *result.error;
    EXPECT_EQ(*result.value, Json::parse(R"([206, "7", "bytes of vtpdf://doc/a.pdf?p=1"])"));
    EXPECT_NE(answeredOn, std::this_thread::get_id());
}

TEST_F(WebViewTest, RequestsOfAPageCountAsStoppedOnceTheViewNavigatesAway)
{
    std::shared_ptr<SchemeRequest> held;
    context->registerScheme("vtpage", [&](std::shared_ptr<SchemeRequest> request) { held = std::move(request); });
    // The page never finishes loading while its image is unanswered.
    view->loadHtml("<img src='vtpage://doc/1.png'>", "file:///");
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return held != nullptr; }, kTimeout));
    EXPECT_FALSE(held->isStopped());
    load(*view, "<p>elsewhere</p>");
    EXPECT_TRUE(held->isStopped());
    SchemeResponse late;
    late.body = "late";
    held->respond(late); // dropped without harm
}

TEST_F(WebViewTest, PageNavigationsToActionUrlsReachTheHookAndAreCancelled)
{
    struct Case {
        const char* name;
        const char* script;
        bool newWindow;
    };
    const Case cases[] = {
        { "link click", "document.getElementById('same').click()", false },
        { "location.href", "location.href = 'qeliz://open?path=%2Fa'", false },
        { "target=_blank", "document.getElementById('blank').click()", true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<NavigationAction> seen;
        view->setNavigationPolicy([&](const NavigationAction& action) {
            if (action.url.rfind("qeliz:", 0) != 0)
                return NavigationPolicy::Allow;
            seen.push_back(action);
            return NavigationPolicy::Cancel;
        });
        load(*view, "<a id=same href='qeliz://open?path=%2Fa'>a</a><a id=blank target=_blank href='qeliz://open?path=%2Fa'>b</a>"
                    "<script>window.marker = 1</script>");
        view->evaluate(c.script);
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return !seen.empty(); }, kTimeout));
        EXPECT_EQ(seen[0].url, "qeliz://open?path=%2Fa");
        EXPECT_EQ(seen[0].newWindow, c.newWindow);
        // Cancelled: the page is still there.
        EXPECT_EQ(call(*view, "return window.marker;").value, Json(1));
    }
}

TEST_F(WebViewTest, LoadsTheProgramStartsAreNotPutToThePagePolicy)
{
    std::vector<std::string> seen;
    view->setNavigationPolicy([&](const NavigationAction& navigation) {
        seen.push_back(navigation.url);
        return NavigationPolicy::Cancel;
    });
    // HTML with a folder as its base: the base is no link of the page's.
    load(*view, "<p>loaded</p>");
    EXPECT_EQ(call(*view, "return document.body.textContent").value, Json("loaded"));
    EXPECT_TRUE(seen.empty());

    call(*view, "location.href = 'file:///tmp/'; return 1");
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return !seen.empty(); }, kTimeout));
    EXPECT_EQ(seen, (std::vector<std::string> { "file:///tmp/" }));
}

TEST_F(WebViewTest, ScriptMessagesReachTheHandlerOfTheTabThatSentThem)
{
    auto second = addView();
    std::vector<Json> first, other;
    view->setScriptMessageHandler([&](const Json& body) { first.push_back(body); });
    second->setScriptMessageHandler([&](const Json& body) { other.push_back(body); });
    load(*view, "<p>one</p>");
    load(*second, "<p>two</p>");
    second->evaluate("window.webkit.messageHandlers.inkwarden.postMessage({action: 'copy', text: 'x'})");
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return !other.empty(); }, kTimeout));
    EXPECT_EQ(other[0], Json::parse(R"({"action":"copy","text":"x"})"));
    EXPECT_TRUE(first.empty());
}

TEST_F(WebViewTest, GuardedCallbacksRunWhenDefinedAndStayQuietOtherwise)
{
    view->addUserScript("window.ikwEarly = 'set before the page';");
    load(*view, "<script>window.ikwToast = function(m) { document.title = m + ' ' + window.ikwEarly; }</script>");
    std::optional<ScriptResult> missing;
    view->evaluate(guardedCall("ikwMissing", jsQuote("x")), [&](ScriptResult result) { missing = std::move(result); });
    view->evaluate(guardedCall("ikwToast", jsQuote("</script>\u2028done")));
    EXPECT_EQ(call(*view, "return document.title;").value, Json("</script>\u2028done set before the page"));
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->error);
}

TEST_F(WebViewTest, AsyncCallsAwaitThePromiseAndGetTheirArguments)
{
    load(*view, "<p>x</p>");
    const auto result = call(*view, "return await new Promise(r => setTimeout(() => r(path + n), 10));",
        Json { { "path", "/a b/</script>" }, { "n", 2 } });
    EXPECT_EQ(result.value, Json("/a b/</script>2"));
    EXPECT_TRUE(call(*view, "throw new Error('nope');").error.has_value());
}

TEST_F(WebViewTest, SnapshotIsAPngOfThePage)
{
    load(*view, "<body style='margin:0;background:rgb(255,0,0)'></body>");
    std::optional<std::string> png;
    bool answered = false;
    view->snapshot([&](std::optional<std::string> bytes, std::string) {
        png = std::move(bytes);
        answered = true;
    });
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return answered; }, kTimeout));
    ASSERT_TRUE(png);
    struct Reader {
        const std::string& data;
        std::size_t offset = 0;
    } reader { *png };
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(
        [](void* closure, unsigned char* out, unsigned int length) {
            auto& r = *static_cast<Reader*>(closure);
            if (r.offset + length > r.data.size())
                return CAIRO_STATUS_READ_ERROR;
            std::copy_n(r.data.data() + r.offset, length, out);
            r.offset += length;
            return CAIRO_STATUS_SUCCESS;
        },
        &reader);
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 400);
    const auto* pixel = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(image)
        + 150 * cairo_image_surface_get_stride(image) + 200 * 4);
    EXPECT_EQ(*pixel & 0xFFFFFFu, 0xFF0000u);
    cairo_surface_destroy(image);
}

}
}

namespace ikw::ui {
namespace {

TEST_F(WebViewTest, WindowsKeepTabsInOrderAndMayRefuseToClose)
{
    auto second = addView();
    window->selectTab(0);
    auto third = addView(); // opens right after the selected tab
    EXPECT_EQ(window->tabCount(), 3);
    EXPECT_EQ(window->tab(1), third);
    EXPECT_EQ(window->tab(2), second);
    window->removeTab(*third);
    EXPECT_EQ(window->tab(1), second);

    bool allow = false, closed = false;
    window->setCloseHandler([&] { return allow; });
    window->setClosedHandler([&] { closed = true; });
    window->requestClose();
    EXPECT_FALSE(closed);
    allow = true;
    window->requestClose();
    EXPECT_TRUE(closed);
}

}
}

namespace ikw::ui {
namespace {

TEST_F(WebViewTest, DownloadsGoWhereTheHandlerSays)
{
    char folder[] = "/tmp/ikw-download.XXXXXX";
    ASSERT_TRUE(mkdtemp(folder));
    const std::string source = std::string(folder) + "/source.txt";
    g_file_set_contents(source.c_str(), "payload", -1, nullptr);
    std::string suggested;
    std::optional<std::optional<std::string>> saved;
    view->setDownloadEvents({
        .destination = [&](const std::string&, const std::string& name) -> std::optional<std::string> {
            suggested = name;
            return std::string(folder) + "/saved.txt";
        },
        .finished = [&](std::optional<std::string> path) { saved = std::move(path); },
    });
    view->download("file://" + source);
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return saved.has_value(); }, kTimeout));
    EXPECT_EQ(suggested, "source.txt");
    ASSERT_EQ(*saved, std::string(folder) + "/saved.txt");
    gchar* contents = nullptr;
    ASSERT_TRUE(g_file_get_contents(saved->value().c_str(), &contents, nullptr, nullptr));
    EXPECT_STREQ(contents, "payload");
    g_free(contents);
    g_remove(source.c_str());
    g_remove(saved->value().c_str());
    g_rmdir(folder);
}

}
}

namespace ikw::ui {
namespace {

// A folder of local pages for the frame tests, removed afterwards.
class LocalPages {
public:
    LocalPages()
    {
        char folder[] = "/tmp/ikw-frames.XXXXXX";
        EXPECT_TRUE(mkdtemp(folder));
        m_folder = folder;
    }
    ~LocalPages() { std::system(("rm -rf '" + m_folder + "'").c_str()); }
    std::string write(const std::string& name, const std::string& html) const
    {
        const std::string path = m_folder + "/" + name;
        g_file_set_contents(path.c_str(), html.c_str(), -1, nullptr);
        return path;
    }

private:
    std::string m_folder;
};

TEST_F(WebViewTest, EveryFramesDocumentReachesTheResponsePolicyBeforeItRuns)
{
    LocalPages pages;
    const auto inner = pages.write("inner.html", "<script>parent.postMessage('inner ran', '*')</script>");
    const auto outer = pages.write("outer.html",
        "<script>window.heard = []; addEventListener('message', function (e) { window.heard.push(e.data) })</script>"
        "<iframe src='inner.html'></iframe>");
    std::vector<DocumentResponse> seen;
    std::vector<std::string> navigations;
    view->setNavigationPolicy([&](const NavigationAction& action) {
        navigations.push_back(action.url);
        return NavigationPolicy::Allow;
    });
    for (const bool refuseInner : { false, true }) {
        SCOPED_TRACE(refuseInner ? "inner refused" : "inner shown");
        seen.clear();
        navigations.clear();
        view->setResponsePolicy([&](const DocumentResponse& document) {
            seen.push_back(document);
            return refuseInner && !document.mainFrame ? ResponsePolicy::Refuse : ResponsePolicy::Show;
        });
        bool finished = false;
        view->setLoadHandlers([&] { finished = true; }, [&](const std::string& reason) { FAIL() << reason; });
        view->loadFile(outer);
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return finished; }, kTimeout));
        gtk3::runMainLoopUntil([] { return false; }, 0.5);
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_TRUE(seen[0].mainFrame);
        EXPECT_EQ(seen[0].url, "file://" + outer);
        EXPECT_EQ(seen[0].mimeType, "text/html");
        EXPECT_TRUE(seen[0].canShow);
        EXPECT_FALSE(seen[1].mainFrame);
        EXPECT_EQ(seen[1].url, "file://" + inner);
        // The subframe's own load is put to the navigation policy too (the program's is not).
        EXPECT_EQ(navigations, std::vector<std::string> { "file://" + inner });
        EXPECT_EQ(view->documentUrl(), "file://" + outer);
        EXPECT_EQ(call(*view, "return window.heard.join(',');").value, Json(refuseInner ? "" : "inner ran"));
    }
}

TEST_F(WebViewTest, ATypeTheViewCannotShowBecomesADownloadWhenThePolicySaysSo)
{
    LocalPages pages;
    std::optional<DocumentResponse> asked;
    view->setResponsePolicy([&](const DocumentResponse& document) {
        if (document.url.rfind("blob:", 0) == 0)
            asked = document;
        return document.canShow ? ResponsePolicy::Show : ResponsePolicy::Download;
    });
    std::optional<std::optional<std::string>> saved;
    const std::string destination = pages.write("placeholder", "") + ".zip";
    view->setDownloadEvents({
        .destination = [&](const std::string&, const std::string&) -> std::optional<std::string> { return destination; },
        .finished = [&](std::optional<std::string> path) { saved = std::move(path); },
    });
    load(*view, "<p>page</p>");
    view->evaluate("location.href = URL.createObjectURL(new Blob(['PK zip bytes'], {type: 'application/zip'}))");
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return saved.has_value(); }, kTimeout));
    ASSERT_TRUE(asked);
    EXPECT_TRUE(asked->mainFrame);
    EXPECT_FALSE(asked->canShow);
    EXPECT_EQ(asked->mimeType, "application/zip");
    EXPECT_EQ(*saved, destination);
    gchar* contents = nullptr;
    ASSERT_TRUE(g_file_get_contents(destination.c_str(), &contents, nullptr, nullptr));
    EXPECT_STREQ(contents, "PK zip bytes");
    g_free(contents);
}

TEST_F(WebViewTest, LocalFilesAreReadAcrossOnlyWhereTheViewAllowsIt)
{
    LocalPages pages;
    const auto secret = pages.write("secret.txt", "SECRET");
    const auto page = pages.write("page.html", "<p>page</p>");
    const std::string readSecret = "try { const r = new XMLHttpRequest(); r.open('GET', 'file://' + secret, false); r.send(); return r.responseText; }"
                                   " catch (e) { return 'refused'; }";
    for (const bool allowed : { false, true }) {
        SCOPED_TRACE(allowed ? "review view" : "default view");
        auto tabView = toolkit->makeWebView(context, { .fileAccessFromFileUrls = allowed });
        window->addTab(tabView, "tab");
        bool finished = false;
        tabView->setLoadHandlers([&] { finished = true; }, {});
        tabView->loadFile(page);
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return finished; }, kTimeout));
        EXPECT_EQ(call(*tabView, readSecret, Json { { "secret", secret } }).value, Json(allowed ? "SECRET" : "refused"));
        window->removeTab(*tabView);
    }
}

}
}
