#include "crossdoc/AnnotationExport.h"

#include "platform/pdf/testing/PdfFixtures.h"

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

using pdf::kLetterPage;
using pdf::testing::TextFixturePage;

AnnotationExport exportOf(const std::vector<TextFixturePage>& pages, const std::string& title = "Doc.pdf")
{
    const auto document = pdf::Document::fromBytes(pdf::testing::textPdf(pages));
    EXPECT_TRUE(document);
    return document ? runAnnotationExport(*document, title) : AnnotationExport {};
}

// Set at the baselines 744 and 729, from x = 36.
const std::vector<std::string> kLeaseLines { "rent is due on the first", "late fee applies" };

TEST(AnnotationExport, AHighlightWithACommentReadsAsTheExportShowsIt)
{
    const auto exported = exportOf({
        TextFixturePage {},
        TextFixturePage { kLeaseLines, kLetterPage, 0,
            {
                "<< /Type /Annot /Subtype /Link /Rect [72 400 200 420] >>",
                "<< /Type /Annot /Subtype /Highlight /Rect [34 740 260 756] /QuadPoints [34 756 260 756 34 740 260 740]"
                " /T (Dana) /Contents (check the grace period) >>",
            } },
    }, "Lease.pdf");
    ASSERT_EQ(exported.items.size(), 1u);
    EXPECT_EQ(exported.items[0], (IKWAnno { 2, "Highlight", "rent is due on the first", "check the grace period", "Dana" }));
    EXPECT_EQ(exported.markdown,
        "# Annotations \u2014 Lease.pdf\n"
        "\n"
        "_1 annotation \u00B7 exported by Inkwarden_\n"
        "\n"
        "## Page 2\n"
        "\n"
        "> rent is due on the first\n"
        ">\n"
        "> check the grace period\n"
        "\n"
        "_Highlight \u2014 Dana_\n"
        "\n");
}

TEST(AnnotationExport, KindsDecideWhatBecomesARecordInTopToBottomOrder)
{
    const auto exported = exportOf({ TextFixturePage { kLeaseLines, kLetterPage, 0,
        {
            "<< /Type /Annot /Subtype /Square /Rect [300 100 320 120] /Contents ( ok \n) >>",
            "<< /Type /Annot /Subtype /Square /Rect [300 700 320 720] /Contents () >>",
            "<< /Type /Annot /Subtype /Highlight /Rect [300 300 400 320] /QuadPoints [300 320 400 320 300 300 400 300] >>",
            "<< /Type /Annot /Subtype /Popup /Rect [300 750 320 770] /Contents (popup) >>",
            "<< /Type /Annot /Subtype /Widget /Rect [300 740 320 760] /Contents (field) >>",
            "<< /Type /Annot /Subtype /FreeText /Rect [300 200 320 220] /Contents (  typed  ) /T (Ann) >>",
            "<< /Type /Annot /Subtype /Text /Rect [300 650 320 670] /Contents (sticky) >>",
            "<< /Type /Annot /Subtype /Underline /Rect [34 725 200 738] >>",
        } } });
    const std::vector<IKWAnno> expected {
        { 1, "Underline", "late fee applies", "", "" }, // no quad points: the rectangle's text
        { 1, "Note", "", "sticky", "" },
        { 1, "Note", "", "typed", "Ann" },
        { 1, "Square", "", "ok", "" },
    };
    EXPECT_EQ(exported.items, expected);
}

TEST(AnnotationExport, MarkdownStartsAPageHeadingOnlyWhereThePageChanges)
{
    const std::vector<IKWAnno> items {
        { 1, "Square", "", "first", "" },
        { 1, "Highlight", "quoted", "", "Dana" },
        { 3, "Note", "", "last", "Lee" },
    };
    EXPECT_EQ(annotationMarkdown(items, "T"),
        "# Annotations \u2014 T\n\n_3 annotations \u00B7 exported by Inkwarden_\n"
        "\n## Page 1\n\n**Note:** first\n\n> quoted\n\n_Highlight \u2014 Dana_\n\n"
        "\n## Page 3\n\n**Note \u2014 Lee:** last\n\n");
}

}
}
