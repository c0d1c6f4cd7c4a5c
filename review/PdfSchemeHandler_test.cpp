#include "review/PdfSchemeHandler.h"

#include "platform/core/fake/ManualMainQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/fake/FakeSchemeRequest.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::review {
namespace {

using ikw::testing::writeTestFile;

class PdfScheme : public ::testing::Test {
protected:
    // Answers `url` with the handler, the file read running on the test's queue.
    FakeSchemeRequest load(const std::string& url)
    {
        FakeSchemeRequest request(url);
        handler.start(request.request(), request.reply());
        readQueue.drain();
        return request;
    }
    static std::string urlFor(const std::string& path) { return "vtpdf://file/?p=" + path; }

    ikw::testing::TempHome home;
    ManualMainQueue readQueue;
    PdfSchemeHandler handler { readQueue };
    const std::string pdfBytes = pdf::testing::numberedPdf(2);
};

TEST_F(PdfScheme, ServesAPdfWithItsHeaders)
{
    const std::string path = writeTestFile(home.file("folder with space/doc.pdf"), pdfBytes);
    const FakeSchemeRequest request = load("vtpdf://file/?p=" + home.path() + "/folder%20with%20space/doc.pdf");
    const std::optional<SchemeResponse> response = request.response();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 200);
    EXPECT_EQ(response->mimeType, "application/pdf");
    EXPECT_EQ(response->body, pdfBytes);
    const decltype(response->headers) headers = {
        { "Content-Type", "application/pdf" },
        { "Content-Length", std::to_string(pdfBytes.size()) },
        { "Cache-Control", "no-store" },
        { "Access-Control-Allow-Origin", "*" },
    };
    EXPECT_EQ(response->headers, headers);
    EXPECT_EQ(request.answerCount(), 1u);
}

TEST_F(PdfScheme, ServesOnlyRegularFilesThatLookLikePdfs)
{
    const std::string late = std::string(1024, ' ') + pdfBytes;
    const std::string early = std::string(1019, ' ') + pdfBytes;
    struct Case {
        std::string url;
        bool served;
    };
    const Case cases[] = {
        { urlFor(writeTestFile(home.file("early.pdf"), early)), true },
        { urlFor(writeTestFile(home.file("secret.txt"), "password=hunter2")), false },
        { urlFor(writeTestFile(home.file("late.pdf"), late)), false },
        { urlFor(writeTestFile(home.file("empty.pdf"), "")), false },
        { urlFor(home.file("missing.pdf")), false },
        { urlFor(home.path()), false },
        { urlFor("/dev/zero"), false },
        { "vtpdf://file/?q=" + home.file("early.pdf"), false },
        { "vtpdf://file/?p=", false },
        { "vtpdf://file/doc.pdf", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const FakeSchemeRequest request = load(c.url);
        ASSERT_EQ(request.answerCount(), 1u);
        if (c.served)
            EXPECT_TRUE(request.response());
        else
            EXPECT_EQ(request.error(), (SchemeError { "vtpdf", 1 }));
    }
}

TEST_F(PdfScheme, ReadsOffTheCallingThreadAndStaysSilentOnceStopped)
{
    const std::string url = urlFor(writeTestFile(home.file("doc.pdf"), pdfBytes));
    FakeSchemeRequest stopped(url);
    handler.start(stopped.request(), stopped.reply());
    FakeSchemeRequest kept(url);
    handler.start(kept.request(), kept.reply());
    EXPECT_EQ(kept.answerCount(), 0u);
    handler.stop(*stopped.request());
    readQueue.drain();
    EXPECT_EQ(stopped.answerCount(), 0u);
    EXPECT_TRUE(kept.response());
}

}
}
