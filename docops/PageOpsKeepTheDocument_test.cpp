// Every page operation, run as the reader asks for it, on files that carry what users' files
// carry: an outline, page labels, a form, metadata, protection, a signature. What the operation
// does not change must still be there, mended where pages went or moved.

#include "docops/PageOpHandler.h"
#include "docops/testing/PageOpHarness.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/pdf/testing/RichPdf.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace ikw::docops {
namespace {

using pdf::testing::inspectPdf;
using pdf::testing::PdfFacts;
using pdf::testing::Protection;
using pdf::testing::richPdf;
using Strings = std::vector<std::string>;
using Links = std::vector<std::vector<int>>;

const Strings kOutline { "Chapter 1 -> 1", "  Section 1.1 -> 2", "  Section 1.2 -> 3", "Chapter 2 -> 4", "Appendix -> 5" };
const Strings kLabels { "i", "ii", "1", "2", "App-A", "App-B" };
const std::map<std::string, int> kNames { { "appendix", 5 }, { "chapter2", 4 }, { "sec12", 3 } };
const Strings kFields { "agree@2", "both@1,2", "name@1" };
const Links kLinks { { 3 }, {}, {}, {}, {}, {} };

// What a file should carry after an operation.
struct Expected {
    int pages = 6;
    Strings outline = kOutline;
    Strings labels = kLabels;
    std::map<std::string, int> names = kNames;
    Strings fields = kFields;
    Links links = kLinks;
};

class PageOpsKeepTheDocument : public ::testing::Test {
protected:
    PageOpsKeepTheDocument() { h.setSetting("pageops_confirm", false); }

