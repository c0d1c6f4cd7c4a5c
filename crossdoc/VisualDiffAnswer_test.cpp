#include "crossdoc/VisualDiffAnswer.h"

#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

using pdf::testing::numberedPdf;

class VisualDiffAnswers : public ::testing::Test {
protected:
    std::string fixture(const std::string& name, const std::string& bytes)
    {
        return ikw::testing::writeTestFile(home.file(name), bytes);
    }

    ikw::testing::TempHome home;
};

TEST_F(VisualDiffAnswers, IdenticalFilesHaveNoChangedCell)
{
    const auto a = fixture("a.pdf", numberedPdf(2));
    const auto b = fixture("b.pdf", numberedPdf(2));
    const auto answer = visualDiffPage(a, b, 1);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->at("page"), 2);
    EXPECT_EQ(answer->at("total"), 2);
    EXPECT_EQ(answer->at("frac"), 0.0);
    EXPECT_FALSE(answer->contains("added") || answer->contains("removed"));
    ASSERT_TRUE(answer->contains("a") && answer->contains("b"));
    EXPECT_FALSE(answer->at("b").get<std::string>().empty());
    EXPECT_EQ(answer->at("a"), answer->at("b"));
    EXPECT_EQ(answer->at("overlay"), answer->at("b"));
}

TEST_F(VisualDiffAnswers, PagesOnlyTheLongerDocumentHasAreAdded)
{
    const auto a = fixture("three.pdf", numberedPdf(3));
    const auto b = fixture("five.pdf", numberedPdf(5));
    for (const long long index : { 3, 4 }) {
        const auto answer = visualDiffPage(a, b, index);
        ASSERT_TRUE(answer) << index;
        EXPECT_EQ(answer->at("page"), index + 1);
        EXPECT_EQ(answer->at("total"), 5);
        EXPECT_EQ(answer->at("frac"), 1.0);
        EXPECT_EQ(answer->at("added"), true);
        EXPECT_EQ(answer->at("removed"), false);
        EXPECT_FALSE(answer->contains("a"));
        EXPECT_EQ(answer->at("overlay"), answer->at("b"));
    }
    const auto reversed = visualDiffPage(b, a, 4);
    ASSERT_TRUE(reversed);
    EXPECT_EQ(reversed->at("removed"), true);
    EXPECT_EQ(reversed->at("overlay"), reversed->at("a"));

    const auto first = visualDiffPage(a, b, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->at("total"), 5);
    EXPECT_EQ(first->at("frac"), 0.0);
}

TEST_F(VisualDiffAnswers, DifferentPagesGetATintedOverlay)
{
    using pdf::testing::textPdf;
    struct Case {
        const char* what;
        std::string a, b;
    };
    std::vector<std::string> manyLines;
    for (int line = 1; line <= 40; ++line)
        manyLines.push_back("Line " + std::to_string(line));
    const Case cases[] = {
        { "other words", textPdf({ { .lines = { "The rent is due on the first." } } }), textPdf({ { .lines = { "The rent is due on the fifth." } } }) },
        // Lines below the smaller page's edge meet its white padding.
        { "a smaller page", textPdf({ { .lines = manyLines } }), textPdf({ { .lines = manyLines, .mediaBox = { 0, 0, 300, 400 } } }) },
    };
    for (const auto& test : cases) {
        const auto answer = visualDiffPage(fixture("a.pdf", test.a), fixture("b.pdf", test.b), 0);
        ASSERT_TRUE(answer) << test.what;
        const double frac = answer->at("frac").get<double>();
        EXPECT_GT(frac, 0.0) << test.what;
        EXPECT_LT(frac, 0.9) << test.what;
        EXPECT_NE(answer->at("overlay"), answer->at("b")) << test.what;
        EXPECT_NE(answer->at("a"), answer->at("b")) << test.what;
    }
}

TEST_F(VisualDiffAnswers, PagesOutsideBothDocumentsGetNoAnswer)
{
    const auto a = fixture("a.pdf", numberedPdf(3));
    const auto b = fixture("b.pdf", numberedPdf(5));
    EXPECT_FALSE(visualDiffPage(a, b, 5));
    EXPECT_FALSE(visualDiffPage(a, b, -1));
}

TEST_F(VisualDiffAnswers, AFileThatIsNotAPdfGetsTheErrorAnswer)
{
    const auto pdfFile = fixture("a.pdf", numberedPdf(1));
    const auto text = fixture("notes.pdf", "these are notes, not a PDF\n");
    const Json expected = { { "page", 1 }, { "error", "This PDF could not be opened." } };
    EXPECT_EQ(visualDiffPage(pdfFile, text, 0), expected);
    EXPECT_EQ(visualDiffPage(home.file("missing.pdf"), pdfFile, 0), expected);
    EXPECT_EQ(visualDiffPage(pdfFile, fixture("locked.pdf", pdf::testing::encryptedPdf(1, "pw")), 0), expected);
}

}
}
