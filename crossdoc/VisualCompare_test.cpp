#include "crossdoc/VisualCompare.h"

#include "app/PageTemplates.h"
#include "crossdoc/CrossDocActions.h"
#include "crossdoc/VisualDiffAnswer.h"
#include "library/LibraryLayer.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace ikw::crossdoc {
namespace {

class VisualComparing : public ikw::testing::ReviewFixture {
protected:
    VisualComparing() { registerActions(actions, { .visualCompare = compare }); }

    void send(ReviewWC& window, const std::string& url) { actions.dispatch(url.substr(0, url.find('?')), UrlAction { window, "qeliz://" + url }); }
    std::string doc(const std::string& name) const { return home.file("docs/" + name); }
    std::string pdfFixture(const std::string& name, int pages) const
    {
        return ikw::testing::writeTestFile(doc(name), pdf::testing::numberedPdf(pages));
    }
    // The window showing a visual-diff page, if one does.
    std::shared_ptr<ReviewWC> diffWindow()
    {
        for (const auto& window : windows.windows()) {
            const auto& loads = viewOf(*window).loads;
            if (!loads.empty() && loads.back().find("/.vdiff-") != std::string::npos)
                return window;
        }
        return nullptr;
    }
    // The ikwVisualDiff calls `window`'s page was given, as their answers.
    std::vector<Json> answers(ReviewWC& window)
    {
        const std::string prefix = "if(window.ikwVisualDiff){try{ikwVisualDiff(";
        const std::string suffix = ")}catch(e){}}";
        std::vector<Json> found;
        for (const auto& script : viewOf(window).evaluated) {
            if (script.starts_with(prefix) && script.ends_with(suffix))
                found.push_back(parseJson(script.substr(prefix.size(), script.size() - prefix.size() - suffix.size())).value_or(Json()));
        }
        return found;
    }

    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    VisualCompare::DiffFunction diff {};
    std::shared_ptr<VisualCompare> compare = std::make_shared<VisualCompare>(toolkit.fakeDialogs, [this] { return library; },
        [this](const std::string& a, const std::string& b, long long index) { return diff(a, b, index); });
    UrlActions actions;
};

TEST_F(VisualComparing, TwoPdfsOpenTheDiffPageAndOtherPairsTheCompareReview)
{
    struct Case {
        std::string query;
        bool opensDiff;
        bool startsReview;
    };
    const std::string a = doc("a.PDF");
    const std::string b = doc("b.pdf");
    const Case cases[] = {
        { "a=" + a + "&b=" + b, true, false },
        { "a=" + a + "&b=" + doc("brief.docx"), false, true },
        { "a=" + a, false, false },
        { "a=" + a + "&b=docs/b.pdf", false, false },
    };
    for (const auto& test : cases) {
        const auto host = windows.open(std::nullopt);
        engineRuns.clear();
        send(*host, "xcompare?" + test.query);
        const auto shown = diffWindow();
        EXPECT_EQ(shown != nullptr, test.opensDiff) << test.query;
        EXPECT_EQ(!engineRuns.empty(), test.startsReview) << test.query;
        if (shown) {
            EXPECT_EQ(shown, host) << "the empty key window is reused";
            EXPECT_TRUE(shown->hasContent);
            EXPECT_EQ(shown->sourcePaths, (std::vector<std::string> { a, b }));
            const std::string page = viewOf(*shown).loads.back().substr(std::string("file://").size());
            EXPECT_EQ(page.rfind(globals.get().archive + "/.vdiff-", 0), 0u) << page;
            EXPECT_EQ(ikw::testing::readTestFile(page), fillVisualDiffPage(globals.get().visualDiffHTML, a, b));
        }
        if (test.startsReview) {
            EXPECT_EQ(host->reviewMode, "compare");
            EXPECT_EQ(host->sourcePaths, (std::vector<std::string> { a, doc("brief.docx") }));
        }
        for (const auto& window : std::vector(windows.windows()))
            window->closeTab();
    }
}

TEST_F(VisualComparing, ADiffPageGoesToANewTabBesideAWindowWithContent)
{
    const auto host = windows.open(std::nullopt);
    host->hasContent = true;
    compare->openVisualCompareDocs(doc("a.pdf"), doc("b.pdf"));
    const auto shown = diffWindow();
    ASSERT_TRUE(shown);
    EXPECT_NE(shown, host);
    EXPECT_EQ(&shown->window(), &host->window());
}

TEST_F(VisualComparing, PanelsChooseTwoPdfs)
{
    struct Case {
        const char* what;
        std::vector<std::optional<std::vector<std::string>>> answers;
        std::optional<std::vector<std::string>> compared;
        std::size_t panels;
    };
    const Case cases[] = {
        { "three chosen", { std::vector<std::string> { "/p/1.pdf", "/p/2.pdf", "/p/3.pdf" } }, std::vector<std::string> { "/p/1.pdf", "/p/2.pdf" }, 1 },
        { "one, then one", { std::vector<std::string> { "/p/old.pdf" }, std::vector<std::string> { "/p/new.pdf" } },
            std::vector<std::string> { "/p/old.pdf", "/p/new.pdf" }, 2 },
        { "one, then cancelled", { std::vector<std::string> { "/p/old.pdf" }, std::nullopt }, std::nullopt, 2 },
        { "cancelled", { std::nullopt }, std::nullopt, 1 },
    };
    for (const auto& test : cases) {
        toolkit.fakeDialogs.panels.clear();
        toolkit.fakeDialogs.openAnswers.assign(test.answers.begin(), test.answers.end());
        const auto host = windows.open(std::nullopt);
        send(*host, "pickvisualcompare");
        ASSERT_EQ(toolkit.fakeDialogs.panels.size(), test.panels) << test.what;
        const auto& first = toolkit.fakeDialogs.panels[0];
        EXPECT_EQ(first.title, "Visual Compare");
        EXPECT_EQ(first.prompt, "Compare");
        EXPECT_EQ(first.message, "Choose two PDFs to compare visually, page by page (Ctrl-click to select both).");
        EXPECT_EQ(first.extensions, std::vector<std::string> { "pdf" });
        EXPECT_TRUE(first.chooseFiles && !first.chooseDirectories && first.allowsMultiple);
        if (test.panels == 2) {
            const auto& second = toolkit.fakeDialogs.panels[1];
            EXPECT_EQ(second.message, "Choose the second PDF to compare against old.pdf");
            EXPECT_EQ(second.prompt, "Compare");
            EXPECT_FALSE(second.allowsMultiple);
        }
        const auto shown = diffWindow();
        EXPECT_EQ(shown ? std::optional(shown->sourcePaths) : std::nullopt, test.compared) << test.what;
        for (const auto& window : std::vector(windows.windows()))
            window->closeTab();
    }
}

TEST_F(VisualComparing, PageNumbersBelowOneOrNotIntegersAreNeverDiffed)
{
    std::mutex mutex;
    std::vector<long long> asked;
    diff = [&](const std::string&, const std::string&, long long index) {
        const std::lock_guard lock(mutex);
        asked.push_back(index);
        return std::optional<Json>(Json { { "page", index + 1 } });
    };
    const auto window = windows.open(std::nullopt);
    const std::string pair = "&a=" + doc("a.pdf") + "&b=" + doc("b.pdf");
    for (const char* page : { "0", "x", "-9223372036854775808", "-1", "", " 2" })
        send(*window, std::string("visualdiff?page=") + page + pair);
    send(*window, "visualdiff?page=6" + pair);
    send(*window, "visualdiff?" + pair.substr(1));
    send(*window, "visualdiff?page=2&a=docs/a.pdf&b=" + doc("b.pdf"));
    ASSERT_TRUE(queue.runUntil([&] { return answers(*window).size() == 2; }));
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<long long> { 0, 5 }));
}

