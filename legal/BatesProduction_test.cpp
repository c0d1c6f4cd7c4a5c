#include "legal/BatesProduction.h"

#include "legal/BatesManifest.h"
#include "library/LibraryLayer.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw::legal {
namespace {

using ikw::testing::writeTestFile;

class BatesProductionTest : public ikw::testing::ReviewFixture {
protected:
    BatesProductionTest() { registerActions(actions, production); }

    std::string in(const std::string& name) const { return home.file("Production/" + name); }
    std::string folder() const { return home.file("Production"); }

    void send(ReviewWC& window, const std::string& url)
    {
        actions.dispatch(url.substr(0, url.find('?')), UrlAction { window, "qeliz://" + url });
    }
    // The production window of the folder, its page given `settings` as window.__ikwBatesConfig.
    std::shared_ptr<ReviewWC> productionWindow(const std::string& settings = R"({"prefix":"DEF"})")
    {
        production->openBatesFolder(folder());
        const auto window = windows.windows().back();
        viewOf(*window).nextResult = { Json(settings), std::nullopt };
        return window;
    }
    // The JSON arguments of the page function's calls, in order.
    std::vector<Json> calls(ReviewWC& window, const std::string& function)
    {
        const std::string prefix = "if(window." + function + ")try{" + function + "(";
        const std::string suffix = ")}catch(e){}";
        std::vector<Json> found;
        for (const auto& script : viewOf(window).evaluated) {
            if (script.starts_with(prefix) && script.ends_with(suffix)) {
                const auto inside = script.substr(prefix.size(), script.size() - prefix.size() - suffix.size());
                found.push_back(parseJson(function == "ikwBatesProgress" ? "[" + inside + "]" : inside).value_or(Json()));
            }
        }
        return found;
    }
    Json lastDone(ReviewWC& window)
    {
        const auto done = calls(window, "ikwBatesDone");
        return done.empty() ? Json() : done.back();
    }
    // Sends batesapply and waits for the page's answer.
    Json apply(ReviewWC& window)
    {
        const auto before = calls(window, "ikwBatesDone").size();
        send(window, "batesapply");
        queue.runUntil([&] { return calls(window, "ikwBatesDone").size() > before; });
        return lastDone(window);
    }
    void confirmations(bool on) { writeConfig(on ? "{}" : R"({"pageops_skip_bates": true})"); }

    std::unique_ptr<WorkQueue> workers = makeConcurrentQueue("bates-test");
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<BatesProduction> production = std::make_shared<BatesProduction>(BatesProductionServices {
        .library = [this] { return library; },
        .workers = workers.get(),
        .pageOps = { .toolkit = &toolkit },
        .resolvedScheme = services.resolvedScheme,
    });
    UrlActions actions;
};

TEST_F(BatesProductionTest, TheFolderPanelOpensTheProductionWindowByTheTabRule)
{
    const std::string chosen = home.file("Matter & Co #2/Prod 1");
    std::filesystem::create_directories(chosen);
    const auto host = windows.open(std::nullopt);
    toolkit.fakeDialogs.openAnswers = { std::vector<std::string> { chosen } };
    send(*host, "bates");
    ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 1u);
    const auto& panel = toolkit.fakeDialogs.panels[0];
    EXPECT_EQ(panel.message, "Choose a folder of documents to Bates-number (PDFs and scanned images)");
    EXPECT_EQ(panel.prompt, "Choose");
    EXPECT_TRUE(!panel.chooseFiles && panel.chooseDirectories && !panel.allowsMultiple);

    ASSERT_EQ(windows.windows().size(), 1u) << "the empty key window is reused";
    EXPECT_TRUE(host->hasContent && host->isBates && !host->isReader && !host->isOrganize);
    EXPECT_EQ(host->sourcePaths, std::vector<std::string> { chosen });
    EXPECT_EQ(host->representedFile(), chosen);
    EXPECT_EQ(windowOf(*host).title(), "Prod 1");
    const std::string url = viewOf(*host).loads.back();
    EXPECT_EQ(urlQuery(url, "folder"), chosen);
    EXPECT_EQ(urlQuery(url, "theme"), "dark");
    EXPECT_EQ(url.substr(0, url.find('?')).ends_with("/engine/bates.html"), true) << url;

    // A window with content keeps it: the next folder gets a new tab beside it.
    production->openBatesFolder(folder());
    ASSERT_EQ(windows.windows().size(), 2u);
    EXPECT_EQ(&windows.windows().back()->window(), &host->window());
    EXPECT_EQ(host->sourcePaths, std::vector<std::string> { chosen });

    toolkit.fakeDialogs.openAnswers.clear();
    send(*host, "bates");
    EXPECT_EQ(windows.windows().size(), 2u) << "a cancelled panel opens nothing";
}