    std::string richFile(const std::string& name, const pdf::testing::RichPdfOptions& options = {})
    {
        const std::string path = h.file(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        pdf::testing::writeFixture(path, richPdf(options));
        return path;
    }

    void send(const std::string& query, const std::string& path)
    {
        handlePageOp(h.context(), PageOpRequest::fromUrl("qeliz://pageop?" + query + "&path=" + path));
        h.settle();
    }

    // The file passes qpdf and carries what an in-place edit keeps besides pages.
    PdfFacts checkedFacts(const std::string& path)
    {
        EXPECT_TRUE(pdf::testing::qpdfCheckPasses(path)) << path;
        EXPECT_TRUE(pdf::Document::openFile(path)) << "MuPDF cannot read " << path;
        return inspectPdf(ikw::testing::readTestFile(path));
    }

    static void expectDocumentKept(const PdfFacts& facts)
    {
        EXPECT_EQ(facts.pageMode, "/UseOutlines");
        EXPECT_TRUE(facts.hasViewerPreferences);
        EXPECT_TRUE(facts.hasMetadata);
        EXPECT_EQ(facts.info.count("/Title"), 1u);
        EXPECT_EQ(facts.info.count("/Author"), 1u);
    }

    static void expectPagesMended(const PdfFacts& facts, const Expected& expected)
    {
        EXPECT_EQ(facts.pageCount, expected.pages);
        EXPECT_EQ(facts.outline, expected.outline);
        EXPECT_EQ(facts.labels, expected.labels);
        EXPECT_EQ(facts.namedDestinations, expected.names);
        EXPECT_EQ(facts.fields, expected.fields);
        EXPECT_EQ(facts.links, expected.links);
    }

    testing::PageOpHarness h;
};

TEST_F(PageOpsKeepTheDocument, InPlaceOperationsKeepEverythingAndMendWhatMoved)
{
    struct Case {
        const char* query;
        Expected expected;
    };
    const std::string inserted = richFile("inserted.pdf");
    const Case cases[] = {
        { "op=rotate&page=2", {} },
        { "op=delete&page=1",
            { 5, { "Chapter 1 -> none", "  Section 1.1 -> 1", "  Section 1.2 -> 2", "Chapter 2 -> 3", "Appendix -> 4" },
                { "i", "1", "2", "App-A", "App-B" }, { { "appendix", 4 }, { "chapter2", 3 }, { "sec12", 2 } }, { "agree@1", "both@1" },
                { {}, {}, {}, {}, {} } } },
        { "op=delete&pages=3,4",
            { 4, { "Chapter 1 -> 1", "  Section 1.1 -> 2", "Appendix -> 3" }, { "i", "ii", "App-A", "App-B" }, { { "appendix", 3 } }, kFields,
                { { 0 }, {}, {}, {} } } },
        { "op=duplicate&page=2",
            { 7, { "Chapter 1 -> 1", "  Section 1.1 -> 2", "  Section 1.2 -> 4", "Chapter 2 -> 5", "Appendix -> 6" },
                { "i", "ii", "iii", "1", "2", "App-A", "App-B" }, { { "appendix", 6 }, { "chapter2", 5 }, { "sec12", 4 } },
                { "agree@2", "agree+1@3", "both@1,2", "both+1@3", "name@1" }, { { 4 }, {}, {}, {}, {}, {}, {} } } },
        { "op=insertblank&at=2",
            { 7, { "Chapter 1 -> 1", "  Section 1.1 -> 2", "  Section 1.2 -> 4", "Chapter 2 -> 5", "Appendix -> 6" },
                { "i", "ii", "iii", "1", "2", "App-A", "App-B" }, { { "appendix", 6 }, { "chapter2", 5 }, { "sec12", 4 } }, kFields,
                { { 4 }, {}, {}, {}, {}, {}, {} } } },
        { "op=reorder&from=0&to=5",
            { 6, { "Chapter 1 -> 6", "  Section 1.1 -> 1", "  Section 1.2 -> 2", "Chapter 2 -> 3", "Appendix -> 4" },
                { "i", "1", "2", "App-A", "App-B", "ii" }, { { "appendix", 4 }, { "chapter2", 3 }, { "sec12", 2 } },
                { "agree@1", "both@1,6", "name@6" }, { {}, {}, {}, {}, {}, { 2 } } } },
        { "op=reorderfull&order=5,4,3,2,1,0",
            { 6, { "Chapter 1 -> 6", "  Section 1.1 -> 5", "  Section 1.2 -> 4", "Chapter 2 -> 3", "Appendix -> 2" },
                { "App-A", "App-B", "1", "2", "i", "ii" }, { { "appendix", 2 }, { "chapter2", 3 }, { "sec12", 4 } },
                { "agree@5", "both@5,6", "name@6" }, { {}, {}, {}, {}, {}, { 4 } } } },
        { "op=insertfile&at=1",
            { 12, { "Chapter 1 -> 1", "  Section 1.1 -> 8", "  Section 1.2 -> 9", "Chapter 2 -> 10", "Appendix -> 11" },
                { "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "1", "2", "App-A", "App-B" },
                { { "appendix", 11 }, { "chapter2", 10 }, { "sec12", 9 } },
                { "agree@8", "agree+1@3", "both@1,8", "both+1@2,3", "name@1", "name+1@2" },
                { { 9 }, { 4 }, {}, {}, {}, {}, {}, {}, {}, {}, {}, {} } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const std::string path = richFile("document.pdf");
        h.show(path);
        h.web->evaluated.clear();
        h.host->fakeDialogs.openAnswers = { std::vector<std::string> { inserted } };
        send(c.query, path);
        ASSERT_FALSE(h.web->evaluated.empty());
        EXPECT_NE(h.web->evaluated.back().find(",false)"), std::string::npos) << h.web->evaluated.back();
        const PdfFacts facts = checkedFacts(path);
        expectDocumentKept(facts);
        expectPagesMended(facts, c.expected);
        // The form's values stay with their fields.
        EXPECT_EQ(facts.fieldValues.at("both"), "shared");
    }
}

TEST_F(PageOpsKeepTheDocument, DroppedPdfsJoinTheFileAsAnInsertionDoes)
{
    const std::string path = richFile("document.pdf");
    h.show(path);
    insertDroppedPDFs(h.context(), { richFile("dropped.pdf"), h.writePdf("plain.pdf", 1, 40) }, 6, path);
    h.settle();
    const PdfFacts facts = checkedFacts(path);
    expectDocumentKept(facts);
    expectPagesMended(facts,
        { 13, kOutline, { "i", "ii", "1", "2", "App-A", "App-B", "App-C", "App-D", "App-E", "App-F", "App-G", "App-H", "App-I" }, kNames,
            { "agree@2", "agree+1@8", "both@1,2", "both+1@7,8", "name@1", "name+1@7" },
            { { 3 }, {}, {}, {}, {}, {}, { 9 }, {}, {}, {}, {}, {}, {} } });
    EXPECT_EQ(h.markers(path), (std::vector<int> { 1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6, 40 }));
}

// The document's stable id lives in a user attribute; a rotation rewrites the file and keeps it.
TEST_F(PageOpsKeepTheDocument, ARotationKeepsTheFilesDocumentId)
{
    constexpr const char* kDocId = "user.app.norvale.inkwarden.docid";
    const std::string id = "0b5e7c1e-3f0a-4d8e-9a41-6c2f1d0e9b77";
    const std::string path = richFile("identified.pdf");
    if (::setxattr(path.c_str(), kDocId, id.data(), id.size(), 0) != 0)
        GTEST_SKIP() << "the test home's file system refuses user attributes";
    const std::string before = ikw::testing::readTestFile(path);
    h.show(path);
    send("op=rotate&page=2", path);
    ASSERT_NE(ikw::testing::readTestFile(path), before);
    char value[64] = {};
    const ssize_t length = ::getxattr(path.c_str(), kDocId, value, sizeof value);
    EXPECT_EQ(std::string(value, length > 0 ? static_cast<std::size_t>(length) : 0), id);
}

TEST_F(PageOpsKeepTheDocument, NewFilesCarryTheirPagesAnnotationsAndFields)
{
    const std::string path = richFile("Brief.pdf");
    const std::string other = richFile("Other.pdf");
    std::filesystem::create_directories(h.file("out"));

    h.host->fakeDialogs.saveAnswers = { h.file("out/extract.pdf") };
    send("op=extract&pages=3,1", path);
    PdfFacts facts = checkedFacts(h.file("out/extract.pdf"));
    EXPECT_EQ(facts.pageCount, 2);
    EXPECT_TRUE(facts.outline.empty());
    EXPECT_EQ(facts.fields, (Strings { "both@2", "name@2" }));
    EXPECT_EQ(facts.links, (Links { {}, { 1 } }));

    h.host->fakeDialogs.openAnswers = { std::vector<std::string> { other } };
    h.host->fakeDialogs.saveAnswers = { h.file("out/merged.pdf") };
    send("op=merge", path);
    facts = checkedFacts(h.file("out/merged.pdf"));
    EXPECT_EQ(facts.pageCount, 12);
    EXPECT_EQ(facts.fields, (Strings { "agree@2", "agree+1@8", "both@1,2", "both+1@7,8", "name@1", "name+1@7" }));
    EXPECT_EQ(facts.fieldValues.at("both+1"), "shared");
    EXPECT_EQ(facts.links[0], (std::vector<int> { 3 }));
    EXPECT_EQ(facts.links[6], (std::vector<int> { 9 }));

    h.host->fakeDialogs.openAnswers = { std::vector<std::string> { h.file("parts") } };
    std::filesystem::create_directories(h.file("parts"));
    send("op=split", path);
    facts = checkedFacts(h.file("parts/Brief \u2014 p1.pdf"));
    EXPECT_EQ(facts.fields, (Strings { "both@1", "name@1" }));
    EXPECT_EQ(facts.links, (Links { { 0 } }));
    EXPECT_EQ(checkedFacts(h.file("parts/Brief \u2014 p2.pdf")).fields, (Strings { "agree@1", "both@1" }));
    EXPECT_TRUE(checkedFacts(h.file("parts/Brief \u2014 p6.pdf")).fields.empty());
}

// Protected files keep their protection through every rewrite, and signed ones their signed
// revision, byte for byte.
TEST_F(PageOpsKeepTheDocument, ProtectionAndSignaturesSurviveEveryRewrite)
{
    struct Variant {
        const char* name;
        pdf::testing::RichPdfOptions options;
    };
    const Variant variants[] = {
        { "owner password, R4", { .protection = Protection::OwnerR4 } },
        { "owner password, R6", { .protection = Protection::OwnerR6 } },
        { "signed", { .signature = true } },
        { "signed with object streams", { .signature = true, .objectStreams = true } },
        { "signed, owner password R6", { .protection = Protection::OwnerR6, .signature = true } },
        { "signed, owner password R4", { .protection = Protection::OwnerR4, .signature = true } },
        { "object streams", { .objectStreams = true } },
    };
    const char* const queries[] = { "op=rotate&page=2", "op=delete&page=6", "op=duplicate&page=2", "op=insertblank&at=2",
        "op=reorder&from=0&to=5", "op=insertfile&at=1" };
    const std::string inserted = h.writePdf("inserted.pdf", 2, 50);
    for (const Variant& variant : variants) {
        const std::string original = richPdf(variant.options);
        const PdfFacts before = inspectPdf(original);
        for (const char* query : queries) {
            SCOPED_TRACE(std::string(variant.name) + ": " + query);
            const std::string path = h.file("document.pdf");
            pdf::testing::writeFixture(path, original);
            h.show(path);
            h.host->fakeDialogs.openAnswers = { std::vector<std::string> { inserted } };
            send(query, path);
            const std::string written = ikw::testing::readTestFile(path);
            ASSERT_NE(written, original);
            const PdfFacts facts = checkedFacts(path);
            expectDocumentKept(facts);
            EXPECT_EQ(facts.encrypted, before.encrypted);
            EXPECT_EQ(facts.encryptionRevision, before.encryptionRevision);
            EXPECT_EQ(facts.permissions, before.permissions);
            EXPECT_EQ(facts.allowsPrinting, before.allowsPrinting);
            EXPECT_EQ(facts.allowsAssembly, before.allowsAssembly);
            EXPECT_EQ(facts.outline.size(), kOutline.size());
            EXPECT_EQ(facts.outline.front().substr(0, 9), "Chapter 1");
            EXPECT_EQ(facts.fieldValues.at("name"), "Ada");
            EXPECT_EQ(facts.info.at("/Title"), "Rich fixture");
            // Renumbered labels are new strings, written with the file's protection.
            EXPECT_EQ(facts.labels.size(), static_cast<std::size_t>(facts.pageCount));
            EXPECT_NE(std::find(facts.labels.begin(), facts.labels.end(), "App-A"), facts.labels.end());
            if (variant.options.signature) {
                EXPECT_EQ(written.compare(0, original.size(), original), 0) << "the signed revision changed";
                EXPECT_TRUE(facts.hasSignatureValue);
                EXPECT_TRUE(facts.hasSigFlags);
            }
        }
    }
}

TEST_F(PageOpsKeepTheDocument, NewFilesFromAProtectedFileAreProtectedAlike)
{
    const std::string path = richFile("Brief.pdf", { .protection = Protection::OwnerR6, .signature = true });
    h.host->fakeDialogs.saveAnswers = { h.file("extract.pdf") };
    send("op=extract&pages=1,2", path);
    const PdfFacts facts = checkedFacts(h.file("extract.pdf"));
    EXPECT_TRUE(facts.encrypted);
    EXPECT_EQ(facts.encryptionRevision, 6);
    EXPECT_FALSE(facts.allowsAssembly);
    EXPECT_EQ(facts.fieldValues.at("name"), "Ada");
    // A signature cannot travel to another file: the field does, empty.
    EXPECT_FALSE(facts.hasSignatureValue);
    EXPECT_NE(std::find(facts.fields.begin(), facts.fields.end(), "signature@1"), facts.fields.end());
}

TEST_F(PageOpsKeepTheDocument, AnEditThroughALinkChangesTheFileItLeadsTo)
{
    const std::string real = richFile("real/document.pdf");
    std::filesystem::create_directories(h.file("links"));
    const std::string link = h.file("links/document.pdf");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    h.show(link);
    send("op=delete&page=6", link);
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    const PdfFacts facts = checkedFacts(real);
    EXPECT_EQ(facts.pageCount, 5);
    EXPECT_EQ(facts.outline, kOutline);
    EXPECT_EQ(ikw::testing::folderEntries(h.file("links")), (Strings { "document.pdf" }));
    EXPECT_EQ(h.host->events.size(), 2u) << "the window showing the link is the window of the file";
}

}
}
