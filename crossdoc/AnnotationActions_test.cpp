#include "crossdoc/AnnotationActions.h"

#include "crossdoc/AnnotationSidecars.h"
#include "crossdoc/CrossDocActions.h"
#include "crossdoc/LinksStore.h"
#include "platform/core/Base64.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/pdf/testing/RichPdf.h"
#include "review/PageBridgeTestFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw::crossdoc {
namespace {

using pdf::testing::TextFixturePage;

std::string notesToast(const std::string& message) { return "if(window.ikwNotesToast){ikwNotesToast('" + message + "')}"; }
std::string toast(const std::string& message) { return "window.__ikwToast && __ikwToast('" + message + "')"; }

// The lease of the export example: a highlight with a comment on page 2.
std::string leasePdf()
{
    return pdf::testing::textPdf({
        TextFixturePage {},
        TextFixturePage { { "rent is due on the first", "late fee applies" }, pdf::kLetterPage, 0,
            { "<< /Type /Annot /Subtype /Highlight /Rect [34 740 260 756] /QuadPoints [34 756 260 756 34 740 260 740]"
              " /T (Dana) /Contents (check the grace period) >>" } },
    });
}

class AnnotationActionsTest : public ikw::testing::PageBridgeFixture {
protected:
    AnnotationActionsTest()
    {
        registerActions(bridge->actions, { .annotations = { .toolkit = &toolkit, .documents = &queue, .fileSystem = &files } });
        window->isReader = true;
        std::filesystem::create_directories(home.file("out")); // where the save panels answer
    }

    // The page holds `bytes` (as Base64) in its globals; the action runs to its end.
    const std::vector<std::string>& run(const std::string& url, const std::string& pageBase64)
    {
        view().nextResult = { Json(pageBase64), std::nullopt };
        view().evaluated.clear();
        send(url);
        queue.drain();
        return view().evaluated;
    }
    std::string lastScript() { return view().evaluated.empty() ? "" : view().evaluated.back(); }

    // A reader of `document` given its pages by the sidecar rule.
    void openAsReader(const std::string& document)
    {
        window->sourcePaths = { document };
        readerPdfFor(*window, document);
    }

    FaultyFileSystem files;
    const std::string lease = ikw::testing::writeTestFile(home.file("Matter/Lease.pdf"), leasePdf());
};

TEST_F(AnnotationActionsTest, TheExportOfAHighlightAndALinkReadsAsTheExample)
{
    saveLinks({ Json {
        { "a", { { "path", lease }, { "page", 2 }, { "text", " rent is due on the first\n" } } },
        { "b", { { "path", home.file("Matter/Rider.pdf") }, { "page", 1 }, { "text", "late fee" } } },
        { "id", "L1" },
        { "note", "" },
    } });
    window->sourcePaths = { lease };
    const auto saved = home.file("out/Lease notes.md");
    toolkit.fakeDialogs.saveAnswers.push_back(saved);
    run("qeliz://exportannots?name=Lease", encodeBase64(leasePdf()));

    ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 1u);
    EXPECT_EQ(toolkit.fakeDialogs.panels[0].suggestedName, "Lease \u2014 annotations.md");
    EXPECT_EQ(toolkit.fakeDialogs.panels[0].extensions, (std::vector<std::string> { "md", "txt" }));
    EXPECT_EQ(ikw::testing::readTestFile(saved),
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
        "\n"
        "\n"
        "## Cross-document links\n"
        "\n"
        "_1 connection \u00B7 exported by Inkwarden_\n"
        "\n"
        "- **Lease.pdf, p.2** \u201Crent is due on the first\u201D\n"
        "  \u27F6 **Rider.pdf, p.1** \u201Clate fee\u201D\n"
        "\n");
    EXPECT_EQ(toolkit.fakeWorkspace.revealed, std::vector<std::string> { saved });
    EXPECT_EQ(lastScript(), notesToast("Exported 2 annotations"));
}

TEST_F(AnnotationActionsTest, LinksListEveryEndWithItsNoteAndAQuestionMarkForAPageThatIsNoNumber)
{
    saveLinks({
        Json { { "a", { { "path", "/x/Memo.pdf" }, { "page", "two" }, { "text", "grace" } } }, { "b", { { "path", lease }, { "page", 1 } } },
            { "id", "L1" }, { "note", "see also" } },
        Json { { "a", { { "path", lease }, { "page", 3 }, { "text", "t" } } }, { "id", "L2" } },
        Json { { "a", { { "path", "/x/Other.pdf" } } }, { "b", { { "path", "/x/Memo.pdf" } } }, { "id", "L3" } },
    });
    window->sourcePaths = { lease };
    const auto saved = home.file("out/links.md");
    toolkit.fakeDialogs.saveAnswers.push_back(saved);
    run("qeliz://exportannots", encodeBase64(pdf::testing::numberedPdf(1))); // no annotations: the links alone
    EXPECT_EQ(toolkit.fakeDialogs.panels.at(0).suggestedName, "Document \u2014 annotations.md");
    EXPECT_EQ(ikw::testing::readTestFile(saved),
        "# Annotations \u2014 Document.pdf\n\n_0 annotations \u00B7 exported by Inkwarden_\n"
        "\n## Cross-document links\n\n_2 connections \u00B7 exported by Inkwarden_\n\n"
        "- **Memo.pdf, p.?** \u201Cgrace\u201D\n  \u27F6 **Lease.pdf, p.1** \u201C\u201D\n  _see also_\n\n"
        "- **Lease.pdf, p.3** \u201Ct\u201D\n  \u27F6 **, p.?** \u201C\u201D\n\n");
    EXPECT_EQ(lastScript(), notesToast("Exported 2 annotations"));
}