TEST_F(BatesProductionTest, APerUserPageWinsOverTheBundlesCopy)
{
    const std::string bundled = batesHTMLPath();
    EXPECT_TRUE(bundled.ends_with("/engine/bates.html")) << bundled;
    const std::string own = writeTestFile(ikw::testing::userEngineFolder(home.path()) + "/app/bates.html", "<p>mine</p>");
    EXPECT_EQ(batesHTMLPath(), own);
    EXPECT_EQ(batesURL("/f", "light"), "file://" + own + "?folder=/f&theme=light");
}

TEST_F(BatesProductionTest, TheSummaryIsCountedOffTheMainThreadForTheAskedOrOwnFolder)
{
    writeTestFile(in("a.pdf"), pdf::testing::numberedPdf(3));
    writeTestFile(in("b.png"), "x");
    const auto window = productionWindow();
    send(*window, "batesready");
    send(*window, "batesready?folder=");
    ASSERT_TRUE(queue.runUntil([&] { return calls(*window, "ikwBatesInit").size() == 2; }));
    const auto answers = calls(*window, "ikwBatesInit");
    // Two workers may finish in either order.
    const auto own = answers[0].contains("err") ? answers[1] : answers[0];
    const auto empty = answers[0].contains("err") ? answers[0] : answers[1];
    EXPECT_EQ(own.at("folder"), folder());
    EXPECT_EQ(own.at("ver"), globals.get().appInfo.shortVersion);
    EXPECT_EQ(own.at("count"), 2);
    EXPECT_EQ(own.at("pages"), 4);
    EXPECT_EQ(empty, (Json { { "folder", "" }, { "ver", globals.get().appInfo.shortVersion }, { "err", "That folder could not be opened." } }));

    // A tab closed before its summary is ready gets nothing.
    send(*window, "batesready");
    const auto seen = viewOf(*window).evaluated.size();
    window->closeTab();
    workers->waitUntilIdle();
    queue.drain();
    EXPECT_EQ(viewOf(*window).evaluated.size(), seen);
}

TEST_F(BatesProductionTest, TheConfirmationNamesTheCountAndCanBeSkipped)
{
    struct Case {
        int inputs;
        std::string config;
        bool asks;
    };
    const Case cases[] = {
        { 1, "{}", true },
        { 12, "{}", true },
        { 2, R"({"pageops_confirm": false})", false },
        { 2, R"({"pageops_skip_bates": true})", false },
    };
    for (const auto& test : cases) {
        std::filesystem::remove_all(folder());
        for (int i = 1; i <= test.inputs; ++i)
            writeTestFile(in("doc" + std::to_string(i) + ".pdf"), pdf::testing::numberedPdf(1));
        writeConfig(test.config);
        toolkit.fakeDialogs.alerts.clear();
        const auto window = productionWindow();
        EXPECT_TRUE(apply(*window).contains("stamped")) << test.inputs;
        ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), test.asks ? 1u : 0u) << test.config;
        if (!test.asks)
            continue;
        const auto& alert = toolkit.fakeDialogs.alerts[0];
        const std::string n = std::to_string(test.inputs);
        const std::string s = test.inputs == 1 ? "" : "s";
        EXPECT_EQ(alert.request.message, "Stamp " + n + " document" + s + "?");
        EXPECT_EQ(alert.request.informativeText, "Inkwarden will write Bates-stamped copies of " + n + " document" + s
                + " into a \u201CBates-Stamped\u201D folder inside \u201CProduction\u201D. Your originals are not modified, and every "
                  "assigned range is recorded in an audit manifest.");
        EXPECT_EQ(alert.request.buttons.at(0), "Stamp");
        EXPECT_EQ(alert.parent, &window->window());
    }
}

TEST_F(BatesProductionTest, RefusalsAnswerWithoutStamping)
{
    writeTestFile(in("a.pdf"), pdf::testing::numberedPdf(1));
    struct Case {
        std::string settings;
        std::string answer;
    };
    const Case cases[] = {
        { "{\"prefix\":\" \\n \"}", "Enter a prefix for the production." },
        { R"({"start":1e300})", "Check the numbering settings: start 0 to 2147483647, at most 12 digits, font size 4 to 72." },
        { R"({"fontSize":0})", "Check the numbering settings: start 0 to 2147483647, at most 12 digits, font size 4 to 72." },
    };
    for (const auto& test : cases) {
        const auto window = productionWindow(test.settings);
        EXPECT_EQ(apply(*window), (Json { { "error", test.answer } })) << test.settings;
    }
    // Cancelling the question writes nothing.
    toolkit.fakeDialogs.alertAnswers = { ui::AlertAnswer { 1, false } };
    const auto window = productionWindow();
    EXPECT_EQ(apply(*window), (Json { { "error", "Nothing was stamped." } }));
    EXPECT_FALSE(std::filesystem::exists(in("Bates-Stamped")));
    // A folder without inputs.
    std::filesystem::remove(in("a.pdf"));
    EXPECT_EQ(apply(*window), (Json { { "error", "No PDFs or images to stamp in this folder." } }));
}

