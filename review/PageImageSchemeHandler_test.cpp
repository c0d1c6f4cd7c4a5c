#include "review/PageImageSchemeHandler.h"

#include "platform/core/fake/ManualMainQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/fake/FakeSchemeRequest.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::review {
namespace {

using ikw::testing::writeTestFile;

struct PngSize {
    unsigned width;
    unsigned height;
    bool operator==(const PngSize&) const = default;
};

std::optional<PngSize> pngSize(const std::optional<SchemeResponse>& response)
{
    if (!response || response->body.size() < 24 || response->mimeType != "image/png")
        return std::nullopt;
    const auto bigEndian = [&](std::size_t at) {
        unsigned value = 0;
        for (std::size_t byte = 0; byte < 4; ++byte)
            value = value << 8 | static_cast<unsigned char>(response->body[at + byte]);
        return value;
    };
    return PngSize { bigEndian(16), bigEndian(20) };
}

class PageScheme : public ::testing::Test {
protected:
    FakeSchemeRequest load(const std::string& query)
    {
        FakeSchemeRequest request("vtpage://page/?" + query);
        handler.start(request.request(), request.reply());
        renderQueue.drain();
        return request;
    }

    ikw::testing::TempHome home;
    ManualMainQueue renderQueue;
    std::shared_ptr<PageImageDocumentCache> cache = std::make_shared<PageImageDocumentCache>();
    PageImageSchemeHandler handler { renderQueue, cache };
    // Page 1 is Letter, page 2 is A4 turned sideways, page 3 very tall.
    const std::string path = writeTestFile(home.file("doc.pdf"),
        pdf::testing::numberedPdf({ { pdf::kLetterPage, 0 }, { pdf::testing::kA4Page, 90 }, { { 0, 0, 100, 300 }, 0 } }));
    const std::string p = "p=" + path;
};

TEST_F(PageScheme, WidthAndIndexTable)
{
    struct Case {
        std::string query;
        std::optional<PngSize> size;
        std::optional<SchemeError> error;
    };
    const Case cases[] = {
        { p, PngSize { 1200, 1553 }, {} },
        { p + "&w=300", PngSize { 300, 388 }, {} },
        { p + "&w=10", PngSize { 64, 83 }, {} },
        { p + "&w=abc", PngSize { 1200, 1553 }, {} },
        { p + "&w=", PngSize { 1200, 1553 }, {} },
        { p + "&i=1&w=842", PngSize { 842, 595 }, {} },
        { p + "&i=x&w=300", PngSize { 300, 388 }, {} },
        { p + "&i=2&w=300", PngSize { 300, 900 }, {} },
        { p + "&i=2&w=99999", {}, SchemeError { "vtpage", 3 } }, // 6000 x 18000 is too many pixels
        { p + "&i=-1", {}, SchemeError { "vtpage", 2 } },
        { p + "&i=3", {}, SchemeError { "vtpage", 2 } },
        { p + "&i=99999999999999", {}, SchemeError { "vtpage", 2 } },
        { "p=" + home.file("missing.pdf"), {}, SchemeError { "vtpage", 2 } },
        { "p=" + writeTestFile(home.file("notes.txt"), "just text"), {}, SchemeError { "vtpage", 2 } },
        { "i=0&w=100", {}, SchemeError { "vtpage", 1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const FakeSchemeRequest request = load(c.query);
        ASSERT_EQ(request.answerCount(), 1u);
        EXPECT_EQ(pngSize(request.response()), c.size);
        EXPECT_EQ(request.error(), c.error);
    }
    EXPECT_EQ(pngSize(load(p + "&w=99999").response()), (PngSize { 6000, 7765 }));
}

TEST_F(PageScheme, BadRequestFailsAtOnceBeforeAnyWork)
{
    FakeSchemeRequest request("vtpage://page/?i=1");
    handler.start(request.request(), request.reply());
    EXPECT_EQ(request.error(), (SchemeError { "vtpage", 1 }));
    EXPECT_EQ(renderQueue.drain(), 0);
}

TEST_F(PageScheme, StoppedRequestGetsNoAnswerWhileOthersDo)
{
    FakeSchemeRequest stopped("vtpage://page/?" + p + "&w=100");
    FakeSchemeRequest failing("vtpage://page/?" + p + "&i=9");
    handler.start(stopped.request(), stopped.reply());
    handler.start(failing.request(), failing.reply());
    handler.stop(*stopped.request());
    handler.stop(*failing.request());
    // A new request made after the stop, perhaps at the very same address, is answered.
    FakeSchemeRequest later("vtpage://page/?" + p + "&w=100");
    handler.start(later.request(), later.reply());
    renderQueue.drain();
    EXPECT_EQ(stopped.answerCount(), 0u);
    EXPECT_EQ(failing.answerCount(), 0u);
    EXPECT_TRUE(later.response());
}

TEST_F(PageScheme, WorkLeftWhenTheHandlerGoesEndsSilently)
{
    FakeSchemeRequest request("vtpage://page/?" + p);
    {
        PageImageSchemeHandler shortLived(renderQueue, cache);
        shortLived.start(request.request(), request.reply());
    }
    EXPECT_EQ(renderQueue.drain(), 1);
    EXPECT_EQ(request.answerCount(), 0u);
}

TEST(PageSchemeConcurrency, ManyRequestsOnTheRealQueueAllGetTheirImage)
{
    ikw::testing::TempHome home;
    const std::string path = writeTestFile(home.file("many.pdf"), pdf::testing::numberedPdf(8));
    PageImageSchemeHandler handler;
    std::vector<FakeSchemeRequest> requests;
    for (int index = 0; index < 16; ++index)
        requests.emplace_back("vtpage://page/?p=" + path + "&i=" + std::to_string(index % 8) + "&w=200");
    for (const FakeSchemeRequest& request : requests)
        handler.start(request.request(), request.reply());
    for (const FakeSchemeRequest& request : requests) {
        ASSERT_TRUE(request.waitForAnswer());
        EXPECT_EQ(pngSize(request.response()), (PngSize { 200, 259 }));
    }
}

TEST(PageImageScale, ZeroWidthPagesRenderAtTwoAndScalesNeverFallUnderATenth)
{
    EXPECT_DOUBLE_EQ(pageImageScale(0, 1200), 2.0);
    EXPECT_DOUBLE_EQ(pageImageScale(-5, 1200), 2.0);
    EXPECT_DOUBLE_EQ(pageImageScale(600, 1200), 2.0);
    EXPECT_DOUBLE_EQ(pageImageScale(64'000, 64), 0.1);
}

}
}