TEST_F(AnnotationActionsTest, PageDataThatIsNoPdfIsRefusedWithItsToast)
{
    window->sourcePaths = { lease };
    for (const std::string& pageData : { std::string(), std::string("not base64!"), encodeBase64("%PDF- but not really"), encodeBase64(leasePdf()) + "\n" }) {
        SCOPED_TRACE(pageData.substr(0, 20));
        run("qeliz://exportannots?name=Lease", pageData);
        EXPECT_EQ(lastScript(), notesToast("Could not read the document"));
        run("qeliz://saveannot", pageData);
        EXPECT_EQ(lastScript(), toast("Could not prepare the PDF"));
    }
    EXPECT_TRUE(toolkit.fakeDialogs.panels.empty());

    run("qeliz://exportannots?name=Lease", encodeBase64(pdf::testing::numberedPdf(2)));
    EXPECT_EQ(lastScript(), notesToast("No annotations to export yet"));
    EXPECT_TRUE(toolkit.fakeDialogs.panels.empty());
}

TEST_F(AnnotationActionsTest, AnAnnotatedCopyIsSavedWholeAndAFailedWriteKeepsTheOldFile)
{
    const std::string rich = pdf::testing::richPdf({ .protection = pdf::testing::Protection::OwnerR6 });
    const auto target = ikw::testing::writeTestFile(home.file("out/copy.pdf"), "the earlier file");

    toolkit.fakeDialogs.saveAnswers.push_back(target);
    run("qeliz://saveannot?name=Lease%20(annotated).pdf", encodeBase64(rich));
    EXPECT_EQ(toolkit.fakeDialogs.panels.at(0).suggestedName, "Lease (annotated).pdf");
    EXPECT_EQ(ikw::testing::readTestFile(target), rich) << "written as the page made it";
    EXPECT_EQ(lastScript(), toast("Saved annotated PDF"));

    ikw::testing::writeTestFile(target, "the earlier file");
    files.fail(FaultyFileSystem::Operation::Replace);
    toolkit.fakeDialogs.saveAnswers.push_back(target);
    run("qeliz://saveannot", encodeBase64(rich));
    EXPECT_EQ(toolkit.fakeDialogs.panels.at(1).suggestedName, "Document (annotated).pdf");
    EXPECT_EQ(lastScript(), toast("Save failed"));
    EXPECT_EQ(ikw::testing::readTestFile(target), "the earlier file");

    window->sourcePaths = { lease };
    toolkit.fakeDialogs.saveAnswers.push_back(target);
    run("qeliz://exportannots?name=Lease", encodeBase64(leasePdf()));
    EXPECT_EQ(lastScript(), notesToast("Could not save the file"));
    EXPECT_EQ(ikw::testing::readTestFile(target), "the earlier file");
    EXPECT_TRUE(toolkit.fakeWorkspace.revealed.empty());

    // Cancelled panels do nothing.
    files.clearFailures();
    run("qeliz://saveannot", encodeBase64(rich));
    run("qeliz://exportannots?name=Lease", encodeBase64(leasePdf()));
    EXPECT_EQ(ikw::testing::readTestFile(target), "the earlier file");
    EXPECT_EQ(view().evaluated.size(), 1u) << "only the page's data was read";
}

TEST_F(AnnotationActionsTest, AutosaveWritesTheCopyOnlyOfTheVersionTheReaderWasGiven)
{
    const std::string rich = pdf::testing::richPdf();
    const auto capitals = ikw::testing::writeTestFile(home.file("Matter/SCAN.PDF"), pdf::testing::numberedPdf(1));
    openAsReader(capitals);
    run("qeliz://autosaveannot", encodeBase64(rich));
    ASSERT_TRUE(annotSidecarExists(capitals));
    EXPECT_EQ(ikw::testing::readTestFile(annotSidecarPath(capitals)), rich);

    const auto word = ikw::testing::writeTestFile(home.file("Matter/Memo.docx"), "PK");
    openAsReader(word);
    EXPECT_TRUE(run("qeliz://autosaveannot", encodeBase64(rich)).empty()) << "not even asked";

    openAsReader(lease);
    run("qeliz://autosaveannot", encodeBase64("not a PDF at all"));
    run("qeliz://autosaveannot", "%%%%");
    EXPECT_FALSE(std::filesystem::exists(annotSidecarPath(lease)));

    // Changed on disk after the reader loaded it: the page shows the older version.
    ikw::testing::writeTestFile(lease, leasePdf() + "\n% appended\n");
    run("qeliz://autosaveannot", encodeBase64(rich));
    EXPECT_TRUE(annotStaleSidecars(lease).empty());
    EXPECT_FALSE(std::filesystem::exists(annotSidecarPath(lease)));

    // A reader not given its pages by the rule does not know which version it shows.
    window->annotations = {};
    run("qeliz://autosaveannot", encodeBase64(rich));
    EXPECT_FALSE(std::filesystem::exists(annotSidecarPath(lease)));

    // A failed write leaves no copy behind.
    openAsReader(lease);
    files.fail(FaultyFileSystem::Operation::Replace);
    run("qeliz://autosaveannot", encodeBase64(rich));
    EXPECT_FALSE(std::filesystem::exists(annotSidecarPath(lease)));
    files.clearFailures();
    run("qeliz://autosaveannot", encodeBase64(rich));
    EXPECT_EQ(ikw::testing::readTestFile(annotSidecarPath(lease)), rich);
}

}
}