TEST_F(BatesProductionTest, SettingsThatCannotBeReadGetNoAnswer)
{
    writeTestFile(in("a.pdf"), pdf::testing::numberedPdf(1));
    confirmations(false);
    const auto window = productionWindow();
    for (const Json& global : { Json(""), Json(nullptr), Json { { "prefix", "X" } }, Json("[1]"), Json("{not json") }) {
        viewOf(*window).nextResult = { global, std::nullopt };
        send(*window, "batesapply");
    }
    // An empty folder item, or a relative one, does not even read the settings.
    const auto asked = viewOf(*window).evaluated.size();
    send(*window, "batesapply?folder=");
    send(*window, "batesapply?folder=Production");
    EXPECT_EQ(viewOf(*window).evaluated.size(), asked);
    workers->waitUntilIdle();
    queue.drain();
    EXPECT_TRUE(calls(*window, "ikwBatesDone").empty());
    EXPECT_FALSE(std::filesystem::exists(in("Bates-Stamped")));
}

TEST_F(BatesProductionTest, ARunReportsEachInputThenTheCountsAndAnUnchangedFolderIsRefused)
{
    writeTestFile(in("a.pdf"), pdf::testing::numberedPdf(2));
    writeTestFile(in("b.pdf"), "%PDF-1.7 truncated");
    writeTestFile(in("c.pdf"), pdf::testing::numberedPdf(1));
    confirmations(false);
    // c.pdf was stamped by an earlier run.
    BatesConfig earlier;
    earlier.prefix = "DEF";
    BatesStamper::Manifest manifest;
    BatesStamper::recordRun(manifest, earlier, { { in("c.pdf"), in("Bates-Stamped/DEF000001.pdf"), 1, 1, 1, "DEF000001", "DEF000001" } },
        "2026-12-01T10:00:00Z");
    manifest.sources[in("c.pdf")] = "DEF000001";
    std::filesystem::create_directories(in("Bates-Stamped"));
    ASSERT_TRUE(BatesStamper::writeManifest(manifest, in("Bates-Stamped")));

    const auto window = productionWindow();
    const Json done = apply(*window);
    EXPECT_EQ(calls(*window, "ikwBatesProgress"), (std::vector<Json> {
        Json::array({ "Stamping a.pdf\u2026", 1, 3 }), Json::array({ "Stamping b.pdf\u2026", 2, 3 }),
        Json::array({ "Stamping c.pdf\u2026", 3, 3 }), Json::array({ "Wrote audit manifest.", 3, 3 }) }));
    EXPECT_EQ(done, (Json {
        { "stamped", 1 }, { "pages", 2 }, { "skipped", 1 }, { "failed", 1 },
        { "beginLabel", "DEF000002" }, { "endLabel", "DEF000003" },
        { "outputDir", in("Bates-Stamped") },
        { "manifest", in("Bates-Stamped/inkwarden-bates-manifest.json") },
        { "csv", in("Bates-Stamped/inkwarden-bates-loadfile.csv") } }));

    std::filesystem::remove(in("b.pdf"));
    EXPECT_EQ(apply(*window), (Json { { "error", "Every document was already stamped in this folder." } }));
}

TEST_F(BatesProductionTest, ASecondRunIntoTheSameFolderIsRefusedUntilTheFirstIsDone)
{
    writeTestFile(in("a.pdf"), pdf::testing::numberedPdf(1));
    confirmations(false);
    const auto first = productionWindow();
    const auto second = productionWindow();
    send(*first, "batesapply");
    // The same output folder, spelled another way, from another tab.
    send(*second, "batesapply?folder=" + home.file("Production/../Production/"));
    EXPECT_EQ(lastDone(*second), (Json { { "error", "A Bates run is already under way in this folder." } }));
    ASSERT_TRUE(queue.runUntil([&] { return !lastDone(*first).is_null(); }));
    EXPECT_EQ(lastDone(*first).at("stamped"), 1);

    writeTestFile(in("b.pdf"), pdf::testing::numberedPdf(1));
    EXPECT_EQ(apply(*second).at("beginLabel"), "DEF000002") << "free again once the first has answered";
}

TEST_F(BatesProductionTest, AWindowClosedDuringARunStillGetsItsFilesAndNoAnswers)
{
    writeTestFile(in("a.pdf"), pdf::testing::numberedPdf(2));
    writeTestFile(in("b.pdf"), pdf::testing::numberedPdf(1));
    confirmations(false);
    const auto window = productionWindow();
    send(*window, "batesapply");
    const auto seen = viewOf(*window).evaluated.size();
    window->closeTab();
    workers->waitUntilIdle();
    queue.drain();
    EXPECT_EQ(viewOf(*window).evaluated.size(), seen);
    EXPECT_TRUE(std::filesystem::exists(in("Bates-Stamped/DEF000001.pdf")));
    EXPECT_TRUE(std::filesystem::exists(in("Bates-Stamped/DEF000003.pdf")));
    EXPECT_EQ(BatesStamper::loadManifest(in("Bates-Stamped")).manifest.nextNumber, 4);
    EXPECT_TRUE(std::filesystem::exists(in("Bates-Stamped/inkwarden-bates-loadfile.csv")));
}

}
}
