#include "docops/PageExports.h"

#include "docops/FilePanels.h"
#include "docops/PageOpHandler.h"
#include "docops/testing/PageOpHarness.h"
#include "platform/pdf/testing/PdfFixtures.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace ikw::docops {
namespace {

using testing::toastScript;

class PageExportsTest : public ::testing::Test {
protected:
    void send(const std::string& query)
    {
        handlePageOp(h.context(), PageOpRequest::fromUrl("qeliz://pageop?" + query + "&path=" + brief));
        h.settle();
    }
    std::vector<std::string> filesIn(const std::string& folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    const std::vector<std::string>& evaluated() const { return h.web->evaluated; }

    testing::PageOpHarness h;
    std::string brief = h.writePdf("Brief.pdf", 5);
};

TEST_F(PageExportsTest, BaseNamesDropOnlyTheLastExtension)
{
    EXPECT_EQ(baseName("Brief.v2.pdf"), "Brief.v2");
    EXPECT_EQ(baseName("Brief"), "Brief");
    EXPECT_EQ(baseName(".pdf"), ".pdf");
}

TEST_F(PageExportsTest, ExtractWritesTheListedPagesInListOrder)
{
    struct Case {
        const char* query;
        std::vector<int> pages;
        std::string toast;
        bool bad;
    };
    const Case cases[] = {
        { "op=extract&pages=3,1", { 3, 1 }, "Extracted 2 pages", false },
        { "op=extract&pages=2,2,9", { 2, 2 }, "Extracted 2 pages", false },
        { "op=extract&page=4", { 4 }, "Extracted 1 page", false },
        { "op=extract&page=9", {}, "Couldn\u2019t extract pages", true },
    };
    for (const auto& c : cases) {
        const std::string out = h.file("out/pages.pdf");
        std::filesystem::create_directories(h.file("out"));
        std::filesystem::remove(out);
        h.web->evaluated.clear();
        h.host->fakeWorkspace.revealed.clear();
        h.host->fakeDialogs.saveAnswers = { out };
        send(c.query);
        EXPECT_EQ(h.host->fakeDialogs.panels.back().suggestedName, "Brief \u2014 pages.pdf");
        EXPECT_EQ(h.markers(out), c.pages) << c.query;
        EXPECT_EQ(evaluated(), (std::vector<std::string> { toastScript(c.toast, c.bad) })) << c.query;
        EXPECT_EQ(h.host->fakeWorkspace.revealed, c.bad ? std::vector<std::string> {} : std::vector<std::string> { out });
        EXPECT_EQ(filesIn(h.file("out")), c.bad ? std::vector<std::string> {} : std::vector<std::string> { "pages.pdf" });
    }
}

TEST_F(PageExportsTest, ATypedNameWithoutAnExtensionBecomesAPdfAskedAboutBeforeItReplacesOne)
{
    const std::string typed = h.file("out/Summary");
    const std::string pdf = typed + ".pdf";
    std::filesystem::create_directories(h.file("out"));
    h.host->fakeDialogs.saveAnswers = { typed };
    send("op=extract&pages=1");
    EXPECT_EQ(h.markers(pdf), (std::vector<int> { 1 }));
    EXPECT_TRUE(h.host->fakeDialogs.alerts.empty());

    struct Case {
        int button;
        std::vector<int> pages;
    };
    for (const Case& c : { Case { 0, { 1 } }, Case { -1, { 1 } }, Case { 1, { 2 } } }) {
        h.host->fakeDialogs.alerts.clear();
        h.host->fakeDialogs.saveAnswers = { typed };
        h.host->fakeDialogs.alertAnswers = { { c.button, false } };
        send("op=extract&pages=2");
        ASSERT_EQ(h.host->fakeDialogs.alerts.size(), 1u);
        EXPECT_EQ(h.host->fakeDialogs.alerts[0].request.message, "A file named \u201CSummary.pdf\u201D already exists. Do you want to replace it?");
        EXPECT_EQ(h.host->fakeDialogs.alerts[0].request.buttons, (std::vector<std::string> { "Cancel", "Replace" }));
        EXPECT_EQ(h.markers(pdf), c.pages) << c.button;
    }
    EXPECT_EQ(filesIn(h.file("out")), (std::vector<std::string> { "Summary.pdf" }));
    EXPECT_EQ(withPdfExtension("/a/Brief.v2"), "/a/Brief.v2");
    EXPECT_EQ(withPdfExtension("/a.d/Brief"), "/a.d/Brief.pdf");
}

TEST_F(PageExportsTest, ExportingOverTheOpenPdfReplacesItAndRefreshesTheReader)
{
    h.host->sources = { brief };
    h.host->fakeDialogs.saveAnswers = { brief };
    send("op=extract&pages=5,4");
    EXPECT_EQ(h.markers(brief), (std::vector<int> { 5, 4 }));
    EXPECT_EQ(h.host->events, (std::vector<std::string> { "stamp " + brief + " after 0", "reload " + brief + " after 0" }));
    for (const auto& name : filesIn(h.home.path()))
        EXPECT_EQ(name.find(".ikw-"), std::string::npos) << name;
}

TEST_F(PageExportsTest, SplitTakesFreeNamesAndReportsNothingWrittenAsAFailure)
{
    const std::string folder = h.file("parts");
    ikw::testing::writeTestFile(folder + "/Brief \u2014 p2.pdf", "keep me");
    h.host->fakeDialogs.openAnswers = { std::vector<std::string> { folder } };
    send("op=split");
    EXPECT_EQ(h.host->fakeDialogs.panels.back().title, "Split Into");
    EXPECT_TRUE(h.host->fakeDialogs.panels.back().chooseDirectories);
    EXPECT_EQ(ikw::testing::readTestFile(folder + "/Brief \u2014 p2.pdf"), "keep me");
    for (int page = 1; page <= 5; ++page) {
        const std::string name = folder + "/Brief \u2014 p" + std::to_string(page) + (page == 2 ? " (2)" : "") + ".pdf";
        EXPECT_EQ(h.markers(name), (std::vector<int> { page })) << name;
    }
    EXPECT_EQ(filesIn(folder).size(), 6u);
    EXPECT_EQ(evaluated(), (std::vector<std::string> { toastScript("Split into 5 files", false) }));
    EXPECT_EQ(h.host->fakeWorkspace.revealed, (std::vector<std::string> { folder }));

    h.web->evaluated.clear();
    h.host->fakeDialogs.openAnswers = { std::vector<std::string> { h.file("no such folder") } };
    send("op=split");
    EXPECT_EQ(evaluated(), (std::vector<std::string> { toastScript("Couldn\u2019t split pages", true) }));

    h.web->evaluated.clear();
    send("op=split"); // the folder chooser is cancelled
    EXPECT_TRUE(evaluated().empty());
}

TEST_F(PageExportsTest, MergeJoinsTheOpenPdfWithTheChosenOnes)
{
    const std::string a = h.writePdf("A.pdf", 2);
    const std::string b = h.writePdf("B.pdf", 3, 3);
    const std::string c = h.writePdf("C.pdf", 1, 6);
    pdf::testing::writeFixture(h.file("junk.pdf"), "junk");
    const std::string out = h.file("merged.pdf");
    h.host->fakeDialogs.openAnswers = { std::vector<std::string> { b, h.file("junk.pdf"), c } };
    h.host->fakeDialogs.saveAnswers = { out };
    brief = a;
    send("op=merge");
    ASSERT_EQ(h.host->fakeDialogs.panels.size(), 2u);
    EXPECT_EQ(h.host->fakeDialogs.panels[0].title, "Add PDFs to Merge");
    EXPECT_EQ(h.host->fakeDialogs.panels[1].suggestedName, "A \u2014 merged.pdf");
    EXPECT_EQ(h.markers(out), (std::vector<int> { 1, 2, 3, 4, 5, 6 }));
    EXPECT_EQ(evaluated(), (std::vector<std::string> { toastScript("Merged 3 documents \u2192 6 pages", false) }));
    EXPECT_EQ(h.host->fakeWorkspace.revealed, (std::vector<std::string> { out }));

    h.web->evaluated.clear();
    h.host->fakeDialogs.panels.clear();
    send("op=merge"); // the chooser is cancelled: no save panel
    EXPECT_EQ(h.host->fakeDialogs.panels.size(), 1u);

    h.host->fakeDialogs.openAnswers = { std::vector<std::string> { h.file("junk.pdf") } };
    send("op=merge"); // the save panel is cancelled
    EXPECT_EQ(h.host->fakeDialogs.panels.size(), 3u);
    EXPECT_TRUE(evaluated().empty());
}

}
}
