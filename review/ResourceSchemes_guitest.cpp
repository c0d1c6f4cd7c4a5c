// A page in a real web view fetches both resource schemes.
#include "review/ResourceSchemes.h"

#include "platform/core/GLibMainQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"
#include "tests/support/TempHome.h"

#include <memory>
#include <gtest/gtest.h>

namespace ikw::review {
namespace {

constexpr double kTimeout = 20;

TEST(ResourceSchemesInAWebView, APageFetchesPdfBytesAndAPageImage)
{
    ASSERT_TRUE(ui::gtk3::initializeGtk()) << "needs a display (run under xvfb-run)";
    GLibMainQueue queue;
    ScopedMainQueue installed { queue };
    ikw::testing::TempHome home;
    const std::string path = ikw::testing::writeTestFile(home.file("doc.pdf"), pdf::testing::numberedPdf(3));
    const std::string text = ikw::testing::writeTestFile(home.file("notes.txt"), "not a PDF");

    std::unique_ptr<ui::Toolkit> toolkit = ui::gtk3::makeGtkToolkit();
    std::shared_ptr<ui::WebContext> context = toolkit->makeWebContext();
    registerResourceSchemes(*context, { home.file("reviews") });
    std::shared_ptr<ui::Window> window = toolkit->makeWindow({ .width = 400, .height = 300, .title = "schemes", .offscreen = true });
    std::shared_ptr<ui::WebView> view = toolkit->makeWebView(context, {});
    window->addTab(view, "tab");
    window->show();

    const auto fetchFrom = [&](const std::string& pageUrl) {
        bool loaded = false;
        view->setLoadHandlers([&] { loaded = true; }, [&](const std::string& reason) { FAIL() << reason; });
        view->loadHtml("<p>schemes</p>", pageUrl);
        EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return loaded; }, kTimeout));
        // Shared with the callback: the answer may come after the wait gives up.
        const auto slot = std::make_shared<std::optional<ui::ScriptResult>>();
        auto& result = *slot;
        view->callAsync(R"(
            let pdf;
            try { pdf = await fetch('vtpdf://doc/?p=' + encodeURIComponent(pdfPath)); } catch (e) { return 'refused'; }
            const bytes = await pdf.arrayBuffer();
            let refused = 'answered';
            try { await fetch('vtpdf://doc/?p=' + encodeURIComponent(textPath)); } catch (e) { refused = 'refused'; }
            const image = new Image();
            await new Promise((resolve, reject) => {
                image.onload = resolve;
                image.onerror = reject;
                image.src = 'vtpage://doc/?p=' + encodeURIComponent(pdfPath) + '&i=2&w=300';
            });
            return [pdf.status, pdf.headers.get('Content-Type'), bytes.byteLength, refused, image.naturalWidth, image.naturalHeight];)",
            Json { { "pdfPath", path }, { "textPath", text } }, [slot](ui::ScriptResult answer) { *slot = std::move(answer); });
        EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return result.has_value(); }, kTimeout));
        return result.value_or(ui::ScriptResult {});
    };

    // A page of the trusted folder gets both.
    const auto trusted = fetchFrom("file://" + home.file("reviews/page.html"));
    ASSERT_TRUE(trusted.value) << trusted.error.value_or("");
    const Json expected = Json::array({ 200, "application/pdf", ikw::testing::readTestFile(path).size(), "refused", 300, 388 });
    EXPECT_EQ(*trusted.value, expected);
    // Any other page gets neither.
    const auto stranger = fetchFrom("file://" + home.file("Downloads/page.html"));
    EXPECT_EQ(stranger.value, Json("refused")) << stranger.error.value_or("");
}

}
}
