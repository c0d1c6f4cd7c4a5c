#include "review/ResourceSchemes.h"

#include "platform/core/fake/ManualMainQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/ui/fake/FakeWebView.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::review {
namespace {

class ResourceSchemes : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerResourceSchemes(context, std::make_shared<PdfSchemeHandler>(queue),
            std::make_shared<PageImageSchemeHandler>(queue, std::make_shared<PageImageDocumentCache>()));
    }

    ikw::testing::TempHome home;
    ManualMainQueue queue;
    ui::fake::FakeWebContext context;
    const std::string path = ikw::testing::writeTestFile(home.file("doc.pdf"), pdf::testing::numberedPdf(2));
};

TEST_F(ResourceSchemes, AnswersReachTheWebViewsRequests)
{
    const auto pdf = context.request("vtpdf", "vtpdf://doc/?p=" + path);
    const auto page = context.request("vtpage", "vtpage://doc/?p=" + path + "&i=1&w=100");
    const auto missingPage = context.request("vtpage", "vtpage://doc/?p=" + path + "&i=2");
    const auto badRequest = context.request("vtpage", "vtpage://doc/?i=1");
    queue.drain();

    ASSERT_TRUE(pdf->response);
    EXPECT_EQ(pdf->response->mimeType, "application/pdf");
    EXPECT_EQ(pdf->response->body, ikw::testing::readTestFile(path));
    EXPECT_EQ(pdf->response->headers.size(), 4u);
    ASSERT_TRUE(page->response);
    EXPECT_EQ(page->response->mimeType, "image/png");
    EXPECT_EQ(missingPage->failure, "vtpage error 2");
    EXPECT_EQ(badRequest->failure, "vtpage error 1");
}

TEST_F(ResourceSchemes, RequestsOfAPageThatWentAwayGetNoAnswer)
{
    const auto pdf = context.request("vtpdf", "vtpdf://doc/?p=" + path);
    const auto page = context.request("vtpage", "vtpage://doc/?p=" + path);
    pdf->stopped = true;
    page->stopped = true;
    queue.drain();
    EXPECT_FALSE(pdf->response || pdf->failure);
    EXPECT_FALSE(page->response || page->failure);
}

}
}
