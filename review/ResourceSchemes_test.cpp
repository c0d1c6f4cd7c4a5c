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
        registerResourceSchemes(context, { home.file("reviews") }, std::make_shared<PdfSchemeHandler>(queue),
            std::make_shared<PageImageSchemeHandler>(queue, std::make_shared<PageImageDocumentCache>()));
    }

    ikw::testing::TempHome home;
    ManualMainQueue queue;
    ui::fake::FakeWebContext context;
    const std::string path = ikw::testing::writeTestFile(home.file("doc.pdf"), pdf::testing::numberedPdf(2));
    const std::string page = "file://" + home.file("reviews/page.html");

    std::shared_ptr<ui::fake::FakeSchemeRequest> request(const std::string& scheme, const std::string& url)
    {
        return context.request(scheme, url, page);
    }
};

TEST_F(ResourceSchemes, AnswersReachTheWebViewsRequests)
{
    const auto pdf = request("vtpdf", "vtpdf://doc/?p=" + path);
    const auto image = request("vtpage", "vtpage://doc/?p=" + path + "&i=1&w=100");
    const auto missingPage = request("vtpage", "vtpage://doc/?p=" + path + "&i=2");
    const auto badRequest = request("vtpage", "vtpage://doc/?i=1");
    queue.drain();

    ASSERT_TRUE(pdf->response);
    EXPECT_EQ(pdf->response->mimeType, "application/pdf");
    EXPECT_EQ(pdf->response->body, ikw::testing::readTestFile(path));
    EXPECT_EQ(pdf->response->headers.size(), 4u);
    ASSERT_TRUE(image->response);
    EXPECT_EQ(image->response->mimeType, "image/png");
    EXPECT_EQ(missingPage->failure, "vtpage error 2");
    EXPECT_EQ(badRequest->failure, "vtpage error 1");
}

TEST_F(ResourceSchemes, RequestsOfAPageThatWentAwayGetNoAnswer)
{
    const auto pdf = request("vtpdf", "vtpdf://doc/?p=" + path);
    const auto image = request("vtpage", "vtpage://doc/?p=" + path);
    pdf->stopped = true;
    image->stopped = true;
    queue.drain();
    EXPECT_FALSE(pdf->response || pdf->failure);
    EXPECT_FALSE(image->response || image->failure);
}

TEST_F(ResourceSchemes, OnlyPagesUnderTheTrustedFoldersAreServed)
{
    const std::string strangers[] = {
        "file://" + home.file("Downloads/evil.html"),
        "file://" + home.file("reviews/../Downloads/evil.html"),
        "https://example.com/",
        "", // a view that is not one of ours
    };
    for (const auto& stranger : strangers) {
        const auto pdf = context.request("vtpdf", "vtpdf://doc/?p=" + path, stranger);
        const auto image = context.request("vtpage", "vtpage://doc/?p=" + path, stranger);
        queue.drain();
        EXPECT_EQ(pdf->failure, "vtpdf error 1") << stranger;
        EXPECT_EQ(image->failure, "vtpage error 1") << stranger;
        EXPECT_FALSE(pdf->response || image->response) << stranger;
    }
}

}
}
