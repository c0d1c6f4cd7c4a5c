#include "platform/pdf/EditableDocument.h"

#include "platform/pdf/Document.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/pdf/testing/RichPdf.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::pdf {
namespace {

using testing::inspectPdf;
using testing::PdfFacts;
using testing::richPdf;

std::string bytesOf(const EditableDocument& document)
{
    const auto bytes = document.toBytes();
    EXPECT_TRUE(bytes);
    return bytes.value_or("");
}

std::vector<PagePick> pagesInOrder(std::initializer_list<int> indexes)
{
    std::vector<PagePick> picks;
    for (const int index : indexes)
        picks.push_back(PagePick::page(index));
    return picks;
}

TEST(EditableDocument, OpensWhatReadersOpenAndRefusesWhatNeedsAPassword)
{
    EXPECT_TRUE(EditableDocument::fromBytes(testing::numberedPdf(2)));
    const auto damaged = EditableDocument::fromBytes(testing::damagedPdf(3));
    ASSERT_TRUE(damaged);
    EXPECT_EQ(damaged->pageCount(), 3);
    const auto ownerOnly = EditableDocument::fromBytes(richPdf({ .protection = testing::Protection::OwnerR6 }));
    ASSERT_TRUE(ownerOnly);
    EXPECT_TRUE(ownerOnly->isEncrypted());
    EXPECT_FALSE(EditableDocument::fromBytes(testing::encryptedPdf(2, "secret")));
    EXPECT_FALSE(EditableDocument::fromBytes("not a pdf"));

    ikw::testing::TempHome home;
    EXPECT_FALSE(EditableDocument::open(home.path())); // a folder
    EXPECT_FALSE(EditableDocument::open(home.file("missing.pdf")));
}

TEST(EditableDocument, PicksThatNameNoPageChangeNothing)
{
    auto document = EditableDocument::fromBytes(richPdf());
    ASSERT_TRUE(document);
    EXPECT_FALSE(document->rearrange(pagesInOrder({ 0, 6 })));
    EXPECT_FALSE(document->rearrange(std::vector { PagePick::inserted(0) }));
    EXPECT_FALSE(document->rearrange(std::vector { PagePick::page(0, 45) }));
    EXPECT_EQ(document->pageCount(), 6);
}

// The outline's counts of visible items stay right when items go: a closed item counts its
// hidden items negatively, an open one positively, the root the items that show.
TEST(EditableDocument, OutlineCountsFollowRemovedItems)
{
    auto document = EditableDocument::fromBytes(richPdf());
    ASSERT_TRUE(document);
    // Page 2 ("Section 1.1") and page 5 ("Appendix") go.
    ASSERT_TRUE(document->rearrange(pagesInOrder({ 0, 2, 3, 5 })));
    const std::string bytes = bytesOf(*document);
    EXPECT_EQ(inspectPdf(bytes).outline, (std::vector<std::string> { "Chapter 1 -> 1", "  Section 1.2 -> 2", "Chapter 2 -> 3" }));
    const auto outlines = bytes.find("/Type /Outlines");
    ASSERT_NE(outlines, std::string::npos);
    // Chapter 1 is open with one item below it; the root shows three.
    EXPECT_NE(bytes.find("/Count 3"), std::string::npos);
    EXPECT_NE(bytes.find("/Count 1"), std::string::npos);
}

// Pages copied into a new document keep their annotations; links lead to the copies of their
// targets wherever those land, or nowhere; a page copied twice has annotations of its own.
TEST(EditableDocument, CopiedPagesKeepTheirAnnotationsAndLinks)
{
    auto source = EditableDocument::fromBytes(testing::annotatedPdf());
    ASSERT_TRUE(source);
    const Annotation note { "Text", { 100, 100, 120, 120 }, "hello note" };
    const Annotation link { "Link", { 100, 200, 300, 220 }, "", 1 };
    struct Case {
        std::vector<int> pages;
        int linkPage;
        int target;
    };
    for (const Case& c : { Case { { 0, 1 }, 0, 1 }, Case { { 1, 0 }, 1, 0 }, Case { { 0, 0 }, 0, -1 } }) {
        const PageSelection selection { &*source, c.pages };
        const auto composed = EditableDocument::compose(std::span(&selection, 1));
        ASSERT_TRUE(composed);
        const auto reread = Document::fromBytes(bytesOf(*composed));
        ASSERT_TRUE(reread);
        Annotation expectedLink = link;
        expectedLink.targetPage = c.target;
        EXPECT_EQ(reread->pageAnnotations(c.linkPage), (std::vector { note, expectedLink })) << c.linkPage;
        if (c.pages == std::vector { 0, 0 }) {
            EXPECT_EQ(reread->pageAnnotations(1), (std::vector { note, expectedLink }));
        }
        const PdfFacts facts = inspectPdf(bytesOf(*composed));
        EXPECT_EQ(facts.annotationCounts[static_cast<std::size_t>(c.linkPage)], 2);
    }
}

// Links by name keep their target in a new document, which has no names of its own.
TEST(EditableDocument, NamedLinksLeadToTheirCopiedPages)
{
    auto source = EditableDocument::fromBytes(richPdf());
    ASSERT_TRUE(source);
    const PageSelection selection { &*source, { 3, 0, 2 } };
    const auto composed = EditableDocument::compose(std::span(&selection, 1));
    ASSERT_TRUE(composed);
    const PdfFacts facts = inspectPdf(bytesOf(*composed));
    EXPECT_EQ(facts.links, (std::vector<std::vector<int>> { {}, { 3 }, {} }));
    EXPECT_TRUE(facts.outline.empty());
    EXPECT_TRUE(facts.namedDestinations.empty());
}

// Files made by other programs, where the system has them: reversing the pages keeps every outline
// item and named destination, each leading to the same page at its new place.
TEST(EditableDocument, RealFilesKeepTheirOutlineAndNamesThroughANewOrder)
{
    const std::string paths[] = { "/usr/share/doc/libtasn1-doc/libtasn1.pdf", "/usr/share/doc/shared-mime-info/shared-mime-info-spec.pdf" };
    int tried = 0;
    for (const std::string& path : paths) {
        auto document = EditableDocument::open(path);
        if (!document)
            continue;
        ++tried;
        SCOPED_TRACE(path);
        const int count = document->pageCount();
        std::vector<PagePick> reversed;
        for (int index = count - 1; index >= 0; --index)
            reversed.push_back(PagePick::page(index));
        ASSERT_TRUE(document->rearrange(reversed));
        ikw::testing::TempHome home;
        const std::string written = home.file("reversed.pdf");
        testing::writeFixture(written, bytesOf(*document));
        EXPECT_TRUE(testing::qpdfCheckPasses(written));

        const PdfFacts before = inspectPdf(ikw::testing::readTestFile(path));
        const PdfFacts after = inspectPdf(ikw::testing::readTestFile(written));
        const auto movedPage = [count](int page) { return page > 0 ? count + 1 - page : 0; };
        ASSERT_EQ(after.outline.size(), before.outline.size());
        for (std::size_t item = 0; item < before.outline.size(); ++item) {
            const std::string& old = before.outline[item];
            const auto arrow = old.rfind(" -> ");
            const std::string target = old.substr(arrow + 4);
            EXPECT_EQ(after.outline[item], old.substr(0, arrow + 4) + (target == "none" ? target : std::to_string(movedPage(std::stoi(target)))));
        }
        ASSERT_EQ(after.namedDestinations.size(), before.namedDestinations.size());
        for (const auto& [name, page] : before.namedDestinations)
            EXPECT_EQ(after.namedDestinations.at(name), movedPage(page)) << name;
    }
    if (tried == 0)
        GTEST_SKIP() << "no PDFs of other programs on this system";
}

}
}