TEST_F(VisualComparing, TwentyRequestsRunAtMostTwoDiffsAtATime)
{
    std::atomic<int> running = 0;
    std::atomic<int> most = 0;
    diff = [&](const std::string&, const std::string&, long long index) {
        const int now = ++running;
        for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) { }
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        --running;
        return std::optional<Json>(Json { { "page", index + 1 } });
    };
    const auto window = windows.open(std::nullopt);
    for (int page = 1; page <= 20; ++page)
        send(*window, "visualdiff?page=" + std::to_string(page) + "&a=" + doc("a.pdf") + "&b=" + doc("b.pdf"));
    ASSERT_TRUE(queue.runUntil([&] { return answers(*window).size() == 20; }));
    EXPECT_EQ(most.load(), 2);
}

TEST_F(VisualComparing, ThePageGetsRealAnswersAndTheErrorForAFileThatIsNotAPdf)
{
    diff = [](const std::string& a, const std::string& b, long long index) { return visualDiffPage(a, b, index); };
    const auto three = pdfFixture("three.pdf", 3);
    const auto five = pdfFixture("five.pdf", 5);
    const auto notes = ikw::testing::writeTestFile(doc("notes.pdf"), "plain notes\n");
    const auto window = windows.open(std::nullopt);
    send(*window, "visualdiff?a=" + three + "&b=" + five);
    ASSERT_TRUE(queue.runUntil([&] { return answers(*window).size() == 1; }));
    const Json first = answers(*window)[0];
    EXPECT_EQ(first.at("page"), 1);
    EXPECT_EQ(first.at("total"), 5);
    EXPECT_EQ(first.at("frac"), 0.0);

    send(*window, "visualdiff?page=2&a=" + three + "&b=" + notes);
    ASSERT_TRUE(queue.runUntil([&] { return answers(*window).size() == 2; }));
    EXPECT_EQ(answers(*window)[1], (Json { { "page", 2 }, { "error", "This PDF could not be opened." } }));
}

}
}
