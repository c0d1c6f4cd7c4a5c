#include "legal/BatesFolder.h"

#include "legal/BatesManifest.h"
#include "legal/BatesTestSupport.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ikw::legal {
namespace {

using ikw::testing::writeTestFile;

class BatesFolderTest : public ::testing::Test {
protected:
    std::string folder(const std::string& name = "Production") const { return home.file(name); }
    std::string in(const std::string& name) const { return folder() + "/" + name; }
    // a.pdf (3 pages), Scan.TIFF, and entries that are not inputs.
    void fillFolder() const
    {
        writeTestFile(in("a.pdf"), pdf::testing::numberedPdf(3));
        writeTestFile(in("Scan.TIFF"), "not decoded for the summary");
        writeTestFile(in(".hidden.pdf"), pdf::testing::numberedPdf(2));
        writeTestFile(in("notes.txt"), "notes");
        writeTestFile(in("Bates-Stamped/ABC000001.pdf"), pdf::testing::numberedPdf(1));
    }

    ikw::testing::TempHome home;
};

TEST_F(BatesFolderTest, InputsAreTheDirectEntriesWithAcceptedExtensionsInCodePointOrder)
{
    fillFolder();
    writeTestFile(in("Nested.pdf/inner.pdf"), pdf::testing::numberedPdf(1));
    // The decomposed "é.png" sorts as its composed form, after "z", not after "e".
    for (const char* name : { "b.jpeg", "B.pdf", "10.pdf", "2.pdf", "e\u0301.png", "\u00e9a.png", "z.heic", "x.Gif" })
        writeTestFile(in(name), "x");
    EXPECT_EQ(batesInputList(folder()), (std::vector<std::string> {
        in("10.pdf"), in("2.pdf"), in("B.pdf"), in("Nested.pdf"), in("Scan.TIFF"), in("a.pdf"), in("b.jpeg"),
        in("x.Gif"), in("z.heic"), in("e\u0301.png"), in("\u00e9a.png") }));
    EXPECT_TRUE(batesInputList(folder("missing")).empty());
    EXPECT_TRUE(batesInputList(in("a.pdf")).empty());
}

TEST_F(BatesFolderTest, PagesCountPdfPagesAndOneForEachImage)
{
    fillFolder();
    const auto inputs = batesInputList(folder());
    ASSERT_EQ(inputs, (std::vector<std::string> { in("Scan.TIFF"), in("a.pdf") }));
    EXPECT_EQ(batesPageCount(inputs), 4);
    // What does not open as a PDF counts nothing, and a FIFO is never opened.
    writeTestFile(in("broken.pdf"), "%PDF-1.7 truncated");
    ASSERT_EQ(::mkfifo(in("pipe.pdf").c_str(), 0600), 0);
    writeTestFile(in("Folder.pdf/x.txt"), "x");
    EXPECT_EQ(batesPageCount({ in("broken.pdf"), in("pipe.pdf"), in("Folder.pdf"), in("a.pdf") }), 3);
}

TEST_F(BatesFolderTest, ASummaryWithoutAManifestHasExactlyTheFolderFacts)
{
    fillFolder();
    writeTestFile(in("broken.pdf"), "%PDF-1.7 truncated");
    EXPECT_EQ(batesSummary(folder(), "2.4"), (Json {
        { "folder", folder() }, { "ver", "2.4" }, { "name", "Production" }, { "count", 3 }, { "pages", 4 } }));
    // An unreadable manifest is no manifest here; the run itself refuses to overwrite it.
    writeTestFile(in("Bates-Stamped/inkwarden-bates-manifest.json"), "{ not json");
    EXPECT_FALSE(batesSummary(folder() + "/", "2.4").contains("existingMax"));
    EXPECT_EQ(batesSummary(folder() + "/", "2.4").at("name"), "Production");
}

TEST_F(BatesFolderTest, AManifestGivesTheNextNumberAndTheLastRunsPrefix)
{
    fillFolder();
    BatesConfig first;
    BatesConfig second;
    second.prefix = "XYZ";
    BatesStamper::Manifest manifest;
    BatesStamper::recordRun(manifest, first, { BatesStamper::testing::stampedDoc(first, "/in/a.pdf", "/out/a.pdf", 1, 10) }, "2026-12-01T10:00:00Z");
    BatesStamper::recordRun(manifest, second, { BatesStamper::testing::stampedDoc(second, "/in/b.pdf", "/out/b.pdf", 11, 15) }, "2026-12-02T10:00:00Z");
    ASSERT_TRUE(BatesStamper::writeManifest(manifest, batesOutputDir(folder())));
    const Json summary = batesSummary(folder(), "1");
    EXPECT_EQ(summary.at("existingMax"), 25);
    EXPECT_EQ(summary.at("suggestedStart"), 26);
    EXPECT_EQ(summary.at("prefix"), "XYZ");
}

TEST_F(BatesFolderTest, AFolderThatCannotBeOpenedGivesTheFailureForm)
{
    fillFolder();
    for (const std::string& bad : { std::string(), folder("missing"), in("a.pdf"), std::string("Production") }) {
        EXPECT_EQ(batesSummary(bad, "1"), (Json { { "folder", bad }, { "ver", "1" }, { "err", "That folder could not be opened." } }))
            << bad;
    }
}

TEST(BatesFolder, APresentFolderItemWinsEvenWhenEmpty)
{
    const std::vector<std::string> sources { "/w/Production", "/w/other" };
    EXPECT_EQ(resolveBatesFolder(std::nullopt, sources), "/w/Production");
    EXPECT_EQ(resolveBatesFolder(std::string(), sources), "");
    EXPECT_EQ(resolveBatesFolder(std::string("/elsewhere"), sources), "/elsewhere");
    EXPECT_EQ(resolveBatesFolder(std::nullopt, {}), "");
}

}
}
