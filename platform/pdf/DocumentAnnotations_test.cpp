#include "platform/pdf/Document.h"

#include "platform/pdf/testing/PdfFixtures.h"

#include <gtest/gtest.h>

namespace ikw::pdf {
namespace {

using testing::TextFixturePage;

TEST(DocumentAnnotations, TextInARectangleOfThePagesOwnSpaceWhateverItsRotation)
{
    for (const int rotation : { 0, 90, 270 }) {
        const auto document = Document::fromBytes(testing::textPdf({ TextFixturePage {
            { "rent is due on the first", "late fee applies" }, kLetterPage, rotation } }));
        ASSERT_TRUE(document);
        // Baselines at 744 and 729.
        EXPECT_EQ(document->textInRect(0, { 30, 740, 300, 756 }), "rent is due on the first") << rotation;
        EXPECT_EQ(document->textInRect(0, { 30, 725, 300, 756 }), "rent is due on the first\nlate fee applies") << rotation;
        EXPECT_EQ(document->textInRect(0, { 300, 100, 400, 200 }), "") << rotation;
        EXPECT_EQ(document->textInRect(1, { 0, 0, 612, 792 }), "");
    }
}

TEST(DocumentAnnotations, AnnotationsCarryTheirAuthorAndQuadPoints)
{
    const auto document = Document::fromBytes(testing::textPdf({ TextFixturePage { {}, kLetterPage, 0,
        { "<< /Type /Annot /Subtype /Highlight /Rect [1 2 3 4] /QuadPoints [1 4 3 4 1 2 3 2] /T (Dana) >>",
            "<< /Type /Annot /Subtype (Square) /Rect [5 6 7 8] >>" } } }));
    ASSERT_TRUE(document);
    const auto annotations = document->pageAnnotations(0);
    ASSERT_EQ(annotations.size(), 2u);
    EXPECT_EQ(annotations[0].author, "Dana");
    EXPECT_EQ(annotations[0].quadPoints, (std::vector<double> { 1, 4, 3, 4, 1, 2, 3, 2 }));
    EXPECT_EQ(annotations[1].type, "Square"); // a subtype written as a string
    EXPECT_TRUE(annotations[1].quadPoints.empty());
}

}
}
